// The setup's command line: switches, the unattended run from a medium to the installed
// product, and its log and exit codes.
#include <gtest/gtest.h>

#include "install/cfg_integrity.h"
#include "install/setup_entry.h"
#include "install/setup_switches.h"
#include "shell/shared_files.h"
#include "shell/system_helpers.h"
#include "tests/install/stage_fixture.h"
#ifndef _WIN32
#include <filesystem>

#include "sys/emu/emulated_system.h"
#endif

namespace zov::test {
namespace {

TEST(Switches, AnywhereOnTheLineWithTheDestinationLast) {
    const TSetupSwitches s = ParseSetupSwitches(
        {"/LOG=C:\\setup.log", "A:\\", "/s", "/TYPE=Network", "/FOLDERS=desktop,startmenu", "/END=launch",
         "/D=C:\\Program", "Files\\My", "Tool"});
    EXPECT_TRUE(s.Error.empty()) << s.Error;
    EXPECT_TRUE(s.Silent);
    EXPECT_EQ(s.Params, std::vector<std::string>{"A:\\"});
    EXPECT_EQ(s.Destination, "C:\\Program Files\\My Tool");
    EXPECT_EQ(s.Workstation, true);
    EXPECT_TRUE(s.FolderDesktop && s.FolderStartMenu);
    EXPECT_EQ(s.End, TSetupEnd::Launch);
    EXPECT_EQ(s.LogPath, "C:\\setup.log");
    EXPECT_EQ(ParseSetupSwitches({"/TYPE=partial"}).Error, "/TYPE= takes full or network, not \"partial\"");
    EXPECT_EQ(ParseSetupSwitches({"/Q"}).Error, "Unknown switch /Q");
    EXPECT_EQ(ParseSetupSwitches({"/END=never"}).Error, "/END= takes return, launch or reboot, not \"never\"");
    EXPECT_FALSE(ParseSetupSwitches({"dir"}).Silent);
    EXPECT_EQ(ParseSetupSwitches({"/D=\"C:\\Program", "Files\\Tool\""}).Destination, "C:\\Program Files\\Tool");
}

// The runs below install into the machine's own Program Files, shell folders and autoexec.bat
// and launch the installed program: on the emulated machine only (the Windows build runs the
// real thing in tests/e2e).
#ifndef _WIN32
class Unattended : public ::testing::Test {
protected:
    Unattended() {
        machine.System().CreateDirectory(medium);
        machine.WriteFile(medium + "\\install.exe", "MZ stub");
    }
    int Run(std::vector<std::string> args) {
        log.clear();
        args.insert(args.begin(), medium);
        return RunSetupCommandLine(args, {}, [this](const std::string& line) { log.push_back(line); });
    }
    bool Logged(const std::string& line) { return std::find(log.begin(), log.end(), line) != log.end(); }

