#include "install/setup_entry.h"

#include "install/Setup_Unit1.h"
#include "install/Unzip_Unit.h"
#include "install/destination_check.h"
#include "install/install_journal.h"
#include "install/setup_log.h"
#include "install/setup_switches.h"
#include "install/silent_setup.h"
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

int RunSetupCommandLine(const std::vector<std::string>& args,
                        const TEvent<std::unique_ptr<ui::TBackend>()>& makeBackend,
                        const TEvent<void(const std::string&)>& echo, const std::string& programPath) {
    TSetupSwitches switches = ParseSetupSwitches(args);
    if (switches.Error.empty() && switches.Destination) {
        // Refused before anything is read or written: no shared place, nothing relative.
        const TDestinationCheck destination = CheckDestination(*switches.Destination, {});
        if (!destination.Refusal.empty()) switches.Error = "/D=: " + destination.Refusal;
        switches.Destination = destination.Path;
    }
    TSetupFileLog log(switches.LogPath, echo);
    SetupLog = &log;
    struct ResetLog {
        ~ResetLog() { SetupLog = nullptr; }
    } resetLog;
    if (!switches.LogPath.empty() && !log.Opened() && echo) echo("FAILED " + sys::FailureText(switches.LogPath));
    // An install that was killed is undone before anything else.
    const std::vector<std::string> undone = RollBackUnfinishedInstalls(&log);
    if (switches.Silent || !makeBackend) {
        ui::TApplication app;  // headless: nothing is shown
        app.ExeName = programPath;
        TUnattendedDialogs dialogs(&log);
        ui::SetDialogs(&dialogs);
        int code = 1;
        if (!switches.Error.empty()) {
            log.Line("FAILED " + switches.Error);
        } else if (!switches.Silent) {
            log.Line("FAILED The interactive setup needs Windows (or Wine); add /S for an unattended install.");
        } else {
            code = RunUnattendedSetup(switches, &log);
        }
        ui::SetDialogs(nullptr);
        return code;
    }
    ui::TApplication app(makeBackend());
    app.ExeName = programPath;
    if (!switches.Error.empty()) {
        ui::MessageDlg(switches.Error + "\r\r" + kSetupUsage, ui::TMsgDlgType::mtError, ui::mbOK);
        return 1;
    }
    for (const std::string& title : undone)
        ui::MessageDlg("The installation of " + title + " did not finish. Everything it installed was removed.",
                       ui::TMsgDlgType::mtInformation, ui::mbOK);
    app.Params = args;
    return RunSetup(app);
}

}  // namespace zov
