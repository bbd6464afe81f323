#pragma once
// One run of the setup: the settings read from install.cfg, what they offer for the end of
// the install, the user's choices, the end chosen, whom it asks, where it logs and how it
// ended. In the windows run the main screen owns it and writes the settings and the offer,
// the wizard writes the choices and the install's report, and the main screen's close acts
// on the end; the windows meet here instead of in one another's controls. The unattended
// setup fills one of its own.
#include <optional>
#include <string>

#include "install/setup_config.h"
#include "install/setup_prompts.h"
#include "install/setup_switches.h"
#include "install/wizard/install_engine.h"

namespace zov {

// What the ready page offers for after the install, as install.cfg sets it up.
struct TEndOffer {
    bool RebootShown = true;                     // the restart choice is there
    bool LaunchOffered = false;                  // the launch choice can be chosen
    TSetupEnd Preselected = TSetupEnd::Reboot;
    bool SkipWelcome = false;                    // the wizard opens past its welcome page
};

// Launch when there is a program to launch; otherwise restart when the restart choice is
// shown, else return to Windows.
TEndOffer EndOfferFor(const TSetupSettings& settings);

struct TSetupRun {
    TSetupRun() = default;
    TSetupRun(TSetupPrompts* prompts, TInstallLog* log) : Prompts(prompts), Log(log) {}

    TSetupPrompts* Prompts = nullptr;   // the questions and messages of this run
    TInstallLog* Log = nullptr;         // the /LOG= file; none when null
    TSetupSettings Settings;
    TEndOffer Offer;
    TInstallChoices Choices;            // as the wizard's pages held them at Install
    TSetupEnd End = TSetupEnd::Return;  // the wizard's end choice when it closed
    // The user stopped the setup before the install, or it ended without installing.
    bool Cancelled = false;
    // The setup ended on a failure whose message was shown: no completion message follows.
    bool Failed = false;
    std::optional<TInstallReport> Report;  // once the install ran

    void LogLine(const std::string& line) const {
        if (Log) Log->Line(line);
    }
    // 0 installed; 1 cancelled, or ended before anything was installed; 2 the install failed
    // or left something out.
    int ExitCode() const;
};

}  // namespace zov
