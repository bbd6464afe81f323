#pragma once
// The program entry of the setup, for any backend.
#include <memory>
#include <string>
#include <vector>

#include "sys/event.h"
#include "ui/application.h"

namespace zov {

class TInstallLog;

// Titles the application "ZOV - Setup", creates the main screen, the wizard and the
// preparation window (all hidden; the main screen first, so it is the main window) and
// handles events until the main screen closes. Returns the exit code.
// Its actions are logged to `log` when given.
int RunSetup(ui::TApplication& app, TInstallLog* log = nullptr);

// The whole program: reads the switches, opens the log, and runs the unattended setup
// (/S) or the windows. Without a window system (`makeBackend` empty) only /S can run.
// Each log line is also passed to `echo` when given. `programPath` is the program's own
// full path (where the medium is when install.cfg is not in the current directory).
int RunSetupCommandLine(const std::vector<std::string>& args,
                        const TEvent<std::unique_ptr<ui::TBackend>()>& makeBackend,
                        const TEvent<void(const std::string&)>& echo = {}, const std::string& programPath = {});

}  // namespace zov
