#include "install/setup_entry.h"

#include "install/Setup_Unit1.h"
#include "install/Unzip_Unit.h"
#include "install/stage_state.h"
#include "install/wizard/Setup_Unit2.h"

namespace zov {

int RunSetup(ui::TApplication& app) {
    app.Title = "ZOV - Setup";
    app.CreateForm<TMainSetup>();
    app.CreateForm<TZOV>();
    app.CreateForm<TUnzip>();
    app.Run();
    if (InstallFailed) return SetupExitCode;
    return SetupCancelled ? 1 : SetupExitCode;
}

}  // namespace zov