    TestMachine machine;
    const std::string medium = machine.Path("medium");
    std::vector<std::string> log;
};

constexpr char kConfig[] =
    "[Setup - Main]\nHeader=Tool\nInstall Dir=Tool\nAdd to Program Files=1\nWork Station Prompt=1\n"
    "Launch=<INSTALLDIR>\\tool.exe\n"
    "[Directories]\nDir1=<INSTALLDIR>~\n[Files]\nFile1=tool.exe~<INSTALLDIR>\nFile2=more.txt~<INSTALLDIR>\n"
    "[Files - OverWrite]\nFile #1=1\n[WorkStation]\nFile1=tool.exe~<INSTALLDIR>\n"
    "[Desktop]\nLink1=Tool~<INSTALLDIR>\\tool.exe~X~X~~Tool\n";

TEST_F(Unattended, InstallsFromTheMediumWithTheDefaultsOfTheWizard) {
    machine.WriteFile(medium + "\\install.cfg", kConfig);
    WriteMediumSegments(machine, medium, {{"tool.exe", "MZ tool"}, {"more.txt", "more"}, {"license.txt", "L\r\nL\r\n"}});
    machine.System().CreateDirectory("C:\\Program Files");
    machine.System().CreateDirectory("C:\\Program Files\\Tool");
    machine.WriteFile("C:\\Program Files\\Tool\\more.txt", "old");
    EXPECT_EQ(Run({"/S", "/TYPE=full", "/LOG=C:\\setup.log"}), 0);
    EXPECT_EQ(machine.ReadFile("C:\\Program Files\\Tool\\tool.exe"), "MZ tool");
    EXPECT_EQ(machine.ReadFile("C:\\Program Files\\Tool\\more.txt"), "more");  // overwrite: Yes
    EXPECT_TRUE(Logged("message File Already Exists (more.txt). Overwrite? -> Yes"));
    EXPECT_TRUE(machine.Exists("C:\\WINDOWS\\Desktop\\Tool.lnk"));
    EXPECT_TRUE(machine.Exists("C:\\WINDOWS\\Start Menu\\Tool.lnk"));
    EXPECT_FALSE(machine.Exists("C:\\WINDOWS\\Temp\\z"));  // the payload's scratch is gone
    EXPECT_FALSE(machine.Exists(medium));                   // so is the setup directory given
    EXPECT_TRUE(Logged("installed"));
    const std::string file = machine.ReadFile("C:\\setup.log");
    EXPECT_NE(file.find("file C:\\Program Files\\Tool\\tool.exe\r\n"), std::string::npos);
    EXPECT_NE(file.find("link C:\\WINDOWS\\Desktop\\Tool.lnk\r\n"), std::string::npos);
}

TEST_F(Unattended, TheNetworkTypeIsTheWizardsDefaultWhenOffered) {
    machine.WriteFile(medium + "\\install.cfg", kConfig);
    WriteMediumSegments(machine, medium, {{"tool.exe", "MZ tool"}, {"more.txt", "more"}});
    EXPECT_EQ(Run({"/S", "/END=launch", "/D=C:\\Net", "Tool"}), 0);
    EXPECT_TRUE(machine.Exists("C:\\Net Tool\\tool.exe"));
    EXPECT_FALSE(machine.Exists("C:\\Net Tool\\more.txt"));
    EXPECT_TRUE(Logged("launch C:\\Net Tool\\tool.exe"));  // without a comma: no parameters
}

TEST_F(Unattended, ADestinationSwitchMustBeFullAndTheProductsOwn) {
    machine.WriteFile(medium + "\\install.cfg", kConfig);
    WriteMediumSegments(machine, medium, {{"tool.exe", "MZ tool"}, {"more.txt", "more"}});
    const std::string shared = " is shared by the whole system: choose a directory of its own for the product.";
    const std::pair<std::string, std::string> refused[] = {
        {"/D=relative\\dir", "FAILED /D=: \"relative\\dir\" is not a full path: give the drive too, as in C:\\Program "
                               "Files\\Tool."},
        {"/D=C:", "FAILED /D=: \"C:\" is not a full path: give the drive too, as in C:\\Program Files\\Tool."},
        {"/D=C:\\", "FAILED /D=: C:\\" + shared},
        {"/D=C:\\Program Files\\.", "FAILED /D=: C:\\Program Files" + shared},
        {"/D=" + GetWindowsDir() + "\\System", "FAILED /D=: " + GetWindowsDir() + "\\System" + shared},
        {"/D=C:\\WINDOWS\\Desktop", "FAILED /D=: C:\\WINDOWS\\Desktop" + shared},
        {"/D=\\\\server\\share\\", "FAILED /D=: \\\\server\\share" + shared},
        {"/D=C:\\Tools\\nul.txt", "FAILED /D=: \"C:\\Tools\\nul.txt\" names a device, not a directory."},
    };
    for (const auto& [destination, line] : refused) {
        EXPECT_EQ(Run({"/S", destination}), 1) << destination;
        EXPECT_TRUE(Logged(line)) << ::testing::PrintToString(log);
        EXPECT_FALSE(machine.Exists("C:\\WINDOWS\\Temp\\z"));  // nothing was even expanded
        EXPECT_TRUE(machine.Exists(medium + "\\install.cfg"));
    }
    // Without /D= the default is taken as the destination page takes it: a root alone is refused.
    machine.WriteFile(medium + "\\install.cfg", "[Setup - Main]\n[Directories]\nDir1=<INSTALLDIR>~\n");
    EXPECT_EQ(Run({"/S"}), 1);
    EXPECT_TRUE(Logged("FAILED C:\\" + shared)) << ::testing::PrintToString(log);
    machine.WriteFile(medium + "\\install.cfg", kConfig);
    EXPECT_EQ(Run({"/S", "/D=\"C:\\Program", "Files\\Quoted\""}), 0);
    EXPECT_TRUE(machine.Exists("C:\\Program Files\\Quoted\\tool.exe"));
}

TEST_F(Unattended, StartedByItsFullPathFromAnotherFolderItInstallsFromBesideIt) {
    machine.WriteFile(medium + "\\install.cfg", kConfig);
    WriteMediumSegments(machine, medium, {{"tool.exe", "MZ tool"}, {"more.txt", "more"}});
    ASSERT_TRUE(machine.System().SetCurrentDirectory("C:\\"));
    EXPECT_EQ(RunSetupCommandLine({"/S"}, {}, {}, medium + "\\install.exe"), 0);
    EXPECT_TRUE(machine.Exists("C:\\Program Files\\Tool\\tool.exe"));
    EXPECT_TRUE(machine.Exists(medium + "\\disk.001"));  // a medium, not a setup directory: it stays whole
}

TEST_F(Unattended, FailuresEndWithTheirCodes) {
    machine.WriteFile(medium + "\\install.cfg", kConfig);
    // No segment on the medium: the disk is asked for, nobody answers, nothing is installed.
    EXPECT_EQ(Run({"/S"}), 1);
    EXPECT_TRUE(Logged("message Please Insert Disk #1 into Floppy Drive. -> Cancel"));
    EXPECT_TRUE(Logged("FAILED disk 1 (" + medium + "\\disk.001) is missing (error 2)"));
    EXPECT_FALSE(machine.Exists("C:\\Program Files\\Tool"));
    EXPECT_EQ(Run({"/S", "/TYPE=half"}), 1);
    EXPECT_TRUE(Logged("FAILED /TYPE= takes full or network, not \"half\""));
    // A damaged segment (no check section to catch it first): the log names the disk and the file.
    std::string text;
    for (int i = 0; text.size() < 20000; ++i) text += "line " + std::to_string(i * 7919 % 10007) + "\r\n";
    machine.System().CreateDirectory(medium);  // the runs before removed it as the setup directory
    machine.WriteFile(medium + "\\install.exe", "MZ stub");
    machine.WriteFile(medium + "\\install.cfg", kConfig);
    WriteMediumSegments(machine, medium, {{"tool.exe", "MZ tool"}, {"more.txt", text}});
    std::string segment = machine.ReadFile(medium + "\\disk.001");
    segment[segment.size() - 40] ^= 0x5A;
    machine.WriteFile(medium + "\\disk.001", segment);
    EXPECT_EQ(Run({"/S"}), 1);
    const std::string failure = "FAILED Error Expanding Files!! Disk: " + medium + "\\disk.001 File: more.txt ";
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const std::string& l) { return l.rfind(failure, 0) == 0; }))
        << ::testing::PrintToString(log);
    EXPECT_FALSE(machine.Exists("C:\\Program Files\\Tool"));
    EXPECT_EQ(Run({}), 1);  // no window system here: only the unattended setup runs
    EXPECT_TRUE(Logged("FAILED The interactive setup needs Windows (or Wine); add /S for an unattended install."));
}

