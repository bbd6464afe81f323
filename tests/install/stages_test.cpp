#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/cfg_integrity.h"
#include "install/setup_entry.h"
#include "shell/system_helpers.h"
#include "tests/install/stage_fixture.h"
#include "tests/support/forwarding_system.h"

namespace zov::test {
namespace {

using ui::TMsgDlgType;

class Stages : public StageFixture {
protected:
    std::string WindowsDir() { return GetWindowsDir(); }
    void ExpectMessage(const std::string& text) {
        dialogs.ExpectMessage(text, "ZOV - Setup", TMsgDlgType::mtCustom, ui::mbOK, ui::mrOk);
    }
    void Close() {
        ui::TCloseAction action = ui::TCloseAction::caHide;
        main->FormClose(action);
    }
};

// Records restart requests instead of passing them on.
class RebootRecorder : public ForwardingSystem {
public:
    using ForwardingSystem::ForwardingSystem;
    bool ExitWindows(uint32_t flags) override {
        requests.push_back(flags);
        return false;
    }
    bool AdjustTokenPrivilege(const std::string&, bool) override { return true; }
    std::vector<uint32_t> requests;
};

const std::string kCompleted =
    "Your installation of \rZOV - Zovrand 32Bit (Tool)\rhas be completed.\r\rPlease Remove any floppies from drive.";
const std::string kRestart =
    "Zovrand is about to RE-BOOT your PC\r\rPlease Remove any floppies from drive.\r\rClick on OK when ready.";

TEST_F(Stages, StartUpFixesThePathsAndArmsTheTimer) {
    WriteConfig("[Setup - Main]\n");
    Start();
    EXPECT_EQ(Settings().StartDir, medium);
    EXPECT_EQ(Settings().SourceDir, medium + "\\");
    EXPECT_EQ(Settings().WindowsRoot, WindowsDir().substr(0, 3));
    EXPECT_EQ(Settings().TempDir, WindowsDir() + "\\Temp\\z");
    EXPECT_TRUE(main->Timer1.Enabled());
    EXPECT_EQ(main->Timer1.Interval(), 1000u);
    EXPECT_EQ(headless.RunningTimers(), 1u);
}

TEST_F(Stages, WithoutParameterFromADriveRootTheSourceKeepsItsOneBackslash) {
    ASSERT_TRUE(machine.System().SetCurrentDirectory("C:\\"));
    main->Show();
    EXPECT_EQ(Settings().StartDir, "");
    EXPECT_EQ(Settings().SourceDir, "C:\\");
}

TEST_F(Stages, LeftoversOfAnEarlierRunAreDeletedButSubdirectoriesStay) {
    const std::string temp = WindowsDir() + "\\Temp\\z";
    machine.System().CreateDirectory(WindowsDir() + "\\Temp");
    machine.System().CreateDirectory(temp);
    machine.System().CreateDirectory(temp + "\\SUB");
    machine.WriteFile(temp + "\\old.txt", "old");
    machine.WriteFile(temp + "\\SUB\\deep.txt", "deep");
    Start();
    EXPECT_FALSE(machine.Exists(temp + "\\old.txt"));
    EXPECT_TRUE(machine.Exists(temp + "\\SUB\\deep.txt"));  // not descended into, so not removed
    machine.System().DeleteFile(temp + "\\SUB\\deep.txt");
    machine.System().RemoveDirectory(temp + "\\SUB");
}

TEST_F(Stages, AnUnusableParameterIsReportedAndEndsTheProgram) {
    dialogs.ExpectMessage("Unable to open the setup directory " + medium + "\\missing.", "ZOV - Setup",
                          TMsgDlgType::mtError, ui::mbOK, ui::mrOk);
    app.Params = {medium + "\\missing"};
    main->Show();
    EXPECT_TRUE(app.Terminated());
    EXPECT_FALSE(main->Timer1.Enabled());
    EXPECT_EQ(Settings().TempDir, "");
    main->Close();  // nothing to clean, nothing more to say
}

TEST_F(Stages, AChangedInstallCfgIsReportedAndEndsTheProgramFailed) {
    const std::string built = WithDiskCheck("", "[Setup - Main]\r\nHeader=Tool\r\n[Files]\r\nFile1=a.exe~<I>\r\n");
    WriteConfig(built.substr(0, built.size() - 8));
    dialogs.ExpectMessage(medium + "\\install.cfg was changed after the medium was built.", "ZOV - Setup", TMsgDlgType::mtError, ui::mbOK,
                          ui::mrOk);
    Start();
    EXPECT_TRUE(app.Terminated());
    EXPECT_TRUE(main->Run.Failed);
    EXPECT_EQ(main->Run.ExitCode(), 1);
    EXPECT_FALSE(machine.Exists(Settings().TempDir));
    EXPECT_NE(main->Setup_Header.Caption(), "Tool") << "nothing of the file is read";
}

TEST_F(Stages, ScreenIsLaidOutOnEveryResize) {
    WriteConfig("[Setup - Main]\nHeader Font Size=40\n");
    Start();
    EXPECT_EQ(main->MainScreen.BoundsRect(), (ui::TRect{0, 0, 800, 600}));
    EXPECT_EQ(main->Footer.BoundsRect(), (ui::TRect{0, 600 - 13 - 10, 800, 600 - 10}));
    EXPECT_EQ(main->Setup_Header.Top(), 1);
    EXPECT_EQ(main->Setup_Header.Left(), 8);
    EXPECT_EQ(main->Setup_Header.Font().Size(), 40);
    EXPECT_EQ(main->Setup_Header2.Top(), 1 + main->Setup_Header.Height() + 2);
    EXPECT_EQ(main->Setup_Header2.Left(), 18);
    main->BoundsFromSystem(0, 0, 1024, 768);
    EXPECT_EQ(main->Footer.BoundsRect(), (ui::TRect{0, 768 - 13 - 10, 1024, 768 - 10}));
    EXPECT_EQ(main->Setup_Header2.Top(), 1 + main->Setup_Header.Height() + 2);
}

TEST_F(Stages, EmptyConfigurationKeepsTheDesignLook) {
    WriteConfig("");
    Start();
    EXPECT_EQ(main->MainScreen.FromColor(), ui::clBlue);
    EXPECT_EQ(main->MainScreen.ToColor(), ui::clBlack);
    EXPECT_EQ(main->MainScreen.Steps(), 255);
    EXPECT_EQ(main->Color(), ui::clBlue);
    EXPECT_EQ(main->Setup_Header.Caption(), "ZOV - Zovrand 32Bit");
    EXPECT_EQ(main->Setup_Header.Font().Name, "Impact");
    EXPECT_EQ(main->Setup_Header.Font().Height, 35);
    // Black on blue would hardly show: the title is white, its shadow black.
    EXPECT_EQ(main->Setup_Header.Font().Color, ui::clWhite);
    EXPECT_EQ(main->Setup_Header.ShadowColor(), ui::clBlack);
    EXPECT_EQ(main->Setup_Header.ShadowSize(), 2);
    EXPECT_EQ(main->Setup_Header2.Font().Name, "Times New Roman");
    EXPECT_EQ(main->Setup_Header2.Font().Height, 13);
    EXPECT_EQ(Settings().ProgramFolder, "Accessories");
    wizard->Show();
    EXPECT_TRUE(wizard->reboot.Visible());
    EXPECT_TRUE(wizard->reboot.Checked());
    EXPECT_FALSE(wizard->RadioButton1.Enabled());
    EXPECT_EQ(wizard->Notebook1.PageIndex(), 0);
}

TEST_F(Stages, ConfigurationColoursTheScreenAndItsHeaders) {
    WriteConfig("[Setup - Main]\nDither From=0x800000\nDither To=$000080\nHeader=Tidewater\n"
                "Header Font Name=Arial\nHeader Font Color=$FFFFFF\nHeader Font Shadow=0\n"
                "Header2=Second line\nHeader2 Font Shadow=-2147483632\n");
    Start();
    EXPECT_EQ(main->MainScreen.FromColor(), 0x800000);
    EXPECT_EQ(main->MainScreen.ToColor(), 0x000080);
    EXPECT_EQ(main->Color(), 0x800000);
    EXPECT_EQ(main->Setup_Header.Caption(), "Tidewater");
    EXPECT_EQ(main->Setup_Header.Font().Name, "Arial");
    EXPECT_EQ(main->Setup_Header.Font().Color, ui::clWhite);
    EXPECT_EQ(main->Setup_Header.ShadowColor(), ui::clBlack);
    EXPECT_EQ(main->Setup_Header2.Caption(), "Second line");
    EXPECT_EQ(main->Setup_Header2.ShadowColor(), ui::clBtnShadow);
}

TEST_F(Stages, EndingTable) {
    RebootRecorder recorder(machine.System());
    sys::SetSystem(&recorder);
    WriteConfig("[Setup - Main]\nInstall Dir=Tool\n");
    Start();

    // The restart choice wins over everything, a cancel included.
    main->Run.End = TSetupEnd::Reboot;
    main->Run.Cancelled = true;
    ExpectMessage(kRestart);
    Close();
    EXPECT_EQ(recorder.requests, (std::vector<uint32_t>{2}));

    main->Run.End = TSetupEnd::Return;
    ExpectMessage("Your installation was canceled!");
    Close();

    main->Run.Cancelled = false;
    ExpectMessage(kCompleted);
    Close();

    main->Run.End = TSetupEnd::Launch;
    Close();  // the program was launched: nothing more to say
    EXPECT_EQ(dialogs.Pending(), 0u);
    EXPECT_EQ(recorder.requests.size(), 1u);
    sys::SetSystem(&machine.System());
}

TEST_F(Stages, AnAbortedSetupEndsWithoutAWordEvenWithARestartChosen) {
    WriteConfig("[Setup - Main]\n");
    Start();
    main->Run.Cancelled = true;
    app.Terminate();
    Close();
}

TEST_F(Stages, OnlyTheSetupsOwnFilesLeaveTheSetupDirectoryEvenAfterACancel) {
    // install.cfg names disk.001 and disk.002 by their count and disk.003 by its check.
    const std::vector<std::string> setupFiles{"install.exe", "install.cfg", "disk.001", "disk.002", "disk.003"};
    for (const bool othersThere : {true, false}) {
        WriteConfig("[Setup - Main]\nInstall Disks=2\n[Disk Check]\ndisk.003=7,00000000\n");
        for (const char* name : {"install.exe", "disk.001", "disk.002", "disk.003"}) WriteMediumFile(name, "setup");
        if (othersThere) {
            WriteMediumFile("disk.004", "not named");
            WriteMediumFile("notes.txt", "the user's");
        }
        app.Params = {medium};
        main->FormShow();
        main->Timer1.SetEnabled(false);
        ExpectMessage("Your installation was canceled!");
        main->Run.Cancelled = true;
        wizard->reboot.SetChecked(false);
        Close();
        for (const std::string& name : setupFiles) EXPECT_FALSE(machine.Exists(medium + "\\" + name)) << name;
        EXPECT_EQ(machine.Exists(medium + "\\notes.txt"), othersThere);
        EXPECT_EQ(machine.Exists(medium + "\\disk.004"), othersThere);
        EXPECT_EQ(machine.Exists(medium), othersThere);  // removed only when that left it empty
        EXPECT_FALSE(machine.Exists(Settings().TempDir));
        if (!othersThere) continue;
        machine.System().DeleteFile(medium + "\\disk.004");
        machine.System().DeleteFile(medium + "\\notes.txt");
    }
}

TEST_F(Stages, StartedByItsFullPathFromAnotherFolderItReadsTheMediumBesideIt) {
    WriteConfig("[Setup - Main]\nHeader=Beside the program\n");
    ASSERT_TRUE(machine.System().SetCurrentDirectory("C:\\"));
    app.ExeName = medium + "\\install.exe";
    main->Show();
    EXPECT_EQ(Settings().StartDir, "");
    EXPECT_EQ(Settings().SourceDir, medium + "\\");
    EXPECT_EQ(main->Setup_Header.Caption(), "Beside the program");
}

TEST_F(Stages, OnlyASetupDirectoryIsEverEmptied) {
    WriteMediumFile("data.txt", "user data");
    EXPECT_FALSE(SafeToEmptyStartDir(medium));  // no install.cfg: someone else's directory
    WriteConfig("[Setup - Main]\n");
    EXPECT_TRUE(SafeToEmptyStartDir(medium));
    EXPECT_TRUE(SafeToEmptyStartDir(medium + "\\"));
    EXPECT_FALSE(SafeToEmptyStartDir("C:\\"));
    EXPECT_FALSE(SafeToEmptyStartDir("C:"));
    machine.WriteFile(WindowsDir() + "\\install.cfg", "[Setup - Main]\n");
    EXPECT_FALSE(SafeToEmptyStartDir(WindowsDir()));
    machine.System().DeleteFile(WindowsDir() + "\\install.cfg");
}

TEST_F(Stages, ClearingWithoutATemporaryDirectoryTouchesNothing) {
    ASSERT_TRUE(machine.System().SetCurrentDirectory(medium));
    WriteMediumFile("keep.txt", "keep");
    main->Run.Settings.TempDir.clear();
    main->ClearTempDir();
    EXPECT_TRUE(machine.Exists(medium + "\\keep.txt"));
}

TEST_F(Stages, AFailedPreparationSkipsTheWizardAndEndsCancelled) {
    WriteConfig("[Setup - Main]\n");
    WriteMediumFile("install.exe", "MZ stub");
    dialogs.ExpectMessage("Please Insert Disk #1 into Floppy Drive.", "ZOV - Setup", TMsgDlgType::mtCustom,
                          ui::mbOK | ui::mbCancel, ui::mrCancel);
    ExpectMessage("Your installation was canceled!");
    bool wizardShown = false;
    wizard->OnShow = [&] { wizardShown = true; };
    app.Params = {medium};
    app.Run();
    EXPECT_FALSE(wizardShown);
    EXPECT_TRUE(main->Run.Cancelled);
    EXPECT_EQ(Unzip, nullptr);  // destroyed when its stage ended
    EXPECT_EQ(headless.Now(), 2000u);
}

TEST_F(Stages, AWholeRunExpandsThePayloadLeadsThroughTheWizardAndCleansUp) {
    WriteConfig("[Setup - Main]\nShow Re-Boot=0\nInstall Dir=Tool\n[Directories]\nDir1=<INSTALLDIR>~\n"
                "[Files]\nFile1=a.txt~<INSTALLDIR>\nFile2=b.txt~<INSTALLDIR>\n");
    WriteMediumFile("install.exe", "MZ stub");
    WriteSegments({{"a.txt", "first"}, {"SUB\\b.txt", "second"}, {"license.txt", "one line\r\n"}});
    std::vector<std::string> seenInWizard;
    InstallWhenTheWizardShows([&] {
        for (const char* name : {"a.txt", "b.txt", "install.exe", "install.cfg"})
            if (machine.Exists(TempFile(name))) seenInWizard.push_back(name);
    });
    ExpectMessage(kCompleted);
    app.Params = {medium};
    app.Run();
    EXPECT_EQ(seenInWizard, (std::vector<std::string>{"a.txt", "b.txt", "install.exe", "install.cfg"}));
    EXPECT_FALSE(main->Run.Cancelled);
    EXPECT_EQ(machine.ReadFile("C:\\Tool\\a.txt"), "first");
    EXPECT_EQ(machine.ReadFile("C:\\Tool\\b.txt"), "second");
    EXPECT_EQ(machine.ReadFile("C:\\Tool\\install.exe"), "MZ stub");
    EXPECT_TRUE(machine.Exists("C:\\Tool\\uninstall.cfg"));
    EXPECT_FALSE(machine.Exists(Settings().TempDir));
    EXPECT_FALSE(machine.Exists(medium));
}

}  // namespace
}  // namespace zov::test

