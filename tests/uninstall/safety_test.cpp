// The uninstaller never harms the machine: whatever the destination was and whatever the
// uninstall information says, only what the install put there goes.
#include <gtest/gtest.h>

#include "shell/Shortcut.h"
#include "sys/paths.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/uninstall/install_fixture.h"

namespace zov::test {
namespace {

using Safety = InstallFixture;

const char* const kToolCfg = R"([Directories]
Dir1=<INSTALLDIR>~
[Files]
File1=acmetool.exe~<INSTALLDIR>
File2=uninstaller.exe~<INSTALLDIR>
[Desktop]
Link1=Acme Tool~<INSTALLDIR>\acmetool.exe~X~X~~Acme
)";
const Payload kToolPayload = {{"acmetool.exe", "MZ tool"}, {"uninstaller.exe", "MZ uninstaller"}};

class Destination : public Safety, public ::testing::WithParamInterface<std::string> {};

TEST_P(Destination, OnlyTheRecordedFilesGo) {
    std::string dir = GetParam();
    if (dir == "Desktop") dir = WithoutTrailingBackslash(GetShellFolder(sfDesktop));
    // What was there before: files beside the install, and a Setup folder, whose pattern
    // every install records.
    const std::string bystander = JoinPath(dir, "bystander.txt");
    const std::string inSetup = JoinPath(dir, "Setup\\kept.txt");
    ForceDirectories(JoinPath(dir, "Setup"));
    machine.WriteFile(bystander, "mine");
    machine.WriteFile(inSetup, "mine too");
    // A link of that name with another extension beside the link the setup makes.
    const std::string desktopFile = GetShellFolder(sfDesktop) + "Acme Tool.txt";
    machine.WriteFile(desktopFile, "not a link");
    const auto before = Snapshot();

    ASSERT_EQ(Install(kToolCfg, kToolPayload, dir, "Acme").ExitCode(), 0);
    ASSERT_TRUE(FileExists(JoinPath(dir, "acmetool.exe")));
    ASSERT_TRUE(FileExists(GetShellFolder(sfDesktop) + "Acme Tool.lnk"));
    EXPECT_EQ(RemoveProduct(dir, "Acme").ExitCode, 0);

    EXPECT_FALSE(FileExists(JoinPath(dir, "acmetool.exe")));
    EXPECT_FALSE(FileExists(JoinPath(dir, "uninstaller.exe")));
    EXPECT_FALSE(FileExists(JoinPath(dir, "uninstall.cfg")));
    EXPECT_FALSE(FileExists(GetShellFolder(sfDesktop) + "Acme Tool.lnk"));
    // install.exe and install.cfg, which every setup copies into its directory, are no
    // recorded files: in a directory that is not the product's own they stay.
    const auto after = Snapshot();
    for (const auto& [name, bytes] : before) {
        if (name == "registry.reg") continue;
        ASSERT_TRUE(after.count(name)) << "gone: " << name;
        EXPECT_EQ(after.at(name), bytes) << name;
    }
    EXPECT_EQ(machine.ReadFile(bystander), "mine");
    EXPECT_EQ(machine.ReadFile(inSetup), "mine too");
    EXPECT_EQ(machine.ReadFile(desktopFile), "not a link");
    EXPECT_TRUE(DirectoryExists(dir));
}

INSTANTIATE_TEST_SUITE_P(Uninstall, Destination,
                         ::testing::Values("C:\\WINDOWS", "C:\\", "Desktop", "C:\\Data", "C:\\Evil\\..\\WINDOWS"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param == "C:\\" ? std::string("DriveRoot")
                                    : info.param == "Desktop" ? std::string("DesktopFolder")
                                    : info.param == "C:\\Data" ? std::string("ExistingFolder")
                                    : info.index == 4          ? std::string("WindowsThroughDotDot")
                                                               : std::string("WindowsDirectory");
                         });

TEST_F(Safety, ForgedPatternsAndDirectoriesOfTheSystemAreRefused) {
    // The title fits, everything else points at the system.
    ForceDirectories("C:\\Acme");
    machine.WriteFile("C:\\Acme\\uninstall.cfg",
                      "[Program]\r\nTitle=Acme\r\n"
                      "[UNINS]\r\nC:\\WINDOWS\\*.*=\r\nC:\\*.*=\r\nC:\\WINDOWS\\SYSTEM\\*.*=\r\n"
                      "C:\\Program Files\\*.*=\r\nC:\\windows\\\\Desktop\\\\*.*=\r\nC:\\Acme\\*.*=\r\n"
                      "relative\\*.*=\r\nC:\\WINDOWS\\SYSTEM\\kernel.dll=\r\nC:\\WINDOWS\\win.ini=\r\n"
                      "[Folders]\r\nC:\\WINDOWS\\Start Menu\\Programs=\r\nC:\\WINDOWS\\Start Menu\\Programs\\Empty=\r\n"
                      "[Created Directories]\r\nC:\\WINDOWS=\r\nC:\\WINDOWS\\TEMP=\r\nC:\\=\r\n"
                      "[Created Registry Keys]\r\n1=HKCU~Software\r\n2=HKLM~Software\r\n");
    ForceDirectories("C:\\WINDOWS\\Start Menu\\Programs\\Empty");
    ForceDirectories("C:\\Program Files");
    machine.WriteFile("C:\\WINDOWS\\SYSTEM\\kernel.dll", "MZ");
    machine.WriteFile("C:\\Program Files\\other.txt", "x");
    machine.WriteFile("C:\\Acme\\acme.txt", "x");
    os.RegCreateKey(sys::RegRoot::LocalMachine, "Software");
    const auto before = Snapshot();

    EXPECT_EQ(RemoveProduct("C:\\Acme", "Acme").ExitCode, 0);
    auto after = Snapshot();
    // C:\Acme is not recorded as made by the install: its files are not the install's.
    EXPECT_FALSE(after.count("c/WINDOWS/Start Menu/Programs/Empty"));  // an empty program folder goes
    for (const auto& [name, bytes] : before) {
        if (name == "c/Acme/uninstall.cfg" || name == "c/WINDOWS/Start Menu/Programs/Empty") continue;
        EXPECT_TRUE(after.count(name)) << "gone: " << name;
    }
    EXPECT_TRUE(os.RegKeyExists(sys::RegRoot::LocalMachine, "Software"));
}

// Records no install could have written: whatever they name, only what another product does
// not own and the system does not need may go, and nothing of that is there.
struct DamagedCfg {
    const char* name;
    const char* sections;  // after [Program]
};

class DamagedRecord : public Safety, public ::testing::WithParamInterface<DamagedCfg> {};

TEST_P(DamagedRecord, TakesNothingOfTheSystemOrOfAnotherProduct) {
    // Another product, registered, with its folder, a value and a key of its own.
    const char* const otherCfg = "[Directories]\nDir1=<INSTALLDIR>~\n[Files]\nFile1=other.exe~<INSTALLDIR>\n"
                                 "File2=uninstaller.exe~<INSTALLDIR>\n[INI - Setup]\n"
                                 "Ini1=HKEY_LOCAL_MACHINE\\Software\\Other~~Path~<INSTALLDIR>\n";
    ASSERT_EQ(Install(otherCfg, {{"other.exe", "MZ"}, {"uninstaller.exe", "MZ"}}, "C:\\Other", "Other").ExitCode(), 0);
    machine.WriteFile("C:\\config.sys", "FILES=40\r\n");
    machine.WriteFile("C:\\WINDOWS\\system.ini", "[boot]\r\nshell=Explorer.exe\r\n");
    os.RegSetString(sys::RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                    "C:\\Program Files");
    ForceDirectories("C:\\Acme");
    machine.WriteFile("C:\\Acme\\uninstall.cfg", std::string("[Program]\r\nTitle=Acme\r\n") + GetParam().sections);
    const auto before = Snapshot();

    RemoveProduct("C:\\Acme", "Acme");
    auto after = Snapshot();
    EXPECT_FALSE(after.count("c/Acme/uninstall.cfg"));
    after["c/Acme/uninstall.cfg"] = before.at("c/Acme/uninstall.cfg");
    EXPECT_TRUE(before == after) << Describe(before, after);
}

INSTANTIATE_TEST_SUITE_P(
    Uninstall, DamagedRecord,
    ::testing::Values(
        DamagedCfg{"DotDotIntoWindows",
                   "[UNINS]\r\nC:\\WINDOWS\\..\\WINDOWS\\*.*=\r\nC:\\.\\*.*=\r\nC:\\WINDOWS.\\SYSTEM \\*.*=\r\n"
                   "[Created Directories]\r\nC:\\WINDOWS\\..\\WINDOWS=\r\nC:\\.=\r\nC:\\WINDOWS.\\SYSTEM =\r\n"},
        DamagedCfg{"FilesOfTheSystem",
                   "[Written Files]\r\nC:\\.\\autoexec.bat=new\r\nc:/config.sys=new\r\n"
                   "C:\\WINDOWS\\..\\WINDOWS\\win.ini=new\r\nC:\\WINDOWS\\system.ini=new\r\n"},
        DamagedCfg{"AnotherProductsFolder",
                   "[UNINS]\r\nC:\\Other\\*.*=\r\nC:\\Other\\.\\*.*=\r\n"
                   "[Written Files]\r\nC:\\Other\\other.exe=new\r\nC:\\OTHER\\.\\uninstall.cfg=new\r\n"
                   "[Created Directories]\r\nC:\\Other=\r\nC:\\Elsewhere\\..\\Other=\r\n"},
        DamagedCfg{"AnotherProductsKeys",
                   "[Registry Values]\r\n1=HKLM~Software\\Other~Path\r\n"
                   "2=HKLM~Software\\Microsoft\\Windows\\currentversion\\uninstall\\Other~UninstallString\r\n"
                   "[Created Registry Keys]\r\n1=HKLM~Software\\Microsoft\\Windows\\currentversion\\uninstall\\Other\r\n"
                   "2=HKLM~Software\\\\Other\r\n"},
        DamagedCfg{"KeysOfTheSystem",
                   "[Registry Values]\r\n1=HKLM~Software\\Microsoft\\Windows\\CurrentVersion~ProgramFilesDir\r\n"
                   "2=HKCU~Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders~Desktop\r\n"
                   "3=HKCU~Software\\Existing~Kept\r\n"
                   "[Earlier Registry Values]\r\n3=S:forged\r\n"
                   "[Created Registry Keys]\r\n1=HKLM~Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\r\n"
                   "2=HKCU~Software\\Microsoft\r\n"}),
    [](const ::testing::TestParamInfo<DamagedCfg>& info) { return std::string(info.param.name); });

// Another product's registration that names a drive, or a folder above this product's,
// keeps nothing of this product from going.
TEST_F(Safety, CarelessOrEnclosingRegistrationsDoNotBlockTheUninstall) {
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    os.RegSetString(sys::RegRoot::LocalMachine, key + "Careless", "InstallLocation", "C:\\");
    ASSERT_EQ(Install(kToolCfg, kToolPayload, "C:\\Suite", "Suite").ExitCode(), 0);
    ASSERT_EQ(Install(kToolCfg, kToolPayload, "C:\\Suite\\Tool", "Acme").ExitCode(), 0);
    EXPECT_EQ(RemoveProduct("C:\\Suite\\Tool", "Acme").ExitCode, 0);
    EXPECT_FALSE(DirectoryExists("C:\\Suite\\Tool"));
    EXPECT_TRUE(FileExists("C:\\Suite\\acmetool.exe"));
}

struct BadCfg {
    const char* name;
    std::string text;  // written as uninstall.cfg; "<none>" for none
    const char* reason;
};

class RefusedCfg : public Safety, public ::testing::WithParamInterface<BadCfg> {};

TEST_P(RefusedCfg, NothingIsRemovedAndTheUserIsTold) {
    const BadCfg& bad = GetParam();
    ForceDirectories("C:\\Acme");
    machine.WriteFile("C:\\Acme\\acme.exe", "MZ");
    if (bad.text != "<none>") machine.WriteFile("C:\\Acme\\uninstall.cfg", bad.text);
    const auto before = Snapshot();
    ScriptedDialogs dialogs;
    dialogs.ExpectMessage("Cannot remove Acme:\r" + std::string(bad.reason) + "\rNothing was removed.", "Uninstall",
                          ui::TMsgDlgType::mtError, ui::mbOK, ui::mrOk);
    EXPECT_EQ(RemoveProduct("C:\\Acme", "Acme", false).ExitCode, 1);
    const auto after = Snapshot();
    EXPECT_TRUE(before == after) << Describe(before, after);
}

INSTANTIATE_TEST_SUITE_P(
    Uninstall, RefusedCfg,
    ::testing::Values(
        BadCfg{"Missing", "<none>", "The uninstall information C:\\Acme\\uninstall.cfg is missing."},
        BadCfg{"Empty", "", "C:\\Acme\\uninstall.cfg is not uninstall information: it names no product."},
        BadCfg{"Damaged", std::string("\x00\x01\xff[UNINS\r\nC:\\Acme\\*.*=\r\n\x7f", 24),
               "C:\\Acme\\uninstall.cfg is not uninstall information: it names no product."},
        BadCfg{"Foreign", "[Program]\r\nTitle=Other Product\r\n[UNINS]\r\nC:\\Acme\\*.*=\r\n",
               "C:\\Acme\\uninstall.cfg belongs to \"Other Product\", not to \"Acme\"."}),
    [](const ::testing::TestParamInfo<BadCfg>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zov::test
