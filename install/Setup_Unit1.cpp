// The stage sequence: start-up when the main screen is shown, the preparation window and
// the wizard from its timer, clean-up and the ending when it closes.
#include "install/Setup_Unit1.h"

#include <cctype>
#include <vector>

#include "install/Unzip_Unit.h"
#include "install/destination_check.h"
#include "install/payload.h"
#include "install/setup_switches.h"
#include "install/wizard/Setup_Unit2.h"
#include "segment/seg_names.h"
#include "shell/system_helpers.h"
#include "sys/canonical_path.h"
#include "sys/exception.h"
#include "sys/paths.h"
#include "sys/system.h"
#include "ui/application.h"

namespace zov {
namespace {

constexpr char kRebootWarning[] =
    "Zovrand is about to RE-BOOT your PC\r\rPlease Remove any floppies from drive.\r\rClick on OK when ready.";

}  // namespace

void TMainSetup::FormShow() {
    sys::System& os = sys::Sys();
    // A new run, asking and logging where the last one did.
    Run = TSetupRun{Run.Prompts, Run.Log};
    TSetupSettings& settings = Run.Settings;
    const TSetupSwitches switches = ParseSetupSwitches(ui::App().Params);
    if (!switches.Params.empty()) {
        const std::string dir = switches.Params[0];
        if (!os.SetCurrentDirectory(dir)) {
            // Nothing can run from a directory that cannot be entered: report and end.
            startFailed_ = true;
            Run.Failed = true;
            ui::App().ShowException(EInOutError("Unable to open the setup directory " + dir));
            ui::App().Terminate();
            return;
        }
        settings.StartDir = os.GetCurrentDirectory();  // in full: the end finds it from anywhere
    }
    FixStartupPaths(settings, ui::App().ExeName);
    segment::ForceDirectories(settings.TempDir);
    ui::App().ProcessMessages();
    ClearTempDir();
    ReadSetupConfig();
    Timer1.SetEnabled(true);
}

void TMainSetup::Timer1Timer() {
    Timer1.SetEnabled(false);
    if (Unzip) {
        Unzip->ShowModal();
        ui::App().DestroyForm(Unzip);
    }
    if (!Run.Cancelled && ZOV) ZOV->ShowModal();
    Close();
}

void TMainSetup::FormClose(ui::TCloseAction&) {
    if (startFailed_) return;
    TSetupSettings& settings = Run.Settings;
    for (std::vector<std::string>* list : {&settings.Directories, &settings.Files, &settings.Shortcuts,
                                           &settings.IniEntries, &settings.WorkStationFiles, &settings.AutoexecLines}) {
        std::vector<std::string>().swap(*list);
        ui::App().ProcessMessages();
    }
    RemoveSetupDirectories(settings);
    // An aborted setup ends at once: no message waits for the user.
    if (ui::App().Terminated()) return;
    const bool restart = Run.End == TSetupEnd::Reboot;
    const bool launched = Run.End == TSetupEnd::Launch;
    if (restart) {
        ui::ShowMessage(kRebootWarning);
        ui::App().ProcessMessages();
        WinReboot1.Reboot(EWX_REBOOT);
        ui::App().ProcessMessages();
    } else if (Run.Cancelled) {
        ui::ShowMessage("Your installation was canceled!");
    } else if (!launched && !Run.Failed) {
        ui::ShowMessage("Your installation of \r" + Setup_Header.Caption() +
                        "\rhas be completed.\r\rPlease Remove any floppies from drive.");
    }
}

void TMainSetup::ClearTempDir() {
    // Expansion restores each file's attributes, so read-only files are deleted too.
    EmptyAndRemoveDirectory(Run.Settings.TempDir);
}

}  // namespace zov