namespace zov::test {
namespace {

TEST(Entry, CreatesTheThreeWindowsHiddenWithTheMainScreenFirstAndRunsUntilItCloses) {
    TestMachine machine;
    ui::TApplication app;
    ScriptedDialogs dialogs;
    const std::string medium = machine.Path("medium");
    machine.System().CreateDirectory(medium);
    machine.WriteFile(medium + "\\install.cfg", "[Setup - Main]\nShow Re-Boot=0\n");
    app.Params = {medium};
    // No segments on the medium, and no stub: the run ends cancelled.
    std::vector<std::string> shownAtStart;
    app.Headless()->OnIdle = [&] {
        if (shownAtStart.empty())
            for (ui::TForm* form : {static_cast<ui::TForm*>(MainSetup), static_cast<ui::TForm*>(ZOV),
                                    static_cast<ui::TForm*>(Unzip)})
                shownAtStart.push_back(form->Name + (form->Visible() ? " shown" : " hidden"));
        return false;
    };
    // Nor the stub itself: copying it fails the stage before the disk is asked for.
    dialogs.ExpectMessage("Error Expanding Files!!\r\rDisk: " + medium + "\\disk.001\rCannot open file " + medium +
                              "\\install.exe: " + NotFoundText(machine),
                          "ZOV - Setup", ui::TMsgDlgType::mtCustom, ui::mbOK, ui::mrOk);
    dialogs.ExpectMessage("Your installation was canceled!", "ZOV - Setup", ui::TMsgDlgType::mtCustom, ui::mbOK,
                          ui::mrOk);
    EXPECT_EQ(RunSetup(app), 1);  // cancelled
    EXPECT_EQ(app.Title, "ZOV - Setup");
    EXPECT_EQ(app.MainForm(), MainSetup);
    EXPECT_EQ(MainSetup->Caption(), "ZOV 32Bit Installer");
    EXPECT_EQ(shownAtStart, (std::vector<std::string>{"MainSetup shown", "ZOV hidden", "Unzip hidden"}));
    EXPECT_EQ(ZOV->Notebook1.PageIndex(), 0);
    EXPECT_EQ(Unzip, nullptr);
    EXPECT_TRUE(app.Terminated());
}

}  // namespace
}  // namespace zov::test