// What fails while the payload is expanded ends the run with exit code 1 and a log line that
// names the disk or file, the system's reason and its code; nothing is installed.
TEST_F(Unattended, ExpansionFailuresLogTheirCodePathAndReason) {
    auto& emulated = static_cast<sys::emu::EmulatedSystem&>(machine.System());
    const std::string temp = "C:\\WINDOWS\\Temp\\z", disk = medium + "\\disk.001";
    const std::string expanding = "FAILED Error Expanding Files!! Disk: " + disk + " ";
    struct Case {
        std::function<void()> fault;
        std::string line;
    };
    const Case cases[] = {
        {[&] { emulated.FailCreating(temp + "\\more.txt"); },
         expanding + "File: more.txt Cannot create file " + temp + "\\more.txt: Access is denied (error 5)"},
        {[&] { emulated.FailCreating(temp); },
         "FAILED Error Expanding Files!! Cannot create directory " + temp + ": Access is denied (error 5)"},
        {[&] { emulated.FailReading(disk); },
         "FAILED Disk #1 (disk.001) cannot be read: The system cannot read from the specified device. (" + disk +
             ", error 30)"},
        // A full drive is found before the expansion writes anything.
        {[&] { emulated.FailWritesAfter(0); }, "FAILED Not enough space on C: 0.1 MB needed, 0.0 MB free"},
    };
    for (const Case& c : cases) {
        machine.System().CreateDirectory(medium);
        machine.WriteFile(medium + "\\install.exe", "MZ stub");
        machine.WriteFile(medium + "\\install.cfg", kConfig);
        WriteMediumSegments(machine, medium, {{"tool.exe", "MZ tool"}, {"more.txt", "more"}});
        c.fault();
        EXPECT_EQ(Run({"/S"}), 1) << c.line;
        emulated.ClearFaults();
        EXPECT_TRUE(Logged(c.line)) << ::testing::PrintToString(log);
        EXPECT_FALSE(machine.Exists("C:\\Program Files\\Tool"));
    }
}

