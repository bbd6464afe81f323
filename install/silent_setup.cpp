#include "install/silent_setup.h"

#include "install/cfg_entries.h"
#include "install/cfg_integrity.h"
#include "install/destination_check.h"
#include "install/free_space.h"
#include "install/payload.h"
#include "install/setup_run.h"
#include "shell/WinReboot.h"
#include "shell/system_helpers.h"
#include "sys/decimal.h"
#include "sys/paths.h"
#include "sys/system.h"

namespace zov {

void TUnattendedPrompts::Log(const std::string& line) {
    if (log_) log_->Line(line);
}

bool TUnattendedPrompts::InsertDisk(uint16_t number, const std::string&, std::string&) {
    // Nobody is there to insert a disk: what was asked for is what failed.
    Log("message Please Insert Disk #" + DecimalText(number) + " into Floppy Drive. -> Cancel");
    return false;
}

bool TUnattendedPrompts::RetryDisk(uint16_t, const std::string& problem) {
    Log("message " + sys::OneLine(problem) + " -> Cancel");
    return false;
}

bool TUnattendedPrompts::Overwrite(const std::string& name) {
    Log("message File Already Exists (" + name + "). Overwrite? -> Yes");
    return true;
}

TFailureChoice TUnattendedPrompts::OnFailure(const std::string& what, const sys::Failure& failure) {
    Log("message " + sys::OneLine(what) + ": " + failure.Describe() + " -> Ignore");
    return TFailureChoice::Ignore;
}

bool TUnattendedPrompts::Confirm(const std::string& text, const std::string&) {
    Log("message " + sys::OneLine(text) + " -> No");
    return false;
}

void TUnattendedPrompts::Message(const std::string& text, const std::string&, TMessageKind) {
    Log("message " + sys::OneLine(text));
}

int RunUnattendedSetup(const TSetupSwitches& switches, TSetupPrompts& prompts, TInstallLog* log,
                       const std::string& programPath) {
    sys::System& os = sys::Sys();
    TSetupRun run{&prompts, log};
    TSetupSettings& settings = run.Settings;
    // Ends the run before the install, with its reason logged.
    const auto refuse = [&](const std::string& reason) {
        run.LogLine("FAILED " + reason);
        run.Failed = true;
        return run.ExitCode();
    };
    // Ends the run after the expansion began: the setup's own directories go too.
    const auto endBefore = [&](const std::string& reason) {
        if (!reason.empty()) run.LogLine("FAILED " + reason);
        RemoveSetupDirectories(settings);
        run.Failed = true;
        return run.ExitCode();
    };
    if (!switches.Params.empty()) {
        if (!os.SetCurrentDirectory(switches.Params[0])) return refuse(sys::FailureText(switches.Params[0]));
        settings.StartDir = os.GetCurrentDirectory();
    }
    FixStartupPaths(settings, programPath);
    // What an earlier run left goes; the expansion makes TempDir again and says why it cannot.
    EmptyAndRemoveDirectory(settings.TempDir);
    TScreenLook look;
    const std::string cfg = settings.SourceDir + "install.cfg";
    if (!FileExists(cfg)) return refuse(sys::FailureText(cfg));
    if (const std::string fault = ConfigFileFault(cfg); !fault.empty()) return refuse(fault);
    ReadSetupConfig(cfg, settings, look);
    run.Offer = EndOfferFor(settings);
    run.LogLine("setup " + look.Header.Text + " from " + settings.SourceDir);
    // /D= was checked on the command line; the default is taken as the destination page takes it.
    const TDestinationCheck destination =
        switches.Destination ? TDestinationCheck{*switches.Destination, {}}
                             : CheckDestination(DefaultDestination(settings, look.Header.Text),
                                                ProductFolderName(settings.InstallDir));
    if (!destination.Refusal.empty()) return refuse(destination.Refusal);

    if (!HasRoom(ExpansionNeeds(settings), log)) return endBefore({});
    {
        segment::TSegCompEZ component;
        TPayloadView quietView;
        const TPayloadOutcome payload = ExpandPayload(component, settings, look.Header.Text, prompts, quietView, log);
        // The expansion logs its failure; a disk declined is logged here.
        if (payload.End == TPayloadEnd::Cancelled) return endBefore(sys::WithFailure(payload.Reason, payload.Failure));
        if (payload.End != TPayloadEnd::Expanded) return endBefore({});
    }
    TInstallChoices& choices = run.Choices;
    choices.Title = look.Header.Text;
    choices.Destination = destination.Path;
    choices.FolderStartMenu = switches.FolderStartMenu;
    choices.FolderDesktop = switches.FolderDesktop;
    // The shortcuts the wizard would list, all of them checked as it lists them.
    choices.DesktopLinks = OfferedLinkNames(settings.Shortcuts, TLinkPlace::Desktop);
    choices.StartMenuLinks = OfferedLinkNames(settings.Shortcuts, TLinkPlace::StartMenu);
    choices.Workstation = switches.Workstation.value_or(settings.WorkStationPrompt);
    run.End = switches.End.value_or(TSetupEnd::Return);
    choices.Launch = run.End == TSetupEnd::Launch && run.Offer.LaunchOffered;
    if (run.End == TSetupEnd::Launch && !choices.Launch) run.LogLine("no program to launch: /END=launch is ignored");

    if (!HasRoom(CopyNeeds(settings, choices.Destination, choices.Workstation), log)) return endBefore({});
    TInstallProgress quiet;
    TInstallEngine engine(settings, choices, prompts, quiet, log);
    const TInstallReport& report = run.Report.emplace(engine.Run());
    RemoveSetupDirectories(settings);
    if (report.End != TInstallEnd::Completed) return run.ExitCode();
    if (run.End == TSetupEnd::Reboot) {
        run.LogLine("restart");
        TWinReboot().Reboot(EWX_REBOOT);
    }
    if (!report.FailedFiles.empty())
        run.LogLine("installed, but " + std::to_string(report.FailedFiles.size()) +
                    " of its files, links or shared counts could not be made");
    else if (!report.LaunchFailure.empty())
        run.LogLine("installed, but its program could not be launched");
    else
        run.LogLine("installed");
    return run.ExitCode();
}

}  // namespace zov
