#include "install/silent_setup.h"

#include "install/cfg_entries.h"
#include "install/cfg_integrity.h"

#include "install/Setup_Unit1.h"
#include "install/destination_check.h"
#include "install/dialog_prompts.h"
#include "install/free_space.h"
#include "install/payload.h"
#include "shell/WinReboot.h"
#include "shell/system_helpers.h"
#include "sys/paths.h"
#include "sys/system.h"

namespace zov {
namespace {

void Log(TInstallLog* log, const std::string& line) {
    if (log) log->Line(line);
}

// One line of a message: its line breaks as blanks.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

bool ExpandPayload(TSetupSettings& settings, const std::string& title, TInstallLog* log) {
    segment::TSegCompEZ component;
    component.SetSegPopUp(false);
    component.MakeDirectories = false;
    component.ExceptionOnFileError = false;
    component.CheckSpaceBeforeExpand = false;
    ConfigureExpansion(component, settings, title);
    struct Reading {  // what the handlers share (an event holds one reference)
        TSetupSettings& settings;
        TInstallLog* log;
        segment::TSegCompEZ& component;
        std::string segment, file;  // being read, for the failure's line
    } reading{settings, log, component, {}, {}};
    component.OnSegBefore = [&reading](segment::TSegMode, const std::string&, uint16_t number) {
        const TSetupSettings& s = reading.settings;
        reading.segment = SegmentFileFor(s, reading.component.SegBaseName(), number);
        PromptForSegment(reading.component, reading.segment, number);
        Log(reading.log, "segment " + reading.segment);
        if (number == 1) {
            CopyFileInto(s.SourceDir + "install.exe", s.TempDir);
            CopyFileInto(s.SourceDir + "install.cfg", s.TempDir);
        }
    };
    component.OnCheckFile = [&reading](std::string& path, compress::TCProcessMode) {
        path = FlatTarget(path, reading.settings);
        reading.file = FileNamePart(path);
    };
    try {
        component.ExpandSegmentSet();
    } catch (const std::exception& e) {
        // Cancelled at a disk prompt: nobody is there to insert a disk, so what was asked for
        // is what failed.
        Log(log, component.Cancelled() ? std::string("FAILED ") + e.what()
                                       : "FAILED Error Expanding Files!! " +
                                             OneLine(ExpansionFailure(reading.segment, reading.file, e.what())));
        return false;
    }
    return true;
}

}  // namespace

ui::TModalResult TUnattendedDialogs::MessageDlg(const std::string& text, const std::string&,
                                                ui::TMsgDlgButtons buttons, ui::TMsgDlgType) {
    const ui::TModalResult answer = (buttons & ui::mbYes)      ? ui::mrYes
                                    : (buttons & ui::mbCancel) ? ui::mrCancel
                                    : (buttons & ui::mbOK)     ? ui::mrOk
                                                               : ui::mrAbort;
    Log(log_, "message " + OneLine(text) + " -> " + (answer == ui::mrYes      ? "Yes"
                                                     : answer == ui::mrCancel ? "Cancel"
                                                     : answer == ui::mrOk     ? "OK"
                                                                              : "Abort"));
    return answer;
}

bool TUnattendedDialogs::InputQuery(const std::string& caption, const std::string&, std::string&) {
    Log(log_, "query " + caption + " -> Cancel");
    return false;
}

int RunUnattendedSetup(const TSetupSwitches& switches, TInstallLog* log) {
    sys::System& os = sys::Sys();
    TSetupSettings settings;
    if (!switches.Params.empty()) {
        if (!os.SetCurrentDirectory(switches.Params[0])) {
            Log(log, "FAILED " + sys::FailureText(switches.Params[0]));
            return 1;
        }
        settings.StartDir = os.GetCurrentDirectory();
    }
    FixStartupPaths(settings);
    ForceDirectories(settings.TempDir);
    EmptyAndRemoveDirectory(settings.TempDir);
    TScreenLook look;
    const std::string cfg = settings.SourceDir + "install.cfg";
    if (!FileExists(cfg)) {
        Log(log, "FAILED " + sys::FailureText(cfg));
        return 1;
    }
    const std::string fault = ConfigFileFault(cfg);
    if (!fault.empty()) {
        Log(log, "FAILED " + fault);
        return 1;
    }
    ReadSetupConfig(cfg, settings, look);
    Log(log, "setup " + look.Header.Text + " from " + settings.SourceDir);
    // /D= was checked on the command line; the default is taken as the destination page takes it.
    const TDestinationCheck destination =
        switches.Destination ? TDestinationCheck{*switches.Destination, {}}
                             : CheckDestination(DefaultDestination(settings, look.Header.Text),
                                                ProductFolderName(settings.InstallDir));
    if (!destination.Refusal.empty()) {
        Log(log, "FAILED " + destination.Refusal);
        return 1;
    }

    if (!HasRoom(ExpansionNeeds(settings), log) || !ExpandPayload(settings, look.Header.Text, log)) {
        RemoveSetupDirectories(settings);
        return 1;
    }
    TInstallChoices choices;
    choices.Title = look.Header.Text;
    choices.Destination = destination.Path;
    choices.FolderStartMenu = switches.FolderStartMenu;
    choices.FolderDesktop = switches.FolderDesktop;
    // The shortcuts the wizard would list, all of them checked as it lists them.
    choices.DesktopLinks = OfferedLinkNames(settings.Shortcuts, TLinkPlace::Desktop);
    choices.StartMenuLinks = OfferedLinkNames(settings.Shortcuts, TLinkPlace::StartMenu);
    choices.Workstation = switches.Workstation.value_or(settings.WorkStationPrompt);
    const TSetupEnd end = switches.End.value_or(TSetupEnd::Return);
    choices.Launch = end == TSetupEnd::Launch && LaunchAvailable(settings);
    if (end == TSetupEnd::Launch && !choices.Launch) Log(log, "no program to launch: /END=launch is ignored");

    if (!HasRoom(CopyNeeds(settings, choices.Destination, choices.Workstation), log)) {
        RemoveSetupDirectories(settings);
        return 1;
    }
    TInstallProgress quiet;
    TDialogPrompts prompts(false);
    TInstallEngine engine(settings, choices, prompts, quiet, log);
    const TInstallReport report = engine.Run();
    RemoveSetupDirectories(settings);
    if (report.End != TInstallEnd::Completed) return report.ExitCode();
    if (end == TSetupEnd::Reboot) {
        Log(log, "restart");
        TWinReboot().Reboot(EWX_REBOOT);
    }
    Log(log, report.FailedFiles.empty() ? "installed" : "installed, but some files could not be");
    return report.ExitCode();
}

}  // namespace zov
