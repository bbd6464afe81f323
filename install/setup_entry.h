#pragma once
// The program entry of the setup, for any backend.
#include "ui/application.h"

namespace zov {

// Titles the application "ZOV - Setup", creates the main screen, the wizard and the
// preparation window (all hidden; the main screen first, so it is the main window) and
// handles events until the main screen closes. Returns the exit code.
int RunSetup(ui::TApplication& app);

}  // namespace zov
