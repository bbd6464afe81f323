// The install routine of the wizard: it gathers the user's choices from the pages, shows
// the install's progress on the last page and runs the install engine.
#include "install/Setup_Unit1.h"
#include "install/wizard/Setup_Unit2.h"
#include "install/wizard/install_engine.h"
#include "ui/application.h"

namespace zov {
namespace {

constexpr int kInstallingHeight = 120;
constexpr int kAboveScreenBottom = 30;

std::vector<std::string> CheckedNames(const ui::TCheckListBox& list) {
    std::vector<std::string> names;
    for (size_t i = 0; i < list.Items().Count(); ++i)
        if (list.Checked(i)) names.push_back(list.Items()[i]);
    return names;
}

// The progress page: status and file in `source`, the directory in `Dest`, the bar.
class WizardProgress : public TInstallProgress {
public:
    explicit WizardProgress(TZOV& wizard) : w_(wizard) {}
    void Begin() override {
        w_.Panel1.Hide();
        w_.SetHeight(kInstallingHeight);
        w_.SetTop(MainSetup->Height() - kInstallingHeight - kAboveScreenBottom);
        w_.StopButton.SetFocus();  // Enter, Space or Escape asks to stop
        w_.Repaint();
    }
    void SetRange(int maximum) override { w_.ProgressBar1.SetRange(0, maximum); }
    void Advance() override { w_.ProgressBar1.StepBy(1); }
    void Status(const std::string& text) override { w_.source.SetCaption(text); }
    void Target(const std::string& text) override { w_.Dest.SetCaption(text); }
    void Pump() override { ui::App().ProcessMessages(); }
    bool StopRequested() override { return w_.StopRequested(); }

private:
    TZOV& w_;
};

}  // namespace

TInstallChoices TZOV::Choices() const {
    TInstallChoices choices;
    choices.Title = MainSetup->Setup_Header.Caption();
    choices.Destination = Main_Dir.Text();
    choices.FolderStartMenu = Shortcuts1.FolderStartMenu;
    choices.FolderDesktop = Shortcuts1.FolderDesktop;
    choices.DesktopLinks = CheckedNames(DK);
    choices.StartMenuLinks = CheckedNames(SM);
    choices.Workstation = min.Checked();
    choices.Launch = RadioButton1.Checked();
    return choices;
}

void TZOV::DoInstall() {
    WizardProgress progress(*this);
    TSetupRun& run = MainSetup->Run;
    run.Choices = Choices();
    TInstallEngine engine(run.Settings, run.Choices, *run.Prompts, progress, run.Log);
    const TInstallReport& report = run.Report.emplace(engine.Run());
    if (report.End != TInstallEnd::Completed) {
        run.Failed = true;
        reboot.SetChecked(false);
        const bool stopped = report.End == TInstallEnd::Cancelled;  // the user's own choice
        ui::MessageDlg(report.Error, stopped ? ui::TMsgDlgType::mtInformation : ui::TMsgDlgType::mtError, ui::mbOK);
        if (report.End == TInstallEnd::NothingDone) {
            // Nothing was installed: the setup ends here, removing only its own files.
            MainSetup->ClearTempDir();
            ui::App().Terminate();
            return;
        }
    } else if (!report.FailedFiles.empty()) {
        std::string text = "These files could not be installed:\r";
        for (const std::string& failed : report.FailedFiles) text += "\r" + failed;
        ui::MessageDlg(text, ui::TMsgDlgType::mtError, ui::mbOK);
    }
    ui::App().ProcessMessages();
    CloseAfterInstall();
}

}  // namespace zov
