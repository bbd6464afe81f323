#include "install/setup_entry.h"

#include "install/Setup_Unit1.h"
#include "install/Unzip_Unit.h"
#include "install/destination_check.h"
#include "install/install_journal.h"
#include "install/payload.h"
#include "install/setup_log.h"
#include "install/setup_switches.h"
#include "install/silent_setup.h"
#include "install/wizard/Setup_Unit2.h"
#include "ui/dialogs.h"

namespace zov {

int RunSetup(ui::TApplication& app, TInstallLog* log) {
    app.Title = "ZOV - Setup";
    TMainSetup* main = app.CreateForm<TMainSetup>();
    main->Run.Log = log;
    app.CreateForm<TZOV>();
    app.CreateForm<TUnzip>();
    app.Run();
    return main->Run.ExitCode();
}

namespace {

int RunWithLog(const TSetupSwitches& switches, const std::vector<std::string>& args,
               const TEvent<std::unique_ptr<ui::TBackend>()>& makeBackend, const std::string& programPath,
               TSetupFileLog& log) {
    // An install that was killed is undone before anything else; unattended, without asking.
    const std::vector<std::string> undone = RollBackUnfinishedInstalls(&log);
    if (switches.Silent || !makeBackend) {
        if (!switches.Error.empty()) {
            log.Line("FAILED " + switches.Error);
            return 1;
        }
        if (!switches.Silent) {
            log.Line("FAILED The interactive setup needs Windows (or Wine); add /S for an unattended install.");
            return 1;
        }
        TUnattendedPrompts prompts(&log);
        return RunUnattendedSetup(switches, prompts, &log, programPath);
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
    return RunSetup(app, &log);
}

}  // namespace

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
    const bool openFailed = log.Failure().Failed();
    if (openFailed && echo) echo(sys::WithFailure("FAILED log " + log.Failure().Describe(), log.Failure()));
    const int code = RunWithLog(switches, args, makeBackend, programPath, log);
    // A log asked for and not written is a failure of the run.
    if (!log.Failure().Failed()) return code;
    if (!openFailed && echo) echo(sys::WithFailure("FAILED log " + log.Failure().Describe(), log.Failure()));
    return code == 0 ? 2 : code;
}

}  // namespace zov
