// Install then uninstall on the emulated machine: the machine afterwards is the machine
// before, file by file and key by key, but for what the user made in between.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/support/test_prompts.h"
#include "shell/shared_files.h"
#include "sys/emu/emulated_system.h"
#include "sys/paths.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/uninstall/install_fixture.h"

namespace zov::test {
namespace {

using Uninstall = InstallFixture;

const std::string kExampleTitle = "Tidewater Notes 2.1";
const std::string kExampleDir = "C:\\Program Files\\Tidewater";

// A product with every kind of entry: nested new directories, a directory outside the
// install directory, files in the Windows and the system directory, links in folders, an
// INI file of its own and values in an existing one, registry values in new and in
// existing keys of both roots, autoexec lines.
const char* const kEveryKindCfg = R"([Setup - Main]
Header=Acme Tool
[Directories]
Dir1=<INSTALLDIR>~
Dir2=<SUB1><INSTALLDIR>~Data
Dir3=<SUB2><INSTALLDIR>~Data\Deep\Deeper
Dir4=<WINDOWS>~
Dir5=<WINDOWS_SYSTEM>~
Dir6=<ALT1>~Acme Shared\Cache
[Files]
File1=tool.exe~<INSTALLDIR>
File2=uninstaller.exe~<INSTALLDIR>
File3=sample.dat~<SUB1><INSTALLDIR>
File4=deep.dat~<SUB2><INSTALLDIR>
File5=acme.hlp~<WINDOWS>
File6=acmectl.dll~<WINDOWS_SYSTEM>
File7=cache.idx~<ALT1>
[Desktop]
Link1=Acme Tool~<INSTALLDIR>\tool.exe~X~X~<INSTALLDIR>\tool.exe~Acme
Link2=Acme Help~<WINDOWS>\acme.hlp~~X~~Acme
[INI - Setup]
Ini1=<INSTALLDIR>\acme.ini~Paths~Home~<INSTALLDIR>
Ini2=<INSTALLDIR>\acme.ini~Paths~Data~<SUB1><INSTALLDIR>
Ini3=acme.ini~Global~Tool~<INSTALLDIR>\tool.exe
Ini4=win.ini~Acme~Version~3
Ini5=win.ini~windows~AcmeLoad~1
Ini6=HKEY_LOCAL_MACHINE\Software\Acme~Tool\Settings~Path~<INSTALLDIR>
Ini7=HKEY_CURRENT_USER\Software\Acme~Tool~Window~max
Ini8=Software\Existing~~Added~1
[AUTOEXEC.BAT]
SET ACME=<INSTALLDIR>=
)";

const Payload kEveryKindPayload = {
    {"tool.exe", "MZ tool"},       {"uninstaller.exe", "MZ uninstaller"}, {"sample.dat", "sample"},
    {"deep.dat", "deep"},          {"acme.hlp", "help"},                  {"acmectl.dll", "MZ control"},
    {"cache.idx", "cache"},
};
const std::string kAcmeDir = "C:\\Program Files\\Acme Corp\\Tool";

TEST_F(Uninstall, TheExampleProductLeavesTheMachineAsItWas) {
    const auto before = Snapshot();
    ASSERT_EQ(Install(ExampleConfig(), ExamplePayload(), kExampleDir, kExampleTitle).ExitCode(), 0);
    ASSERT_TRUE(FileExists(kExampleDir + "\\uninstall.cfg"));
    ASSERT_TRUE(FileExists("C:\\WINDOWS\\tidewater.ini"));

    const TUninstallOutcome outcome = RemoveProduct(kExampleDir, kExampleTitle);
    EXPECT_EQ(outcome.ExitCode, 0);
    // autoexec.zov, which the install made, goes with it.
    const auto after = Snapshot();
    EXPECT_TRUE(before == after) << Describe(before, after);
}

TEST_F(Uninstall, EveryKindOfEntryGoesButWhatTheUserAddedStays) {
    machine.WriteFile("C:\\autoexec.zov", "an earlier backup");
    const auto before = Snapshot();
    ASSERT_EQ(Install(kEveryKindCfg, kEveryKindPayload, kAcmeDir, "Acme Tool").ExitCode(), 0);
    std::string value;
    ASSERT_TRUE(os.RegGetString(sys::RegRoot::LocalMachine, "Software\\Acme\\Tool\\Settings", "Path", value));
    uint32_t uses = 0;
    ASSERT_TRUE(os.RegGetDword(sys::RegRoot::LocalMachine, kSharedDllsKey, "C:\\WINDOWS\\System\\acmectl.dll", uses));
    EXPECT_EQ(uses, 1u);
    ASSERT_TRUE(os.RegGetDword(sys::RegRoot::LocalMachine,
                               "Software\\Microsoft\\Windows\\currentversion\\uninstall\\Acme Tool", "NoModify", uses));
    EXPECT_EQ(uses, 1u);
    // The user's own file in a directory of the install.
    machine.WriteFile(kAcmeDir + "\\Data\\mine.txt", "my notes");
    const std::string autoexecInstalled = machine.ReadFile("C:\\autoexec.bat");

    const TUninstallOutcome outcome = RemoveProduct(kAcmeDir, "Acme Tool");
    EXPECT_EQ(outcome.ExitCode, 2);  // the directories holding the user's file stay
    EXPECT_EQ(machine.ReadFile(kAcmeDir + "\\Data\\mine.txt"), "my notes");
    const auto after = Snapshot();
    auto expected = before;
    expected["c/autoexec.zov"] = autoexecInstalled;  // a backup that was there gets the text as installed
    for (const char* dir : {"c/Program Files", "c/Program Files/Acme Corp", "c/Program Files/Acme Corp/Tool",
                            "c/Program Files/Acme Corp/Tool/Data"})
        expected[dir] = "<dir>";
    expected["c/Program Files/Acme Corp/Tool/Data/mine.txt"] = "my notes";
    // The emulated machine's record of names and attributes may list the kept files.
    EXPECT_TRUE(expected == after) << Describe(expected, after);
}

// A reinstall finds the directories, the INI file and the keys present that the first install
// made; they stay the product's to remove.
TEST_F(Uninstall, AReinstallIntoTheSameDirectoryStillRemovesWhatTheFirstMade) {
    const auto before = Snapshot();
    ASSERT_EQ(Install(kEveryKindCfg, kEveryKindPayload, kAcmeDir, "Acme Tool").ExitCode(), 0);
    const std::string autoexecFirst = machine.ReadFile("C:\\autoexec.bat");
    ASSERT_EQ(Install(kEveryKindCfg, kEveryKindPayload, kAcmeDir, "Acme Tool").ExitCode(), 0);
    EXPECT_EQ(machine.ReadFile("C:\\autoexec.bat"), autoexecFirst);  // the block replaced, not added
    const std::string cfg = machine.ReadFile(kAcmeDir + "\\uninstall.cfg");
    // Each record once, though both installs name it.
    const auto count = [&](const std::string& text) {
        size_t n = 0;
        for (size_t at = cfg.find(text); at != std::string::npos; at = cfg.find(text, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("\r\nC:\\Program Files\\Acme Corp\\Tool\\Data=\r\n"), 1u) << cfg;
    EXPECT_EQ(count("=HKLM~Software\\Acme\r\n"), 1u) << cfg;

    EXPECT_EQ(RemoveProduct(kAcmeDir, "Acme Tool").ExitCode, 0);
    auto after = Snapshot();
    after.erase("c/autoexec.zov");
    EXPECT_TRUE(before == after) << Describe(before, after);
}

TEST_F(Uninstall, WinIniAndTheSoftwareKeyKeepWhatWasThere) {
    const char* const cfg = R"([Directories]
Dir1=<INSTALLDIR>~
[Files]
File1=tool.exe~<INSTALLDIR>
[INI - Setup]
Ini1=win.ini~windows~load~acme.exe
Ini2=win.ini~Acme~Version~3
Ini3=HKEY_LOCAL_MACHINE\Software~~AcmeInstalled~1
Ini4=HKEY_LOCAL_MACHINE\Software~Acme~Path~<INSTALLDIR>
)";
    os.RegSetString(sys::RegRoot::LocalMachine, "Software", "Other", "kept");
    ASSERT_EQ(Install(cfg, {{"tool.exe", "MZ"}}, "C:\\Acme", "Acme").ExitCode(), 0);
    EXPECT_EQ(os.GetProfileString("win.ini", "Acme", "Version", "", 64), "3");
    EXPECT_EQ(RemoveProduct("C:\\Acme", "Acme").ExitCode, 0);

    ASSERT_TRUE(FileExists("C:\\WINDOWS\\win.ini"));
    EXPECT_EQ(os.GetProfileString("win.ini", "Desktop", "Wallpaper", "missing", 64), "(None)");
    EXPECT_EQ(os.GetProfileString("win.ini", "windows", "run", "missing", 64), "");
    EXPECT_EQ(os.GetProfileString("win.ini", "windows", "load", "missing", 64), "");  // empty before too
    EXPECT_TRUE(os.GetProfileKeyNames("win.ini", "Acme", 1024).empty());
    std::string value;
    EXPECT_TRUE(os.RegKeyExists(sys::RegRoot::LocalMachine, "Software"));
    EXPECT_TRUE(os.RegGetString(sys::RegRoot::LocalMachine, "Software", "Other", value));
    EXPECT_FALSE(os.RegGetString(sys::RegRoot::LocalMachine, "Software", "AcmeInstalled", value));
    EXPECT_FALSE(os.RegKeyExists(sys::RegRoot::LocalMachine, "Software\\Acme"));
    EXPECT_FALSE(DirectoryExists("C:\\Acme"));
}

// A value the install replaced gets its earlier text back, one it added goes, one changed
// after the install stays; a reinstall that writes other values keeps the first earlier ones.
TEST_F(Uninstall, ValuesGoBackToWhatWasThereBeforeTheFirstInstall) {
    const auto cfg = [](const std::string& v) {
        return "[Directories]\nDir1=<INSTALLDIR>~\n[INI - Setup]\nIni1=win.ini~Acme~Old~" + v +
               "\nIni2=win.ini~Acme~New~" + v + "\nIni3=win.ini~Acme~User~" + v +
               "\nIni4=HKEY_CURRENT_USER\\Software\\Existing~~Kept~" + v +
               "\nIni5=HKEY_CURRENT_USER\\Software\\Existing~~Fresh~" + v +
               "\nIni6=HKEY_CURRENT_USER\\Software\\Existing~~Mine~" + v + "\n";
    };
    os.WriteProfileString("win.ini", "Acme", "Old", "was");
    ASSERT_EQ(Install(cfg("v1"), {}, "C:\\Acme", "Acme").ExitCode(), 0);
    ASSERT_EQ(Install(cfg("v2"), {}, "C:\\Acme", "Acme").ExitCode(), 0);
    os.WriteProfileString("win.ini", "Acme", "User", "mine");
    os.RegSetString(sys::RegRoot::CurrentUser, "Software\\Existing", "Mine", "mine");
    EXPECT_EQ(RemoveProduct("C:\\Acme", "Acme").ExitCode, 0);
    const auto ini = [&](const char* name) { return os.GetProfileString("win.ini", "Acme", name, "(gone)", 64); };
    const auto reg = [&](const char* name) {
        std::string value;
        return os.RegGetString(sys::RegRoot::CurrentUser, "Software\\Existing", name, value) ? value : "(gone)";
    };
    EXPECT_EQ(ini("Old"), "was");
    EXPECT_EQ(ini("New"), "(gone)");
    EXPECT_EQ(ini("User"), "mine");
    EXPECT_EQ(reg("Kept"), "yes");
    EXPECT_EQ(reg("Fresh"), "(gone)");
    EXPECT_EQ(reg("Mine"), "mine");
}

TEST_F(Uninstall, AWinIniTheInstallMadeIsNotDeleted) {
    os.DeleteFile("C:\\WINDOWS\\win.ini");
    const char* const cfg = "[Directories]\nDir1=<INSTALLDIR>~\n[INI - Setup]\nIni1=win.ini~Acme~Version~3\n";
    ASSERT_EQ(Install(cfg, {}, "C:\\Acme", "Acme").ExitCode(), 0);
    EXPECT_EQ(RemoveProduct("C:\\Acme", "Acme").ExitCode, 0);
    EXPECT_TRUE(FileExists("C:\\WINDOWS\\win.ini"));
    EXPECT_TRUE(os.GetProfileKeyNames("win.ini", "Acme", 1024).empty());
}

TEST_F(Uninstall, ASharedDllGoesWithTheLastProductThatCountsIt) {
    const auto cfg = [](const char* exe) {
        return std::string("[Directories]\nDir1=<INSTALLDIR>~\nDir2=<WINDOWS_SYSTEM>~\n[Files]\nFile1=") + exe +
               "~<INSTALLDIR>\nFile2=common.dll~<WINDOWS_SYSTEM>\nFile3=old.dll~<WINDOWS_SYSTEM>\n";
    };
    const std::string dll = "C:\\WINDOWS\\System\\common.dll";
    // A file that was there before any count: its unknown owner keeps it.
    machine.WriteFile("C:\\WINDOWS\\System\\old.dll", "MZ old");
    ASSERT_EQ(Install(cfg("one.exe"), {{"one.exe", "1"}, {"common.dll", "MZ"}, {"old.dll", "MZ new"}}, "C:\\One",
                      "One")
                  .ExitCode(),
              0);
    // The same product again into the same directory counts once.
    ASSERT_EQ(Install(cfg("one.exe"), {{"one.exe", "1"}, {"common.dll", "MZ"}, {"old.dll", "MZ new"}}, "C:\\One",
                      "One")
                  .ExitCode(),
              0);
    ASSERT_EQ(Install(cfg("two.exe"), {{"two.exe", "2"}, {"common.dll", "MZ"}, {"old.dll", "MZ new"}}, "C:\\Two",
                      "Two")
                  .ExitCode(),
              0);
    uint32_t uses = 0;
    ASSERT_TRUE(os.RegGetDword(sys::RegRoot::LocalMachine, kSharedDllsKey, dll, uses));
    EXPECT_EQ(uses, 2u);
    ASSERT_TRUE(os.RegGetDword(sys::RegRoot::LocalMachine, kSharedDllsKey, "C:\\WINDOWS\\System\\old.dll", uses));
    EXPECT_EQ(uses, 3u);

    EXPECT_EQ(RemoveProduct("C:\\One", "One").ExitCode, 0);
    EXPECT_TRUE(FileExists(dll));
    EXPECT_FALSE(FileExists("C:\\One\\one.exe"));
    ASSERT_TRUE(os.RegGetDword(sys::RegRoot::LocalMachine, kSharedDllsKey, dll, uses));
    EXPECT_EQ(uses, 1u);

    EXPECT_EQ(RemoveProduct("C:\\Two", "Two").ExitCode, 0);
    EXPECT_FALSE(FileExists(dll));
    EXPECT_FALSE(os.RegGetDword(sys::RegRoot::LocalMachine, kSharedDllsKey, dll, uses));
    EXPECT_TRUE(FileExists("C:\\WINDOWS\\System\\old.dll"));
    ASSERT_TRUE(os.RegGetDword(sys::RegRoot::LocalMachine, kSharedDllsKey, "C:\\WINDOWS\\System\\old.dll", uses));
    EXPECT_EQ(uses, 1u);
}

// A <SUB> path that climbs into the system directory reaches the same file, and the same count.
TEST_F(Uninstall, ASharedDllReachedThroughDotDotIsCountedAndKept) {
    const char* const plain = "[Directories]\nDir1=<INSTALLDIR>~\nDir2=<WINDOWS_SYSTEM>~\n[Files]\n"
                              "File1=common.dll~<WINDOWS_SYSTEM>\n";
    const char* const climbing = "[Directories]\nDir1=<INSTALLDIR>~\nDir2=<SUB1><INSTALLDIR>~..\\WINDOWS\\.\\SYSTEM\n"
                                 "[Files]\nFile1=common.dll~<SUB1><INSTALLDIR>\n";
    ASSERT_EQ(Install(plain, {{"common.dll", "MZ one"}}, "C:\\One", "One").ExitCode(), 0);
    ASSERT_EQ(Install(climbing, {{"common.dll", "MZ two"}}, "C:\\Two", "Two").ExitCode(), 0);
    EXPECT_EQ(RemoveProduct("C:\\Two", "Two").ExitCode, 0);
    EXPECT_TRUE(FileExists("C:\\WINDOWS\\SYSTEM\\common.dll"));
    uint32_t uses = 0;
    ASSERT_TRUE(os.RegGetDword(sys::RegRoot::LocalMachine, kSharedDllsKey, "C:\\WINDOWS\\System\\common.dll", uses));
    EXPECT_EQ(uses, 1u);
    EXPECT_FALSE(DirectoryExists("C:\\Two"));
}

TEST_F(Uninstall, AutoexecLosesOnlyTheBlockOfThisProduct) {
    const auto cfg = [](const char* var) {
        return std::string("[Directories]\nDir1=<INSTALLDIR>~\n[Files]\nFile1=uninstaller.exe~<INSTALLDIR>\n"
                           "[AUTOEXEC.BAT]\nSET ") + var + "=<INSTALLDIR>=\n";
    };
    const Payload payload = {{"uninstaller.exe", "MZ"}};
    ASSERT_EQ(Install(cfg("ACME"), payload, "C:\\Acme", "Acme").ExitCode(), 0);
    ASSERT_EQ(Install(cfg("OTHER"), payload, "C:\\Other", "Other").ExitCode(), 0);
    // The user adds a line of their own; the reinstall then puts its block where it was.
    machine.WriteFile("C:\\autoexec.bat", machine.ReadFile("C:\\autoexec.bat") + "SET MINE=1\r\n");
    ASSERT_EQ(Install(cfg("ACME"), payload, "C:\\Acme2", "Acme").ExitCode(), 0);
    const std::string other = "REM - Starting Zovrand Update\r\nSET OTHER\r\nREM - End of Zovrand\r\n";
    EXPECT_EQ(machine.ReadFile("C:\\autoexec.bat"), "@ECHO OFF\r\nPATH C:\\WINDOWS;C:\\WINDOWS\\COMMAND\r\n"
                                                   "REM - Starting Zovrand Update\r\nSET ACME\r\nREM - End of Zovrand\r\n" +
                                                       other + "SET MINE=1\r\n");
    EXPECT_EQ(RemoveProduct("C:\\Acme2", "Acme").ExitCode, 0);
    EXPECT_FALSE(DirectoryExists("C:\\Acme"));  // both installs went
    EXPECT_FALSE(DirectoryExists("C:\\Acme2"));
    EXPECT_EQ(machine.ReadFile("C:\\autoexec.bat"),
              "@ECHO OFF\r\nPATH C:\\WINDOWS;C:\\WINDOWS\\COMMAND\r\n" + other + "SET MINE=1\r\n");
}

TEST_F(Uninstall, ARegistrationAnotherInstallTookOverStays) {
    const char* const cfg = "[Directories]\nDir1=<INSTALLDIR>~\n[Files]\nFile1=uninstaller.exe~<INSTALLDIR>\n";
    const std::string key = "Software\\Microsoft\\Windows\\currentversion\\uninstall\\Acme";
    ASSERT_EQ(Install(cfg, {{"uninstaller.exe", "MZ"}}, "C:\\One", "Acme").ExitCode(), 0);
    ASSERT_EQ(Install(cfg, {{"uninstaller.exe", "MZ"}}, "C:\\Two", "Acme").ExitCode(), 0);
    EXPECT_EQ(RemoveProduct("C:\\One", "Acme").ExitCode, 0);
    EXPECT_FALSE(DirectoryExists("C:\\One"));
    std::string location;
    ASSERT_TRUE(os.RegGetString(sys::RegRoot::LocalMachine, key, "InstallLocation", location));
    EXPECT_EQ(location, "C:\\Two");
    EXPECT_EQ(RemoveProduct("C:\\Two", "Acme").ExitCode, 0);
    EXPECT_FALSE(os.RegKeyExists(sys::RegRoot::LocalMachine, key));
}

TEST_F(Uninstall, AnIniFileTheInstallMadeStaysWhileItHoldsOtherValues) {
    const char* const cfg = "[Directories]\nDir1=<INSTALLDIR>~\n[INI - Setup]\nIni1=acme.ini~Paths~Home~<INSTALLDIR>\n";
    ASSERT_EQ(Install(cfg, {}, "C:\\Acme", "Acme").ExitCode(), 0);
    os.WriteProfileString("acme.ini", "User", "Colour", "blue");  // the program's own, later
    EXPECT_EQ(RemoveProduct("C:\\Acme", "Acme").ExitCode, 0);
    EXPECT_EQ(os.GetProfileString("acme.ini", "User", "Colour", "", 64), "blue");
    EXPECT_EQ(os.GetProfileString("acme.ini", "Paths", "Home", "gone", 64), "gone");
    EXPECT_TRUE(os.GetProfileKeyNames("acme.ini", "Paths", 1024).empty());
}

TEST_F(Uninstall, AFileInUseGoesAtTheNextRestartAndIsNamed) {
    const char* const cfg = "[Directories]\nDir1=<INSTALLDIR>~\n[Files]\nFile1=busy.dll~<INSTALLDIR>\n"
                            "File2=free.txt~<INSTALLDIR>\n";
    ASSERT_EQ(Install(cfg, {{"busy.dll", "MZ"}, {"free.txt", "x"}}, "C:\\Acme", "Acme").ExitCode(), 0);
    auto held = os.OpenFile("C:\\Acme\\busy.dll", sys::FileAccess::Read, sys::FileCreate::OpenExisting,
                            sys::FileShare::DenyWrite);
    ASSERT_TRUE(held);
    ScriptedDialogs dialogs;
    dialogs.ExpectMessage("Remove Acme and all of its components?", "Uninstall", ui::TMsgDlgType::mtConfirmation,
                          ui::mbYes | ui::mbNo | ui::mbDefaultNo, ui::mrYes)
        .ExpectMessage("Acme was removed from your computer, except for:\r"
                       "C:\\Acme\\busy.dll: The process cannot access the file because it is being used by another "
                       "process (removed when Windows restarts)\r"
                       "C:\\Acme: The directory is not empty",
                       "Uninstall", ui::TMsgDlgType::mtWarning, ui::mbOK, ui::mrOk);
    EXPECT_EQ(RemoveProduct("C:\\Acme", "Acme", false).ExitCode, 2);
    EXPECT_FALSE(FileExists("C:\\Acme\\free.txt"));
    EXPECT_TRUE(FileExists("C:\\Acme\\busy.dll"));
    const auto journal = dynamic_cast<sys::emu::EmulatedSystem&>(os).Journal();
    EXPECT_NE(std::find(journal.begin(), journal.end(), "deleteatrestart\tC:\\Acme\\busy.dll"), journal.end());
}

// --- an install that stops is undone whole --------------------------------------------------

class Aborting : public test::TTestPrompts {
public:
    Aborting() = default;
    TFailureChoice OnFailure(const std::string&, const sys::Failure&) override { return TFailureChoice::Abort; }
};

class StopAfter : public TInstallProgress {
public:
    explicit StopAfter(int pumps) : left_(pumps) {}
    bool StopRequested() override { return --left_ < 0; }

private:
    int left_;
};

struct Stop {
    friend void PrintTo(const Stop& stop, std::ostream* out) { *out << stop.name; }
    const char* name;
    std::function<void(sys::emu::EmulatedSystem&)> fault;
    int stopAfterPumps;  // the user cancels after that many checks; -1 never
    TInstallEnd end;
};

class Rollback : public InstallFixture, public ::testing::WithParamInterface<Stop> {};

TEST_P(Rollback, TheMachineIsAsBefore) {
    // An earlier install of another product, whose registration must stay.
    os.RegSetString(sys::RegRoot::LocalMachine, std::string(kUninstallRegistryKey) + "Other", "DisplayName", "Other");
    machine.WriteFile("C:\\WINDOWS\\acme.ini", "[Global]\r\nTool=earlier\r\n");  // replaced, then put back
    const auto before = Snapshot();
    auto& emu = dynamic_cast<sys::emu::EmulatedSystem&>(os);
    beforeRun = [&] { GetParam().fault(emu); };
    Aborting aborting;
    StopAfter stop(GetParam().stopAfterPumps);
    prompts = &aborting;
    if (GetParam().stopAfterPumps >= 0) progress = &stop;
    const TInstallReport report = Install(kEveryKindCfg, kEveryKindPayload, kAcmeDir, "Acme Tool");
    emu.ClearFaults();
    EXPECT_EQ(report.End, GetParam().end) << report.Error;
    EXPECT_EQ(report.ExitCode(), GetParam().end == TInstallEnd::RolledBack ? 2 : 1);
    EXPECT_NE(report.Error, "");
    const auto after = Snapshot();
    EXPECT_TRUE(before == after) << Describe(before, after);
}

const Stop kStops[] = {
    {"PayloadFile", [](auto& m) { m.FailCreating(kAcmeDir + "\\Data\\sample.dat"); }, -1, TInstallEnd::RolledBack},
    {"SystemFile", [](auto& m) { m.FailCreating("C:\\WINDOWS\\SYSTEM\\acmectl.dll"); }, -1, TInstallEnd::RolledBack},
    {"Link", [](auto& m) { m.FailCreating("C:\\WINDOWS\\Desktop\\Acme Tool.lnk"); }, -1, TInstallEnd::RolledBack},
    {"IniValue", [](auto& m) { m.FailReading("C:\\WINDOWS\\win.ini"); }, -1, TInstallEnd::RolledBack},
    {"RegistryValue", [](auto& m) { m.FailRegistryKey(sys::RegRoot::CurrentUser, "Software\\Acme"); }, -1,
     TInstallEnd::RolledBack},
    {"Autoexec", [](auto& m) { m.FailCreating("C:\\autoexec.bat"); }, -1, TInstallEnd::RolledBack},
    {"InstallDirectory", [](auto& m) { m.FailCreating(kAcmeDir); }, -1, TInstallEnd::NothingDone},
    {"DiskFullEarly", [](auto& m) { m.FailWritesAfter(300); }, -1, TInstallEnd::RolledBack},
    {"DiskFullLate", [](auto& m) { m.FailWritesAfter(3000); }, -1, TInstallEnd::RolledBack},
    {"CancelAtOnce", [](auto&) {}, 0, TInstallEnd::Cancelled},
    {"CancelInTheCopy", [](auto&) {}, 8, TInstallEnd::Cancelled},
    {"CancelLate", [](auto&) {}, 30, TInstallEnd::Cancelled},
};

INSTANTIATE_TEST_SUITE_P(EachStep, Rollback, ::testing::ValuesIn(kStops),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zov::test
