// The wizard's handlers: navigation between the pages and what each page needs from the
// settings.
#include "install/wizard/Setup_Unit2.h"

#include <string>

#include "install/Setup_Unit1.h"
#include "install/cfg_entries.h"
#include "install/destination_check.h"
#include "install/free_space.h"
#include "install/launch_command.h"
#include "install/payload.h"
#include "install/setup_switches.h"
#include "install/wizard/directory_tags.h"
#include "shell/system_helpers.h"
#include "sys/system.h"
#include "ui/application.h"

namespace zov {
namespace {

enum Page { kWelcome = 0, kLicense = 1, kDestination = 2, kFolders = 3, kInstallType = 4, kReady = 5, kProgress = 6 };

TSetupRun& Run() { return MainSetup->Run; }
const TSetupSettings& Settings() { return Run().Settings; }

// The part of a path after its first ">" (a tag's end); all of it when it has none.
std::string AfterFirstTagEnd(const std::string& text) {
    const size_t at = text.find('>');
    return at == std::string::npos ? text : text.substr(at + 1);
}

bool LicenseShown(const ui::TMemo& memo) { return memo.Lines().Count() >= 2; }

// The payload is prepared by the time the wizard shows: cancelling throws that work away,
// so the user is asked first.
bool CancelConfirmed() {
    return ui::MessageDlg("Are you sure you want to cancel the installation?", ui::TMsgDlgType::mtConfirmation,
                          ui::mbYes | ui::mbNo) == ui::mrYes;
}

}  // namespace

void TZOV::FormCreate() { Notebook1.SetPageIndex(kWelcome); }

void TZOV::TakeOffer(const TEndOffer& offer) {
    reboot.SetVisible(offer.RebootShown);
    RadioButton1.SetEnabled(offer.LaunchOffered);
    ui::TRadioButton& preselected = offer.Preselected == TSetupEnd::Launch   ? RadioButton1
                                    : offer.Preselected == TSetupEnd::Reboot ? reboot
                                                                             : RadioButton2;
    preselected.SetChecked(true);
    // Before the licence is loaded: past the welcome page the built-in text is still there,
    // so the licence page stops the wizard even when the payload has no licence.
    if (offer.SkipWelcome) nextClick();
}

TSetupEnd TZOV::EndChoice() const {
    if (reboot.Checked()) return TSetupEnd::Reboot;
    return RadioButton1.Checked() ? TSetupEnd::Launch : TSetupEnd::Return;
}

void TZOV::FormShow() {
    const TSetupSettings& s = Settings();
    finished_ = false;
    Run().Cancelled = false;
    TakeOffer(Run().Offer);
    // The title bar takes the colours of the main screen as install.cfg set them.
    MarsCaption1.SetActiveStartColor(MainSetup->MainScreen.FromColor());
    MarsCaption1.SetActiveEndColor(MainSetup->MainScreen.ToColor());
    MarsCaption1.SetActiveTextColor(MainSetup->Setup_Header.Font().Color);
    CreateFolder.SetCaption(s.ProgramFolder);
    Label2.SetCaption(RadioButton1.Enabled() ? s.LaunchCommand : "");
    const std::string license = s.TempDir + "\\license.txt";
    const uint32_t attributes = sys::Sys().GetFileAttributes(license);
    if (attributes != sys::kInvalidAttributes && !(attributes & sys::kAttrDirectory))
        Memo3.Lines().LoadFromFile(license);
    else
        Memo3.Lines().Clear();
    if (s.WorkStationPrompt)
        min.SetChecked(true);
    else
        full.SetChecked(true);
    // Switches on the command line preset the choices the wizard offers.
    const TSetupSwitches switches = ParseSetupSwitches(ui::App().Params);
    Main_Dir.SetText(switches.Destination.value_or(DefaultDestination(s, MainSetup->Setup_Header.Caption())));
    if (switches.Workstation) (*switches.Workstation ? min : full).SetChecked(true);
    if (switches.FolderStartMenu) CheckBox1.SetChecked(true);
    if (switches.FolderDesktop) CheckBox2.SetChecked(true);
    Repaint();
    MainSetup->Repaint();
    ui::App().ProcessMessages();
}

void TZOV::ShowReadyPage() {
    Notebook1.SetPageIndex(kReady);
    install.Show();
    next.SetEnabled(false);
}

bool TZOV::AcceptDestination() {
    const TDestinationCheck check = CheckDestination(Main_Dir.Text(), ProductFolderName(Settings().InstallDir));
    if (!check.Refusal.empty()) {
        ui::MessageDlg(check.Refusal, ui::TMsgDlgType::mtError, ui::mbOK);
        return false;
    }
    Main_Dir.SetText(check.Path);
    return RoomForInstall();
}

bool TZOV::RoomForInstall() {
    const std::string shortage = SpaceShortage(CopyNeeds(Settings(), Main_Dir.Text(), min.Checked()));
    if (shortage.empty()) return true;
    Run().LogLine(shortage);
    if (Notebook1.PageIndex() != kDestination) {
        Notebook1.SetPageIndex(kDestination);
        next.SetEnabled(true);
        install.Hide();
    }
    ui::MessageDlg(shortage, ui::TMsgDlgType::mtError, ui::mbOK);
    return false;
}

void TZOV::Main_DirPicked() {
    // A folder picked in the picker is one to install into, not one to fill.
    const TDestinationCheck check = CheckDestination(Main_Dir.Text(), ProductFolderName(Settings().InstallDir));
    if (check.Refusal.empty()) Main_Dir.SetText(check.Path);
}

void TZOV::nextClick() {
    if (Notebook1.PageIndex() == kDestination && !AcceptDestination()) return;
    Notebook1.SetPageIndex(Notebook1.PageIndex() + 1);
    back.SetEnabled(true);
    next.SetEnabled(true);
    install.Hide();
    const TSetupSettings& s = Settings();
    switch (Notebook1.PageIndex()) {
        case kLicense:
            if (LicenseShown(Memo3)) {
                back.SetEnabled(true);
                next.SetEnabled(false);  // Accept or Decline
            } else {
                Notebook1.SetPageIndex(kDestination);
            }
            break;
        case kFolders:
            if (!s.ProgramFolder.empty()) break;
            if (s.WorkStationPrompt)
                Notebook1.SetPageIndex(kInstallType);
            else
                ShowReadyPage();
            break;
        case kInstallType:
            if (!s.WorkStationPrompt) ShowReadyPage();
            break;
        case kReady:
            install.Show();
            next.SetEnabled(false);
            break;
        default:
            break;
    }
}

void TZOV::backClick() {
    Notebook1.SetPageIndex(Notebook1.PageIndex() - 1);
    back.SetEnabled(true);
    next.SetEnabled(true);
    install.Hide();
    const TSetupSettings& s = Settings();
    switch (Notebook1.PageIndex()) {
        case kWelcome:
            back.SetEnabled(false);
            break;
        case kLicense:
            if (LicenseShown(Memo3))
                next.SetEnabled(false);
            else
                Notebook1.SetPageIndex(kWelcome);
            break;
        case kFolders:
            if (s.ProgramFolder.empty()) Notebook1.SetPageIndex(kDestination);
            break;
        case kInstallType:
            if (!s.WorkStationPrompt) Notebook1.SetPageIndex(s.ProgramFolder.empty() ? kDestination : kFolders);
            break;
        default:
            break;
    }
}

void TZOV::acceptClick() {
    back.SetEnabled(true);
    next.SetEnabled(true);
    Notebook1.SetPageIndex(Notebook1.PageIndex() + 1);
}

void TZOV::CancelSetup() {
    reboot.SetChecked(false);
    Run().Cancelled = true;
    finished_ = true;
    Close();
}

void TZOV::cancelClick() {
    if (CancelConfirmed()) CancelSetup();
}

bool TZOV::KeepOpen() {
    if (installing_) {
        // The install ends the wizard itself, once it has stopped and undone its work.
        StopButtonClick();
        return true;
    }
    return cancel.Showing() && !CancelConfirmed();
}

void TZOV::StopButtonClick() {
    if (!installing_ || stopRequested_) return;
    // No is the default: Enter on the focused Cancel button, pressed twice, must not throw the
    // install away.
    if (ui::MessageDlg("Do you want to stop the installation? Everything installed so far will be removed.",
                       ui::TMsgDlgType::mtConfirmation, ui::mbYes | ui::mbNo | ui::mbDefaultNo) != ui::mrYes)
        return;
    stopRequested_ = true;
    StopButton.SetEnabled(false);
}

void TZOV::declineClick() { CancelSetup(); }

void TZOV::FormClose(ui::TCloseAction&) {
    if (!finished_) {
        reboot.SetChecked(false);
        Run().Cancelled = true;
    }
    Run().End = EndChoice();
}

void TZOV::installClick() {
    if (!RoomForInstall()) return;
    Shortcuts1.Folder = CreateFolder.Caption();
    Shortcuts1.FolderStartMenu = CheckBox1.Checked();
    Shortcuts1.FolderDesktop = CheckBox2.Checked();
    Notebook1.SetPageIndex(kProgress);
    installing_ = true;
    stopRequested_ = false;
    DoInstall();
    installing_ = false;
}

void TZOV::CloseAfterInstall() {
    finished_ = true;
    Close();
}

void TZOV::Notebook1PageChanged() {
    back.SetEnabled(Notebook1.PageIndex() != kWelcome);
    // The path is typed at once, and no letter of it reaches a button's access key.
    if (Notebook1.PageIndex() == kDestination) Main_Dir.SetFocus();
    if (Notebook1.PageIndex() == kFolders) RebuildSummary();
    if (Notebook1.PageIndex() == kReady) {
        // The program as it will be started: its full path in the destination, its parameters.
        const TSetupSettings& s = Settings();
        const std::string command =
            PreviewDirectoryTag(s.LaunchCommand, s.Directories, {GetWindowsDir(), s.WindowsRoot, Main_Dir.Text()});
        Label2.SetCaption(LaunchCommandText(SplitLaunchCommand(command)));
    }
}

void TZOV::RebuildSummary() {
    ui::TStrings& summary = Memo4.Lines();
    summary.Clear();
    summary.Add("Install to:");
    summary.Add("  " + Main_Dir.Text());
    summary.Add("");
    summary.Add("File \\ Folder : ");
    summary.Add("  " + CreateFolder.Caption());
    DK.Items().Clear();
    SM.Items().Clear();
    for (const std::string& entry : Settings().Shortcuts) {
        const TLinkEntry link = ParseLinkEntry(entry);
        std::string line = AfterFirstTagEnd(link.Target) + " \\ " + link.Folder;
        if (link.OfferedOnDesktop()) {
            DK.Items().Add(link.Name);
            line += " \\ Desktop";
        }
        if (link.OfferedInStartMenu()) {
            SM.Items().Add(link.Name);
            line += " \\ Start Menu";
        }
        summary.Add("  " + line);
    }
    for (size_t i = 0; i < DK.Items().Count(); ++i) DK.SetChecked(i, true);
    for (size_t i = 0; i < SM.Items().Count(); ++i) SM.SetChecked(i, true);
}

}  // namespace zov
