// The uninstall program around the removal: its switches, its question, and the Linux
// program that finds the product through its registration.
#include <gtest/gtest.h>

#include <cstdlib>

#include "sys/emu/emulated_system.h"
#include "sys/paths.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/uninstall/install_fixture.h"

namespace zov::test {
namespace {

using Program = InstallFixture;

const char* const kCfg = "[Directories]\nDir1=<INSTALLDIR>~\n[Files]\nFile1=tool.exe~<INSTALLDIR>\n"
                         "File2=uninstaller.exe~<INSTALLDIR>\n";
const Payload kPayload = {{"tool.exe", "MZ"}, {"uninstaller.exe", "MZ"}};

TEST(UninstallArgs, SwitchesAndATitleOfSeveralWords) {
    TUninstallOptions options;
    EXPECT_EQ(ParseUninstallArgs({"/s", "/LOG=C:\\u.log", "Tidewater", "Notes", "2.1"}, options), "");
    EXPECT_TRUE(options.Silent);
    EXPECT_EQ(options.LogFile, "C:\\u.log");
    EXPECT_EQ(options.Title, "Tidewater Notes 2.1");
    EXPECT_EQ(ParseUninstallArgs({"Tool"}, options), "");
    EXPECT_FALSE(options.Silent);
    EXPECT_EQ(options.LogFile, "");
    EXPECT_EQ(ParseUninstallArgs({"/X", "Tool"}, options), "Unknown switch /X.");
    EXPECT_EQ(ParseUninstallArgs({"/LOG=", "Tool"}, options), "/LOG= needs a file name.");
    EXPECT_EQ(ParseUninstallArgs({"/D=C:\\Tool", "Tool"}, options), "The uninstaller takes /S and /LOG=file only.");
    EXPECT_EQ(ParseUninstallArgs({"/S"}, options), "Which product to remove? Its title is missing.");
}

TEST_F(Program, DecliningTheQuestionRemovesNothing) {
    ASSERT_EQ(Install(kCfg, kPayload, "C:\\Acme", "Acme").ExitCode(), 0);
    const auto before = Snapshot();
    ScriptedDialogs dialogs;
    dialogs.ExpectMessage("Remove Acme and all of its components?", "Uninstall", ui::TMsgDlgType::mtConfirmation,
                          ui::mbYes | ui::mbNo | ui::mbDefaultNo, ui::mrNo);
    EXPECT_EQ(RemoveProduct("C:\\Acme", "Acme", false).ExitCode, 1);
    const auto after = Snapshot();
    EXPECT_TRUE(before == after) << Describe(before, after);
}

TEST_F(Program, ConfirmedItRemovesLogsAndSaysSo) {
    ASSERT_EQ(Install(kCfg, kPayload, "C:\\Acme", "Acme").ExitCode(), 0);
    ScriptedDialogs dialogs;
    dialogs
        .ExpectMessage("Remove Acme and all of its components?", "Uninstall", ui::TMsgDlgType::mtConfirmation,
                       ui::mbYes | ui::mbNo | ui::mbDefaultNo, ui::mrYes)
        .ExpectMessage("Acme was removed from your computer.", "Uninstall", ui::TMsgDlgType::mtInformation, ui::mbOK,
                       ui::mrOk);
    TUninstallOptions options;
    options.Title = "Acme";
    options.LogFile = "C:\\uninstall.log";
    TInstallProgress progress;
    ui::TDialogPrompts prompts;
    EXPECT_EQ(RunUninstall(options, "C:\\Acme", "", progress, prompts).ExitCode, 0);
    EXPECT_FALSE(DirectoryExists("C:\\Acme"));
    const std::string log = machine.ReadFile("C:\\uninstall.log");
    EXPECT_NE(log.find("removed C:\\Acme\\tool.exe\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("removed C:\\Acme\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("exit code 0"), std::string::npos) << log;
}

// Files the setup did not put into the product's folder stay unless the user asks for them.
TEST_F(Program, FilesTheSetupDidNotPutThereAreOffered) {
    struct Case {
        const char* name;
        bool silent;
        ui::TModalResult answer;
        bool removed;
    };
    const Case cases[] = {{"declined", false, ui::mrNo, false}, {"accepted", false, ui::mrYes, true},
                          {"silent", true, ui::mrNone, false}};
    for (const Case& c : cases) {
        ASSERT_EQ(Install(kCfg, kPayload, "C:\\Acme", "Acme").ExitCode(), 0);
        machine.WriteFile("C:\\Acme\\notes.txt", "mine");
        ScriptedDialogs dialogs;
        if (!c.silent) {
            dialogs
                .ExpectMessage("Remove Acme and all of its components?", "Uninstall", ui::TMsgDlgType::mtConfirmation,
                               ui::mbYes | ui::mbNo | ui::mbDefaultNo, ui::mrYes)
                .ExpectMessage("These files in the folders of Acme were not put there by its setup:\r"
                               "C:\\Acme\\notes.txt\rRemove them too?",
                               "Uninstall", ui::TMsgDlgType::mtConfirmation, ui::mbYes | ui::mbNo | ui::mbDefaultNo, c.answer);
            if (c.removed)
                dialogs.ExpectMessage("Acme was removed from your computer.", "Uninstall",
                                      ui::TMsgDlgType::mtInformation, ui::mbOK, ui::mrOk);
            else
                dialogs.ExpectMessage("Acme was removed from your computer, except for:\r"
                                      "C:\\Acme: The directory is not empty\r"
                                      "C:\\Acme\\notes.txt: the setup did not put it there",
                                      "Uninstall", ui::TMsgDlgType::mtWarning, ui::mbOK, ui::mrOk);
        }
        EXPECT_EQ(RemoveProduct("C:\\Acme", "Acme", c.silent).ExitCode, c.removed ? 0 : 2) << c.name;
        EXPECT_EQ(FileExists("C:\\Acme\\notes.txt"), !c.removed) << c.name;
        EXPECT_FALSE(FileExists("C:\\Acme\\tool.exe")) << c.name;
        EXPECT_EQ(DirectoryExists("C:\\Acme"), !c.removed) << c.name;
        os.DeleteFile("C:\\Acme\\notes.txt");
        os.RemoveDirectory("C:\\Acme");
    }
}

TEST_F(Program, TheRunningProgramsOwnFileIsLeftWithItsDirectories) {
    ASSERT_EQ(Install(kCfg, kPayload, "C:\\Acme\\Tool", "Acme").ExitCode(), 0);
    TUninstallOptions options;
    options.Title = "Acme";
    options.Silent = true;
    TInstallProgress progress;
    ui::TDialogPrompts prompts;  // silent: never asked
    const TUninstallOutcome outcome = RunUninstall(options, "C:\\Acme\\Tool", "C:\\ACME\\TOOL\\uninstaller.exe", progress, prompts);
    EXPECT_EQ(outcome.ExitCode, 0);
    EXPECT_TRUE(outcome.SelfLeft);
    EXPECT_EQ(outcome.SelfDirs, (std::vector<std::string>{"C:\\Acme\\Tool", "C:\\Acme"}));
    EXPECT_TRUE(FileExists("C:\\Acme\\Tool\\uninstaller.exe"));
    EXPECT_FALSE(FileExists("C:\\Acme\\Tool\\tool.exe"));
    EXPECT_FALSE(FileExists("C:\\Acme\\Tool\\uninstall.cfg"));
}

TEST_F(Program, TheLinuxProgramFindsTheProductThroughItsRegistration) {
    const auto before = Snapshot();
    ASSERT_EQ(Install(kCfg, kPayload, "C:\\Program Files\\Acme Tool", "Acme Tool").ExitCode(), 0);
    const std::string root = dynamic_cast<sys::emu::EmulatedSystem&>(os).Root().string();
    const std::string program = std::string(ZOV_UNINSTALL_PROGRAM) + " --machine '" + root + "' ";
    EXPECT_EQ(WEXITSTATUS(std::system((program + "/S Not Installed >/dev/null 2>&1").c_str())), 1);
    EXPECT_EQ(WEXITSTATUS(std::system((program + "/S /LOG=/dev/null Acme Tool").c_str())), 0);
    const auto after = Snapshot();
    EXPECT_TRUE(before == after) << Describe(before, after);
    // Answered on the terminal: no means nothing happens.
    ASSERT_EQ(Install(kCfg, kPayload, "C:\\Program Files\\Acme Tool", "Acme Tool").ExitCode(), 0);
    EXPECT_EQ(WEXITSTATUS(std::system(("echo n | " + program + "Acme Tool >/dev/null").c_str())), 1);
    EXPECT_TRUE(FileExists("C:\\Program Files\\Acme Tool\\tool.exe"));
    EXPECT_EQ(WEXITSTATUS(std::system(("echo y | " + program + "Acme Tool >/dev/null").c_str())), 0);
    EXPECT_FALSE(FileExists("C:\\Program Files\\Acme Tool\\tool.exe"));
}

}  // namespace
}  // namespace zov::test