#ifndef _WIN32  // the emulated machine's links, read by the Linux lnkinfo
#include <cstdio>

#include "sys/emu/emulated_system.h"

namespace zov::test {
namespace {

// The link's target as lnkinfo, an independent reader of the format, sees it.
std::string LnkinfoTarget(const std::string& hostPath) {
    const std::string command = "lnkinfo '" + hostPath + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "";
    std::string out;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
    const size_t at = out.find("Local path");
    if (at == std::string::npos) return "";
    const size_t colon = out.find(':', at) + 2, end = out.find('\n', at);
    return out.substr(colon, end - colon);
}

TEST_F(Stages, AWorkstationInstallFromTheWizardToTheEnd) {
    WriteConfig("[Setup - Main]\nShow Re-Boot=0\nInstall Dir=Tool\nWork Station Prompt=1\nFolder=Tool\n"
                "[Directories]\nDir1=<INSTALLDIR>~\n[Files]\nFile1=tool.exe~<INSTALLDIR>\nFile2=big.dat~<INSTALLDIR>\n"
                "[WorkStation]\nFile1=tool.exe~<INSTALLDIR>\n[Desktop]\nLink1=Tool~<INSTALLDIR>tool.exe~X~~~Tool\n");
    WriteMediumFile("install.exe", "MZ stub");
    WriteSegments({{"tool.exe", "MZ tool"}, {"big.dat", "data"}});
    InstallWhenTheWizardShows();
    ExpectMessage(kCompleted);
    app.Params = {medium};
    app.Run();
    EXPECT_FALSE(main->Run.Cancelled);
    EXPECT_EQ(main->Run.ExitCode(), 0);
    EXPECT_EQ(machine.ReadFile("C:\\Tool\\tool.exe"), "MZ tool");
    EXPECT_FALSE(machine.Exists("C:\\Tool\\big.dat"));  // not a workstation file
    auto& emu = dynamic_cast<sys::emu::EmulatedSystem&>(machine.System());
    EXPECT_EQ(LnkinfoTarget(emu.ToHost("C:\\WINDOWS\\Desktop\\Tool.lnk").string()), "C:\\Tool\\tool.exe");
    EXPECT_EQ(LnkinfoTarget(emu.ToHost("C:\\WINDOWS\\Start Menu\\Programs\\Tool\\Tool.lnk").string()),
              "C:\\Tool\\tool.exe");
    EXPECT_FALSE(machine.Exists(Settings().TempDir));
}

}  // namespace
}  // namespace zov::test
#endif