// A step of the install that fails on its own ends the run with exit code 2 and a log line
// naming the path, the system's reason and its code. A link, a shared count or the launch is
// left out and the rest installed; an INI or registry value undoes the install.
struct StepFailure {
    const char* step;
    std::function<void(sys::emu::EmulatedSystem&)> fault;
    const char* launch;  // the program install.cfg launches
    std::string line;    // how the log line starts
    std::string named;   // the path and code it adds, "PATH, error N", where the line does not name the path
    const char* end;     // the log's last line
};

const StepFailure kStepFailures[] = {
    {"link", [](auto& os) { os.FailCreating("C:\\WINDOWS\\Desktop\\Tool.lnk"); }, "tool.exe",
     "FAILED link Tool: Access is denied", "C:\\WINDOWS\\Desktop\\Tool.lnk, error 5",
     "installed, but 1 of its files, links or shared counts could not be made"},
    // The folder cannot be made: the link in it is one failure, not two.
    {"link_folder",
     [](auto& os) {
         os.RemoveDirectory("C:\\WINDOWS\\Desktop");
         os.OpenFile("C:\\WINDOWS\\Desktop", sys::FileAccess::Write, sys::FileCreate::CreateAlways,
                     sys::FileShare::DenyNone);
     },
     "tool.exe", "FAILED link C:\\WINDOWS\\Desktop\\Tool.lnk: Cannot create a file when that file already exists",
     "C:\\WINDOWS\\Desktop, error 183",
     "installed, but 1 of its files, links or shared counts could not be made"},
    {"shared_count", [](auto& os) { os.FailRegistryKey(sys::RegRoot::LocalMachine, kSharedDllsKey); }, "tool.exe",
     "FAILED shared count C:\\WINDOWS\\System\\shared.dll: Access is denied",
     "HKEY_LOCAL_MACHINE\\" + std::string(kSharedDllsKey) + " C:\\WINDOWS\\System\\shared.dll, error 5",
     "installed, but 1 of its files, links or shared counts could not be made"},
    {"ini_value", [](auto& os) { os.FailCreating("C:\\WINDOWS\\tool.ini"); }, "tool.exe",
     "FAILED Unable to write to tool.ini Access is denied", "C:\\WINDOWS\\tool.ini [Paths] Home, error 5",
     "rolled back: nothing was installed"},
    {"registry_value", [](auto& os) { os.FailRegistryKey(sys::RegRoot::LocalMachine, "Software\\Tool"); },
     "tool.exe", "FAILED Failed to create key Software\\Tool\\Main Access is denied",
     "HKEY_LOCAL_MACHINE\\Software\\Tool\\Main, error 5", "rolled back: nothing was installed"},
    {"launch", [](auto&) {}, "absent.exe", "FAILED launch C:\\Tool\\absent.exe: The system cannot find the file specified",
     "error 2", "installed, but its program could not be launched"},
};

class InstallStepFails : public Unattended, public ::testing::WithParamInterface<StepFailure> {};

TEST_P(InstallStepFails, LogsItsCodePathAndReasonAndEndsWithTwo) {
    const StepFailure& c = GetParam();
    machine.WriteFile(medium + "\\install.cfg",
                      "[Setup - Main]\nHeader=Tool\nInstall Dir=Tool\nLaunch=<INSTALLDIR>\\" + std::string(c.launch) +
                          "\n[Directories]\nDir1=<INSTALLDIR>~\nDir2=<WINDOWS_SYSTEM>~\n"
                          "[Files]\nFile1=tool.exe~<INSTALLDIR>\nFile2=shared.dll~<WINDOWS_SYSTEM>\n"
                          "[Desktop]\nLink1=Tool~<INSTALLDIR>\\tool.exe~X~X~~Tool\n"
                          "[INI - Setup]\nIni1=tool.ini~Paths~Home~<INSTALLDIR>\n"
                          "Ini2=HKEY_LOCAL_MACHINE\\Software\\Tool~Main~Path~<INSTALLDIR>\n");
    WriteMediumSegments(machine, medium, {{"tool.exe", "MZ tool"}, {"shared.dll", "MZ dll"}});
    c.fault(static_cast<sys::emu::EmulatedSystem&>(machine.System()));
    EXPECT_EQ(Run({"/S", "/END=launch"}), 2);
    const auto named = std::find_if(log.begin(), log.end(), [&](const std::string& l) { return l.rfind(c.line, 0) == 0; });
    ASSERT_NE(named, log.end()) << ::testing::PrintToString(log);
    // The path and the code follow the reason.
    EXPECT_EQ(named->substr(c.line.size()), " (" + c.named + ")");
    EXPECT_EQ(log.back(), c.end);
    EXPECT_EQ(machine.Exists("C:\\Tool\\tool.exe"), c.end[0] == 'i');
}

