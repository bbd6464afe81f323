#include "install/silent_setup.h"

#include "install/cfg_entries.h"
#include "install/cfg_integrity.h"
#include "install/destination_check.h"
#include "install/free_space.h"
#include "install/payload.h"
#include "shell/WinReboot.h"
#include "shell/system_helpers.h"
#include "sys/decimal.h"
#include "sys/paths.h"
#include "sys/system.h"

namespace zov {
namespace {

void Log(TInstallLog* log, const std::string& line) {
    if (log) log->Line(line);
}

}  // namespace

void TUnattendedPrompts::Log(const std::string& line) {
    if (log_) log_->Line(line);
}

bool TUnattendedPrompts::InsertDisk(uint16_t number, const std::string&, std::string&) {
    // Nobody is there to insert a disk: what was asked for is what failed.
    Log("message Please Insert Disk #" + DecimalText(number) + " into Floppy Drive. -> Cancel");
    return false;
}

bool TUnattendedPrompts::RetryDisk(uint16_t, const std::string& problem) {
    Log("message " + OneLine(problem) + " -> Cancel");
    return false;
}

bool TUnattendedPrompts::Overwrite(const std::string& name) {
    Log("message File Already Exists (" + name + "). Overwrite? -> Yes");
    return true;
}

TFailureChoice TUnattendedPrompts::OnFailure(const std::string& what, const sys::Failure& failure) {
    Log("message " + OneLine(what) + ": " + failure.Describe() + " -> Ignore");
    return TFailureChoice::Ignore;
}

bool TUnattendedPrompts::Confirm(const std::string& text, const std::string&) {
    Log("message " + OneLine(text) + " -> No");
    return false;
}

void TUnattendedPrompts::Message(const std::string& text, const std::string&, TMessageKind) {
    Log("message " + OneLine(text));
}

int RunUnattendedSetup(const TSetupSwitches& switches, TSetupPrompts& prompts, TInstallLog* log,
                       const std::string& programPath) {
    sys::System& os = sys::Sys();
    TSetupSettings settings;
    if (!switches.Params.empty()) {
        if (!os.SetCurrentDirectory(switches.Params[0])) {
            Log(log, "FAILED " + sys::FailureText(switches.Params[0]));
            return 1;
        }
        settings.StartDir = os.GetCurrentDirectory();
    }
    FixStartupPaths(settings, programPath);
    // What an earlier run left goes; the expansion makes TempDir again and says why it cannot.
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

    if (!HasRoom(ExpansionNeeds(settings), log)) {
        RemoveSetupDirectories(settings);
        return 1;
    }
    {
        segment::TSegCompEZ component;
        TPayloadView quietView;
        const TPayloadOutcome payload = ExpandPayload(component, settings, look.Header.Text, prompts, quietView, log);
        if (payload.End != TPayloadEnd::Expanded) {
            // The expansion logs its failure; a disk declined is logged here.
            if (payload.End == TPayloadEnd::Cancelled) Log(log, WithFailure("FAILED " + payload.Reason, payload.Failure));
            RemoveSetupDirectories(settings);
            return 1;
        }
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
