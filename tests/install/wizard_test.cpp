#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/wizard/uninstall_info.h"
#include "shell/system_helpers.h"
#include "tests/install/stage_fixture.h"
#ifndef _WIN32
#include "sys/emu/emulated_system.h"
#endif

namespace zov::test {
namespace {

class Wizard : public StageFixture {
protected:
    // What a click of the user does; a hidden or disabled button cannot be clicked.
    void Click(ui::TControl& control) {
        ASSERT_TRUE(control.Showing()) << control.Caption() << " is hidden, on page " << PageName(*wizard);
        ASSERT_TRUE(control.Enabled()) << control.Caption() << " is disabled, on page " << PageName(*wizard);
        control.Click();
    }
    int Page() { return wizard->Notebook1.PageIndex(); }
    // Starts with `config` and shows the wizard, with license.txt in the payload when given.
    void Open(const std::string& config, const char* license = nullptr) {
        WriteConfig(config);
        Start();
        if (license) {
            machine.System().CreateDirectory(Settings().TempDir);  // the preparation stage makes it
            machine.WriteFile(TempFile("license.txt"), license);
        }
        wizard->Show();
    }
};

constexpr char kThreeLineLicense[] = "LICENSE\r\n\r\nUse it well.\r\n";

TEST_F(Wizard, LicencePageWaitsForAcceptAndSkippedPagesAreSkippedBothWays) {
    Open("[Setup - Main]\nInstall Dir=Tool\n", kThreeLineLicense);
    EXPECT_EQ(Page(), 0);
    EXPECT_FALSE(wizard->back.Enabled());
    EXPECT_FALSE(wizard->install.Visible());
    Click(wizard->next);
    EXPECT_EQ(Page(), 1);
    EXPECT_FALSE(wizard->next.Enabled());
    EXPECT_TRUE(wizard->back.Enabled());
    EXPECT_EQ(wizard->Memo3.Lines().Count(), 3u);
    Click(wizard->accept);
    EXPECT_EQ(Page(), 2);
    EXPECT_EQ(wizard->Main_Dir.Text(), "C:\\Tool");
    Click(wizard->next);
    EXPECT_EQ(Page(), 3);  // the program folder "Accessories" by default
    EXPECT_EQ(wizard->CreateFolder.Caption(), "Accessories");
    Click(wizard->next);
    EXPECT_EQ(Page(), 5);  // no install-type page without the workstation prompt
    EXPECT_TRUE(wizard->install.Visible());
    EXPECT_FALSE(wizard->next.Enabled());
    EXPECT_TRUE(wizard->full.Checked());
    Click(wizard->back);
    EXPECT_EQ(Page(), 3);
    EXPECT_FALSE(wizard->install.Visible());
    EXPECT_TRUE(wizard->next.Enabled());
    Click(wizard->back);
    Click(wizard->back);
    EXPECT_EQ(Page(), 1);
    EXPECT_FALSE(wizard->next.Enabled());
    Click(wizard->back);
    EXPECT_EQ(Page(), 0);
    EXPECT_FALSE(wizard->back.Enabled());
}

TEST_F(Wizard, OneLineLicenceCountsAsNone) {
    Open("[Setup - Main]\n", "Free to use.\r\n");
    Click(wizard->next);
    EXPECT_EQ(Page(), 2);
    EXPECT_TRUE(wizard->next.Enabled());
    Click(wizard->back);
    EXPECT_EQ(Page(), 0);
    EXPECT_FALSE(wizard->back.Enabled());
}

TEST_F(Wizard, WithoutWarningScreenItOpensOnAnEmptyLicenceThatMustBeAccepted) {
    Open("[Setup - Main]\nShow Warning Screen=0\n");  // and no license.txt at all
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(wizard->Memo3.Lines().Count(), 0u);
    EXPECT_FALSE(wizard->next.Enabled());
    Click(wizard->accept);
    EXPECT_EQ(Page(), 2);
}

TEST_F(Wizard, FoldersPageListsMarkedShortcutsAndForgetsUnchecksOnReentry) {
    Open("[Setup - Main]\nInstall Dir=Tool\nAdd to Program Files=1\nFolder=Tool\n"
         "[Desktop]\n"
         "Link1=Tool~<INSTALLDIR>tool.exe~X~X~<INSTALLDIR>tool.exe~Tool\n"
         "Link2=Read Me~<INSTALLDIR>\\readme.txt~x~X~<INSTALLDIR>\\readme.txt~Tool\n"
         "Link3=Plain~notes.txt~~~~Other\n",
         kThreeLineLicense);
    Click(wizard->next);
    Click(wizard->accept);
    Click(wizard->next);
    ASSERT_EQ(Page(), 3);
    EXPECT_EQ(wizard->Memo4.Lines().Lines(),
              (std::vector<std::string>{"Install to:", "  C:\\Program Files\\Tool", "", "File \\ Folder : ", "  Tool",
                                        "  tool.exe \\ Tool \\ Desktop \\ Start Menu",
                                        "  \\readme.txt \\ Tool \\ Start Menu", "  notes.txt \\ Other"}));
    EXPECT_EQ(wizard->DK.Items().Lines(), (std::vector<std::string>{"Tool"}));  // "x" is no mark
    EXPECT_EQ(wizard->SM.Items().Lines(), (std::vector<std::string>{"Tool", "Read Me"}));
    EXPECT_TRUE(wizard->DK.Checked(0));
    EXPECT_TRUE(wizard->SM.Checked(0) && wizard->SM.Checked(1));
    EXPECT_FALSE(wizard->CheckBox1.Checked() || wizard->CheckBox2.Checked());

    wizard->SM.ClickCheck(1);
    wizard->DK.ClickCheck(0);
    EXPECT_FALSE(wizard->SM.Checked(1));
    Click(wizard->back);
    Click(wizard->next);
    ASSERT_EQ(Page(), 3);
    EXPECT_TRUE(wizard->SM.Checked(1));
    EXPECT_TRUE(wizard->DK.Checked(0));
}

TEST_F(Wizard, LaunchChoiceFollowsTheLaunchSetting) {
    Open("[Setup - Main]\nLaunch=<INSTALLDIR>\\tool.exe,/first\nInstall Dir=Tool\n[Directories]\nDir1=<INSTALLDIR>~\n",
         "one line\r\n");
    EXPECT_TRUE(wizard->RadioButton1.Enabled());
    EXPECT_TRUE(wizard->RadioButton1.Checked());
    EXPECT_FALSE(wizard->reboot.Checked());
    EXPECT_TRUE(wizard->reboot.Visible());
    EXPECT_EQ(wizard->Label2.Caption(), "<INSTALLDIR>\\tool.exe,/first");
    Click(wizard->next);
    Click(wizard->next);
    Click(wizard->next);
    ASSERT_EQ(Page(), 5);
    EXPECT_EQ(wizard->Label2.Caption(), "C:\\Tool\\tool.exe /first");  // as it will be started
}

TEST_F(Wizard, TheDestinationPageTakesOnlyAFullPathOfTheProductsOwn) {
    Open("[Setup - Main]\nInstall Dir=Apps\\Tool\n");
    const std::string file = machine.Path("Notes");
    machine.WriteFile(file, "a file");
    const std::string windows = GetWindowsDir();
    struct Case {
        std::string typed, refusal, accepted;
    } const cases[] = {
        {"Tool", "\"Tool\" is not a full path: give the drive too, as in C:\\Program Files\\Tool.", ""},
        {"\\Tool", "\"\\Tool\" is not a full path: give the drive too, as in C:\\Program Files\\Tool.", ""},
        {file, file + " is a file: choose a directory.", ""},
        {"c:/", "", "C:\\Tool"},  // a folder the system shares gets the product's own
        {windows + "\\", "", windows + "\\Tool"},
        {"C:\\Program Files", "", "C:\\Program Files\\Tool"},
        {"C:\\Apps\\.\\Tool\\", "", "C:\\Apps\\Tool"},
    };
    Click(wizard->next);
    ASSERT_EQ(Page(), 2);
    for (const Case& c : cases) {
        wizard->Main_Dir.SetText(c.typed);
        if (!c.refusal.empty())
            dialogs.ExpectMessage(c.refusal, "Error", ui::TMsgDlgType::mtError, ui::mbOK, ui::mrOk);
        Click(wizard->next);
        EXPECT_EQ(Page(), c.refusal.empty() ? 3 : 2) << c.typed;
        if (c.refusal.empty()) {
            EXPECT_EQ(wizard->Main_Dir.Text(), c.accepted);
            Click(wizard->back);
        }
    }
    dialogs.Picked = windows;  // the folder picker appends as well
    wizard->Main_Dir.Browse();
    EXPECT_EQ(wizard->Main_Dir.Text(), windows + "\\Tool");
}

TEST_F(Wizard, AReinstallProposesTheEarlierInstallsFolder) {
    const std::string key = std::string(kUninstallRegistryKey) + "Reinstall Probe";
    ASSERT_TRUE(machine.System().RegSetString(sys::RegRoot::LocalMachine, key, "InstallLocation", "D:\\Earlier"));
    Open("[Setup - Main]\nHeader=Reinstall Probe\nInstall Dir=Tool\n");
    EXPECT_EQ(wizard->Main_Dir.Text(), "D:\\Earlier");
    machine.System().RegDeleteKey(sys::RegRoot::LocalMachine, key);
}

TEST_F(Wizard, SetupProgramsInAnyCaseAndAnEmptyLaunchDisableTheLaunchChoice) {
    Open("[Setup - Main]\nLaunch=<INSTALLDIR>\\sEtUp.exe\n");
    EXPECT_FALSE(wizard->RadioButton1.Enabled());
    EXPECT_FALSE(wizard->RadioButton1.Checked());
    EXPECT_TRUE(wizard->reboot.Checked());  // "Show Re-Boot" is on by default
    EXPECT_FALSE(wizard->RadioButton2.Checked());
    EXPECT_EQ(wizard->Label2.Caption(), "");
}

TEST_F(Wizard, WithoutRestartOptionReturnToWindowsIsChosen) {
    Open("[Setup - Main]\nShow Re-Boot=0\n");
    EXPECT_FALSE(wizard->RadioButton1.Enabled());
    EXPECT_TRUE(wizard->RadioButton2.Checked());
    EXPECT_FALSE(wizard->reboot.Checked());
    EXPECT_FALSE(wizard->reboot.Visible());
}

TEST_F(Wizard, WithoutProgramFolderThePageIsPassedButItsListsAreBuilt) {
    Open("[Setup - Main]\nInstall Dir=Tool\nFolder=\n[Desktop]\nLink1=Tool~<INSTALLDIR>tool.exe~X~~x~Tool\n", "one line\r\n");
    Click(wizard->next);
    ASSERT_EQ(Page(), 2);
    Click(wizard->next);
    EXPECT_EQ(Page(), 5);
    EXPECT_TRUE(wizard->install.Visible());
    EXPECT_FALSE(wizard->next.Enabled());
    EXPECT_EQ(wizard->DK.Items().Lines(), (std::vector<std::string>{"Tool"}));
    ASSERT_EQ(wizard->Memo4.Lines().Count(), 6u);
    EXPECT_EQ(wizard->Memo4.Lines()[5], "  tool.exe \\ Tool \\ Desktop");
    Click(wizard->back);
    EXPECT_EQ(Page(), 2);
}

TEST_F(Wizard, WorkstationPromptShowsTheInstallTypePageWithTheNetworkTypeChosen) {
    Open("[Setup - Main]\nInstall Dir=Tool\nFolder=\nWork Station Prompt=1\n", "one line\r\n");
    EXPECT_TRUE(wizard->min.Checked());
    EXPECT_FALSE(wizard->full.Checked());
    Click(wizard->next);
    Click(wizard->next);
    EXPECT_EQ(Page(), 4);
    EXPECT_FALSE(wizard->install.Visible());
    Click(wizard->full);
    EXPECT_FALSE(wizard->min.Checked());
    Click(wizard->next);
    EXPECT_EQ(Page(), 5);
    Click(wizard->back);
    EXPECT_EQ(Page(), 4);
    Click(wizard->back);
    EXPECT_EQ(Page(), 2);  // the folders page is passed backwards too
}

TEST_F(Wizard, CancelAndDeclineAndTheTitleBarAllCancelTheSetup) {
    Open("[Setup - Main]\n", kThreeLineLicense);
    wizard->reboot.SetChecked(true);
    // Cancel asks first, the close box too: the prepared payload would be lost. No keeps it.
    for (ui::TModalResult answer : {ui::mrNo, ui::mrNo, ui::mrYes})
        dialogs.ExpectMessage("Are you sure you want to cancel the installation?", "Confirm",
                              ui::TMsgDlgType::mtConfirmation, ui::mbYes | ui::mbNo, answer);
    Click(wizard->cancel);
    wizard->UserClose();
    EXPECT_FALSE(main->Run.Cancelled);
    EXPECT_TRUE(wizard->Visible());
    Click(wizard->cancel);
    EXPECT_TRUE(main->Run.Cancelled);
    EXPECT_FALSE(wizard->reboot.Checked());
    EXPECT_FALSE(wizard->Visible());

    main->Run.Cancelled = false;
    wizard->reboot.SetChecked(true);
    wizard->Show();
    Click(wizard->next);
    Click(wizard->decline);
    EXPECT_TRUE(main->Run.Cancelled);
    EXPECT_FALSE(wizard->reboot.Checked());

    // Closed through its title bar while shown modally: cancelled too.
    wizard->reboot.SetChecked(true);
    headless.OnIdle = [&] {
        if (!wizard->Visible()) return false;
        wizard->Close();
        return true;
    };
    wizard->ShowModal();
    EXPECT_TRUE(main->Run.Cancelled);
    EXPECT_FALSE(wizard->reboot.Checked());
    EXPECT_EQ(main->Run.End, TSetupEnd::Return);  // what the main screen acts on
}

TEST_F(Wizard, EnterGoesOnAndEscapeCancelsFromTheKeyboard) {
    Open("[Setup - Main]\nInstall Dir=Tool\n", kThreeLineLicense);
    using ui::TDialogKey;
    EXPECT_TRUE(wizard->DialogKey(TDialogKey::dkEnter, &wizard->Memo3));  // Next, from any control
    EXPECT_EQ(Page(), 1);
    // The licence is answered only by Accept or Decline: Enter presses nothing there, but a
    // focused Accept it presses.
    EXPECT_FALSE(wizard->DialogKey(TDialogKey::dkEnter, &wizard->Memo3));
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(wizard->accept.Caption(), "&Accept");
    EXPECT_EQ(wizard->decline.Caption(), "&Decline");
    EXPECT_TRUE(wizard->DialogKey(TDialogKey::dkEnter, &wizard->accept));
    EXPECT_EQ(Page(), 2);
    while (!wizard->install.Visible()) ASSERT_TRUE(wizard->DialogKey(TDialogKey::dkEnter, nullptr));
    EXPECT_EQ(wizard->DefaultButton(), &wizard->install);  // on the last page Enter installs
    wizard->reboot.SetChecked(true);
    dialogs.ExpectMessage("Are you sure you want to cancel the installation?", "Confirm",
                          ui::TMsgDlgType::mtConfirmation, ui::mbYes | ui::mbNo, ui::mrYes);
    EXPECT_TRUE(wizard->DialogKey(TDialogKey::dkEscape, &wizard->RadioButton2));
    EXPECT_TRUE(main->Run.Cancelled);
    EXPECT_FALSE(wizard->reboot.Checked());
    EXPECT_FALSE(wizard->Visible());
}

TEST_F(Wizard, InstallShowsTheProgressPageAndEndsTheWizardUncancelled) {
    Open("[Setup - Main]\nInstall Dir=Tool\n[Directories]\nDir1=<INSTALLDIR>~\n");
    machine.System().CreateDirectory(Settings().TempDir);
    for (const char* name : {"install.exe", "install.cfg"}) machine.WriteFile(TempFile(name), name);
    wizard->Hide();
    main->Run.Cancelled = true;  // the wizard clears it when shown
    InstallWhenTheWizardShows();
    wizard->ShowModal();
    EXPECT_EQ(Page(), 6);
    EXPECT_FALSE(main->Run.Cancelled);
    EXPECT_TRUE(wizard->reboot.Checked());
    EXPECT_EQ(main->Run.End, TSetupEnd::Reboot);
    EXPECT_EQ(main->Run.Choices.Destination, "C:\\Tool");
    EXPECT_EQ(machine.ReadFile("C:\\Tool\\install.cfg"), "install.cfg");
    EXPECT_FALSE(wizard->Panel1.Visible());  // no navigation while installing, nor after
    EXPECT_EQ(wizard->Height(), 120);
}

TEST_F(Wizard, ASetupWithoutAnInstallDirectoryInstallsNothingAndEnds) {
    Open("[Setup - Main]\nInstall Dir=Tool\n[Directories]\nDir1=<WINDOWS>~\n[Files]\nFile1=a.txt~<WINDOWS>\n");
    machine.System().CreateDirectory(Settings().TempDir);
    machine.WriteFile(TempFile("a.txt"), "a");
    wizard->Hide();
    InstallWhenTheWizardShows();
    dialogs.ExpectMessage(
        "This setup names no install directory (<INSTALLDIR> in its Directories): nothing was installed.",
        "Error", ui::TMsgDlgType::mtError, ui::mbOK, ui::mrOk);
    wizard->ShowModal();
    EXPECT_FALSE(machine.Exists("C:\\WINDOWS\\a.txt"));
    EXPECT_TRUE(main->Run.Failed);
    EXPECT_EQ(main->Run.ExitCode(), 1);
    EXPECT_TRUE(app.Terminated());
}

// How the user asks to stop the running install, and the answer to the question.
enum class StopWay { Button, Escape, CloseBox };
class WizardStop : public Wizard, public ::testing::WithParamInterface<std::pair<StopWay, ui::TModalResult>> {};

TEST_P(WizardStop, IsAskedAndOnlyYesRequestsIt) {
    const auto [way, answer] = GetParam();
    Open("[Setup - Main]\nInstall Dir=Tool\n[Directories]\nDir1=<INSTALLDIR>~\n[Files]\nFile1=a.txt~<INSTALLDIR>\n");
    machine.System().CreateDirectory(Settings().TempDir);
    for (const char* name : {"install.exe", "install.cfg", "a.txt"}) machine.WriteFile(TempFile(name), name);
    machine.System().DeleteFile("C:\\Tool\\a.txt");  // left by an earlier case on a machine that persists
    wizard->Hide();
    InstallWhenTheWizardShows();
    bool asked = false;
    dialogs.OnPump = [&, way = way, answer = answer] {
        if (asked || Page() != 6) return;
        asked = true;
        EXPECT_TRUE(wizard->StopButton.Showing());
        dialogs.ExpectMessage("Do you want to stop the installation? Everything installed so far will be removed.",
                              "Confirm", ui::TMsgDlgType::mtConfirmation, ui::mbYes | ui::mbNo | ui::mbDefaultNo,
                              answer);
        switch (way) {
            case StopWay::Button: wizard->StopButton.Click(); break;
            case StopWay::Escape: EXPECT_TRUE(wizard->DialogKey(ui::TDialogKey::dkEscape, nullptr)); break;
            case StopWay::CloseBox: wizard->UserClose(); break;
        }
        EXPECT_EQ(dialogs.Pending(), 0u);
        EXPECT_EQ(wizard->StopRequested(), answer == ui::mrYes);
        EXPECT_EQ(wizard->StopButton.Enabled(), answer != ui::mrYes);  // asked once only
        if (answer == ui::mrYes)
            dialogs.ExpectMessage("The installation was stopped: nothing was installed.", "Information",
                                  ui::TMsgDlgType::mtInformation, ui::mbOK, ui::mrOk);
    };
    wizard->ShowModal();
    dialogs.OnPump = nullptr;
    EXPECT_TRUE(asked);
    EXPECT_EQ(dialogs.Pending(), 0u);
    EXPECT_EQ(machine.Exists(main->Run.Choices.Destination + "\\a.txt"), answer != ui::mrYes);
    EXPECT_FALSE(wizard->Visible());  // ended by the install, not by the close box
}

INSTANTIATE_TEST_SUITE_P(Ways, WizardStop,
                         ::testing::Values(std::pair{StopWay::Button, ui::mrYes}, std::pair{StopWay::Escape, ui::mrNo},
                                           std::pair{StopWay::Escape, ui::mrYes}, std::pair{StopWay::CloseBox, ui::mrYes},
                                           std::pair{StopWay::CloseBox, ui::mrNo}));

#ifndef _WIN32  // the free space is set on the emulated machine
TEST_F(Wizard, ADriveWithoutRoomKeepsTheDestinationPageAndSaysHowMuchIsMissing) {
    Open("[Setup - Main]\nInstall Dir=Tool\n[Directories]\nDir1=<INSTALLDIR>~\n[Files]\nFile1=a.dat~<INSTALLDIR>\n");
    auto& emu = dynamic_cast<sys::emu::EmulatedSystem&>(machine.System());
    emu.SetClusterSize(1024);
    emu.SetFreeDiskSpace(3 * 1048576 + 1048576 / 10 + 1);
    machine.System().CreateDirectory(Settings().TempDir);
    for (const char* name : {"install.exe", "install.cfg"}) machine.WriteFile(TempFile(name), name);
    machine.WriteFile(TempFile("a.dat"), std::string(12 * 1048576 + 1048576 / 3, 'x'));
    Click(wizard->next);
    ASSERT_EQ(Page(), 2);
    dialogs.ExpectMessage("Not enough space on C: 12.4 MB needed, 3.1 MB free", "Error", ui::TMsgDlgType::mtError,
                          ui::mbOK, ui::mrOk);
    Click(wizard->next);
    EXPECT_EQ(Page(), 2);
    // Room made meanwhile: the wizard goes on, and checks again at Install.
    emu.SetFreeDiskSpace(13 * 1048576);
    while (!wizard->install.Visible()) Click(wizard->next);
    emu.SetFreeDiskSpace(1048576);
    dialogs.ExpectMessage("Not enough space on C: 12.4 MB needed, 1.0 MB free", "Error", ui::TMsgDlgType::mtError,
                          ui::mbOK, ui::mrOk);
    Click(wizard->install);
    EXPECT_EQ(Page(), 2);
    EXPECT_FALSE(wizard->install.Visible());
    EXPECT_TRUE(wizard->next.Enabled());
    EXPECT_FALSE(machine.Exists("C:\\Tool"));
}
#endif

TEST_F(Wizard, TitleBarTakesTheMainScreensColoursAsInstallCfgSetThem) {
    Open("[Setup - Main]\nDither From=255\nDither To=$800000\nHeader Font Color=$FFFFFF\n");
    EXPECT_EQ(wizard->MarsCaption1.ActiveStartColor(), 255);
    EXPECT_EQ(wizard->MarsCaption1.ActiveEndColor(), 0x800000);
    EXPECT_EQ(wizard->MarsCaption1.ActiveTextColor(), 0xFFFFFF);
    EXPECT_EQ(wizard->MarsCaption1.NumColors, 64);
}

}  // namespace
}  // namespace zov::test