INSTANTIATE_TEST_SUITE_P(EachStep, InstallStepFails, ::testing::ValuesIn(kStepFailures),
                         [](const auto& info) { return std::string(info.param.step); });

// A log that cannot be written is a failure of the run, named where it can be.
TEST_F(Unattended, ALogThatCannotBeMadeFailsTheRun) {
    machine.WriteFile(medium + "\\install.cfg", kConfig);
    WriteMediumSegments(machine, medium, {{"tool.exe", "MZ tool"}, {"more.txt", "more"}});
    static_cast<sys::emu::EmulatedSystem&>(machine.System()).FailCreating("C:\\setup.log");
    EXPECT_EQ(Run({"/S", "/LOG=C:\\setup.log"}), 2);
    EXPECT_TRUE(Logged("FAILED log C:\\setup.log: Access is denied (error 5)")) << ::testing::PrintToString(log);
    EXPECT_TRUE(Logged("installed"));
}

// A medium's install.cfg cut short or changed is refused before a byte is expanded.
TEST_F(Unattended, ACutOrChangedInstallCfgIsRefused) {
    const std::string built = WithDiskCheck("", kConfig);
    for (const std::string& text : {built.substr(0, built.size() - 40), built.substr(0, 9),
                                    built.substr(0, built.find("Header=")) + "Header=Tol" +
                                        built.substr(built.find("Header=") + 11)}) {
        machine.WriteFile(medium + "\\install.cfg", text);
        WriteMediumSegments(machine, medium, {{"tool.exe", "MZ tool"}, {"more.txt", "more"}});
        EXPECT_EQ(Run({"/S"}), 1);
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back().rfind("FAILED " + medium + "\\install.cfg "), 0u) << log.back();
        EXPECT_FALSE(machine.Exists("C:\\Program Files\\Tool"));
        EXPECT_FALSE(machine.Exists("C:\\WINDOWS\\Temp\\z"));
    }
    machine.WriteFile(medium + "\\install.cfg", built);
    EXPECT_EQ(Run({"/S"}), 0);
    EXPECT_TRUE(Logged("installed"));
}

TEST_F(Unattended, ADriveWithoutRoomEndsTheRunBeforeAnyChange) {
    auto& emu = dynamic_cast<sys::emu::EmulatedSystem&>(machine.System());
    std::filesystem::create_directories(emu.Root() / "d");
    emu.SetClusterSize(4096);
    machine.WriteFile(medium + "\\install.cfg", kConfig);
    WriteMediumSegments(machine, medium, {{"tool.exe", std::string(300000, 'x')}, {"more.txt", "more"}});
    const std::string segment = machine.ReadFile(medium + "\\disk.001");
    // The temporary folder's drive is checked before the expansion, the destination's before the copy.
    const struct {
        char drive;
        uint64_t free;
        const char* line;
    } cases[] = {{'C', 200000, "FAILED Not enough space on C: 0.3 MB needed, 0.1 MB free"},
                 {'D', 100000, "FAILED Not enough space on D: 0.4 MB needed, 0.0 MB free"}};
    for (const auto& c : cases) {
        emu.SetFreeDiskSpace(c.drive, c.free);
        EXPECT_EQ(Run({"/S", "/D=D:\\Tool"}), 1) << c.line;
        EXPECT_TRUE(Logged(c.line)) << (log.empty() ? "" : log.back());
        EXPECT_FALSE(machine.Exists("D:\\Tool"));
        EXPECT_FALSE(machine.Exists("C:\\WINDOWS\\Temp\\z"));
        emu.SetFreeDiskSpace(c.drive, 1u << 30);
        // The run removed its setup directory: the medium comes back for the next case.
        machine.System().CreateDirectory(medium);
        for (const char* name : {"install.exe", "install.cfg"}) machine.WriteFile(medium + "\\" + name, name);
        machine.WriteFile(medium + "\\install.cfg", kConfig);
        machine.WriteFile(medium + "\\disk.001", segment);
    }
    EXPECT_EQ(Run({"/S", "/D=D:\\Tool"}), 0);
    EXPECT_TRUE(machine.Exists("D:\\Tool\\tool.exe"));
}
#endif

}  // namespace
}  // namespace zov::test
