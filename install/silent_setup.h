#pragma once
// The unattended setup (/S): the same start-up, expansion, install and clean-up as the
// windows run, with no window shown and nothing asked. Each question takes its default
// button, a missing segment fails the run, the licence counts as accepted and the
// shortcuts are those the wizard offers checked.
#include "install/setup_prompts.h"
#include "install/setup_switches.h"
#include "install/wizard/install_engine.h"

namespace zov {

// Answers every question as nobody being there would, and logs question and answer: files
// are overwritten, a failed step is left out (and counted), a question whose safe answer is
// No gets No, a disk that is missing or cannot be used stops the run.
class TUnattendedPrompts : public TSetupPrompts {
public:
    explicit TUnattendedPrompts(TInstallLog* log) : log_(log) {}
    bool InsertDisk(uint16_t number, const std::string& path, std::string& dir) override;
    bool RetryDisk(uint16_t number, const std::string& problem) override;
    bool Overwrite(const std::string& name) override;
    TFailureChoice OnFailure(const std::string& what, const sys::Failure& failure) override;
    bool Confirm(const std::string& text, const std::string& caption) override;
    void Message(const std::string& text, const std::string& caption, TMessageKind kind) override;

private:
    void Log(const std::string& line);
    TInstallLog* log_;
};

// Runs the whole setup from the current directory (or the switches' setup directory),
// asking `prompts`; returns the exit code. `programPath` is where install.exe was started
// from (its folder holds the medium when the current directory does not).
int RunUnattendedSetup(const TSetupSwitches& switches, TSetupPrompts& prompts, TInstallLog* log,
                       const std::string& programPath);

}  // namespace zov
