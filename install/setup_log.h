#pragma once
// The log of a setup run (/LOG=file): one line per action, written through at once so that
// a run that stops still leaves what it did; each line may also be passed on (the Linux
// preview prints it).
#include <memory>
#include <string>

#include "install/wizard/install_engine.h"
#include "sys/event.h"
#include "sys/system.h"

namespace zov {

class TSetupFileLog : public TInstallLog {
public:
    // Starts `path` afresh; without a path only the echo gets the lines.
    explicit TSetupFileLog(const std::string& path, TEvent<void(const std::string&)> echo = {});
    bool Opened() const { return file_ != nullptr; }
    void Line(const std::string& text) override;
    // Why the log file could not be made or written: its first failure, taken at the call;
    // nothing more is written to the file after it.
    const sys::Failure& Failure() const { return failure_; }

private:
    std::unique_ptr<sys::File> file_;
    TEvent<void(const std::string&)> echo_;
    sys::Failure failure_;
    std::string path_;
};

}  // namespace zov
