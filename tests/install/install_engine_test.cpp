// The install engine on an emulated machine (Windows in C:\WINDOWS, the shell folders of a
// fresh Windows 95), without any window.
#include <gtest/gtest.h>

#include "tests/support/test_prompts.h"
#include "install/wizard/install_engine.h"
#include "install/wizard/registration.h"
#include "sys/emu/emulated_system.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/shell_link_reader.h"
#include "tests/support/test_machine.h"

namespace zov::test {
namespace {

class RecordingLog : public TInstallLog {
public:
    void Line(const std::string& text) override { lines.push_back(text); }
    std::vector<std::string> lines;
};

class Engine : public ::testing::Test {
protected:
    Engine() {
        settings.WindowsRoot = "C:\\";
        settings.TempDir = "C:\\WINDOWS\\Temp\\z";
        machine.System().CreateDirectory("C:\\WINDOWS\\Temp");
        machine.System().CreateDirectory(settings.TempDir);
        Payload("install.exe", "MZ stub");
        Payload("install.cfg", "[Setup - Main]\r\n");
        choices.Title = "Tool";
        choices.Destination = "C:\\Program Files\\Tool";
    }
    void Payload(const std::string& name, const std::string& bytes) {
        machine.WriteFile(settings.TempDir + "\\" + name, bytes);
    }
    TInstallReport Run() {
        TInstallProgress progress;
        TInstallEngine engine(settings, choices, prompts, progress, &log);
        TInstallReport report = engine.Run();
        tags = engine.DirTags();
        paths = engine.DirPaths();
        return report;
    }
    std::string Read(const std::string& path) { return machine.ReadFile(path); }
    bool Exists(const std::string& path) { return machine.Exists(path); }
    sys::emu::EmulatedSystem& Emu() { return dynamic_cast<sys::emu::EmulatedSystem&>(machine.System()); }
    std::string RegValue(sys::RegRoot root, const std::string& key, const std::string& name) {
        std::string value;
        return machine.System().RegGetString(root, key, name, value) ? value : "(missing)";
    }
    // uninstall.cfg up to the sections the uninstaller reads beyond the usual four.
    std::string UsualSections(const std::string& file) {
        const std::string text = Read(file);
        const size_t extra = text.find("[Created");
        return extra == std::string::npos ? text : text.substr(0, extra);
    }

    TestMachine machine;
    ScriptedDialogs dialogs;
    test::TTestPrompts prompts;
    RecordingLog log;
    TSetupSettings settings;
    TInstallChoices choices;
    std::vector<std::string> tags, paths;
};

TEST_F(Engine, TheUninstallFileOfTheExample) {
    settings.Directories = {"<INSTALLDIR>~"};
    settings.Files = {"tool.exe~<INSTALLDIR>~"};
    settings.Shortcuts = {"Tool~<INSTALLDIR>tool.exe~X~X~<INSTALLDIR>tool.exe~Tool"};
    choices.DesktopLinks = {"Tool"};
    Payload("tool.exe", "MZ tool");
    const TInstallReport report = Run();
    ASSERT_EQ(report.End, TInstallEnd::Completed) << report.Error;
    EXPECT_EQ(report.ExitCode(), 0);
    EXPECT_EQ(UsualSections("C:\\Program Files\\Tool\\uninstall.cfg"),
              "[Program]\r\nTitle=Tool\r\n[UNINS]\r\nC:\\Program Files\\Tool\\*.*=\r\n"
              "C:\\Program Files\\Tool\\Setup\\*.*=\r\nC:\\Program Files\\Tool\\tool.exe=\r\n"
              "C:\\WINDOWS\\Desktop\\Tool.*=\r\nC:\\WINDOWS\\Start Menu\\Programs\\Tool\\Tool.*=\r\n"
              "[Folders]\r\nC:\\WINDOWS\\Start Menu\\Programs\\Tool=\r\n");
    EXPECT_EQ(Read("C:\\Program Files\\Tool\\tool.exe"), "MZ tool");
    EXPECT_EQ(Read("C:\\Program Files\\Tool\\install.exe"), "MZ stub");
    EXPECT_FALSE(Exists(settings.TempDir + "\\tool.exe"));  // moved out of the payload
    // The links point at the program, and no Start Menu link was chosen.
    for (const char* link : {"C:\\WINDOWS\\Desktop\\Tool.lnk", "C:\\WINDOWS\\Start Menu\\Programs\\Tool\\Tool.lnk"}) {
        const std::optional<ShellLinkInfo> info = ParseShellLink(Read(link));
        ASSERT_TRUE(info) << link;
        EXPECT_EQ(info->localBasePath, "C:\\Program Files\\Tool\\tool.exe") << link;
        EXPECT_EQ(info->workingDir, "C:\\Program Files\\Tool\\") << link;
    }
    EXPECT_FALSE(Exists("C:\\WINDOWS\\Start Menu\\Tool.lnk"));
    // No uninstaller among the files: no registration.
    EXPECT_FALSE(machine.System().RegKeyExists(sys::RegRoot::LocalMachine,
                                               "Software\\Microsoft\\Windows\\currentversion\\uninstall\\Tool"));
    // The directories the install made, for the uninstaller.
    const std::string cfg = Read("C:\\Program Files\\Tool\\uninstall.cfg");
    EXPECT_NE(cfg.find("[Created Directories]\r\nC:\\Program Files\\Tool=\r\n"), std::string::npos);
}

TEST_F(Engine, DirectoriesResolveRowByRowAndTagsExpand) {
    settings.Directories = {"<INSTALLDIR>~",         "<WINDOWS>~ignored",         "<WINDOWS_SYSTEM>~",
                            "<PROGRAMFILES>~",       "<SUB1><WINDOWS>~Fonts",    "<SUB2><PROGRAMFILES>~Common",
                            "<SUB3><WINDOWS_SYSTEM>~Drv", "<SUB4><INSTALLDIR>~Samples", "<SUB5><OTHER>~D:\\Else",
                            "<SUB6>~Data",          "<ALT1>~Tool Data",          "<alt1>~Later Data"};
    ASSERT_EQ(Run().End, TInstallEnd::Completed);
    EXPECT_EQ(paths, (std::vector<std::string>{
                         "C:\\Program Files\\Tool", "C:\\WINDOWS", "C:\\WINDOWS\\System", "C:\\Program Files",
                         "C:\\WINDOWS\\Fonts", "C:\\Program Files\\Common", "C:\\WINDOWS\\System\\Drv",
                         "C:\\Program Files\\Tool\\Samples", "D:\\Else", "C:\\Program Files\\Tool\\Data",
                         "C:\\Tool Data", "C:\\Later Data"}));
    EXPECT_EQ(tags.back(), "<ALT1>");
    TInstallProgress progress;
    TInstallEngine engine(settings, choices, prompts, progress);
    // The engine's expansion is valid once its directories are resolved: run it on a copy.
    TSetupSettings again = settings;
    TInstallEngine second(again, choices, prompts, progress);
    const TInstallReport secondReport = second.Run();
    EXPECT_EQ(secondReport.Error, "");
    EXPECT_EQ(second.ExpandDirTag("<INSTALLDIR>tool.exe"), "C:\\Program Files\\Tool\\tool.exe");
    EXPECT_EQ(second.ExpandDirTag("<installdir>\\tool.exe"), "C:\\Program Files\\Tool\\tool.exe");
    EXPECT_EQ(second.ExpandDirTag("<ALT1>x.dat"), "C:\\Later Data\\x.dat");  // the last equal tag wins
    EXPECT_EQ(second.ExpandDirTag("before<INSTALLDIR>x"), "C:\\Program Files\\Tool\\x");
    EXPECT_EQ(second.ExpandDirTag("<NOWHERE>tool.exe"), "");
    EXPECT_EQ(second.ExpandDirTag("keep<no end"), "keep");
    EXPECT_EQ(second.ExpandDirTag("no tag at all"), "no tag at all");
    // The last ">" ends the tag: two tags read as one unknown tag.
    EXPECT_EQ(second.ExpandDirTag("<INSTALLDIR>a>b"), "");
}

TEST_F(Engine, CopyLoopRules) {
    settings.Directories = {"<INSTALLDIR>~", "<SUB1>~One", "<SUB1>~Two"};
    settings.Files = {"a.dll~<INSTALLDIR>~", "data.dll~<INSTALLDIR>~", "twice.txt~<SUB1>~", "lost.txt~<NOWHERE>~",
                      "ask.txt~<INSTALLDIR>~X"};
    for (const char* f : {"a.dll", "data.dll", "twice.txt", "lost.txt", "ask.txt"}) Payload(f, f);
    machine.System().CreateDirectory("C:\\Program Files");
    machine.System().CreateDirectory("C:\\Program Files\\Tool");
    machine.WriteFile("C:\\Program Files\\Tool\\ask.txt", "the user's own");
    dialogs.ExpectMessage("File Already Exists (ask.txt). Overwrite?", "Confirm", ui::TMsgDlgType::mtConfirmation,
                          ui::mbYes | ui::mbNo, ui::mrNo);
    const TInstallReport report = Run();
    ASSERT_EQ(report.End, TInstallEnd::Completed) << report.Error;
    EXPECT_TRUE(report.FailedFiles.empty());
    EXPECT_EQ(Read("C:\\Program Files\\Tool\\ask.txt"), "the user's own");
    // Each file leaves the payload at its last use, a name inside another entry (a.dll in
    // data.dll) too: it was moved, not copied.
    for (const char* moved : {"a.dll", "data.dll", "twice.txt"}) EXPECT_FALSE(Exists(settings.TempDir + "\\" + moved));
    // A tag given to two directories puts the file into both.
    EXPECT_EQ(Read("C:\\Program Files\\Tool\\One\\twice.txt"), "twice.txt");
    EXPECT_EQ(Read("C:\\Program Files\\Tool\\Two\\twice.txt"), "twice.txt");
    // A file whose tag has no directory is never copied nor recorded.
    EXPECT_TRUE(Exists(settings.TempDir + "\\lost.txt"));
    const std::string cfg = Read("C:\\Program Files\\Tool\\uninstall.cfg");
    EXPECT_EQ(cfg.find("lost.txt"), std::string::npos);
    EXPECT_NE(cfg.find("C:\\Program Files\\Tool\\ask.txt=\r\n"), std::string::npos);  // declined, still recorded
    EXPECT_NE(cfg.find("C:\\Program Files\\Tool\\One\\twice.txt=\r\nC:\\Program Files\\Tool\\Two\\twice.txt="),
              std::string::npos);
}

TEST_F(Engine, WorkstationFilesAreNeverAskedAboutWithoutAMark) {
    settings.Directories = {"<INSTALLDIR>~"};
    settings.Files = {"full.txt~<INSTALLDIR>~X"};
    settings.WorkStationFiles = {"net.txt~<INSTALLDIR>"};
    Payload("net.txt", "new");
    machine.System().CreateDirectory("C:\\Program Files");
    machine.System().CreateDirectory("C:\\Program Files\\Tool");
    machine.WriteFile("C:\\Program Files\\Tool\\net.txt", "old");
    choices.Workstation = true;
    ASSERT_EQ(Run().End, TInstallEnd::Completed);
    EXPECT_EQ(Read("C:\\Program Files\\Tool\\net.txt"), "new");
    EXPECT_FALSE(Exists("C:\\Program Files\\Tool\\full.txt"));
}

TEST_F(Engine, IniAndRegistryEntries) {
    settings.Directories = {"<INSTALLDIR>~"};
    settings.IniEntries = {"HKEY_LOCAL_MACHINE\\Software\\Acme~Tool\\~Path~C:\\Tool",
                           "tool.ini~Paths~Home~<INSTALLDIR>",
                           "<INSTALLDIR>\\own.ini~S~K~v",
                           "HKEY_CURRENT_USER~Alone~N~1",
                           "HKEY_CLASSES_ROOT\\.tool~Open~Cmd~x",
                           "Software\\Plain\\~\\Sub~V~2"};
    const TInstallReport report = Run();
    ASSERT_EQ(report.End, TInstallEnd::Completed) << report.Error;
    using sys::RegRoot;
    EXPECT_EQ(RegValue(RegRoot::LocalMachine, "Software\\Acme\\Tool", "Path"), "C:\\Tool");
    EXPECT_EQ(RegValue(RegRoot::CurrentUser, "HKEY_CURRENT_USER\\Alone", "N"), "1");  // a root name alone stays
    EXPECT_EQ(RegValue(RegRoot::CurrentUser, ".tool\\Open", "Cmd"), "x");            // other roots: the user's
    EXPECT_EQ(RegValue(RegRoot::CurrentUser, "Software\\Plain\\Sub", "V"), "2");
    // A bare INI name lies in the Windows directory, and is recorded there.
    EXPECT_EQ(machine.System().GetProfileString("C:\\WINDOWS\\tool.ini", "Paths", "Home", "", 256),
              "C:\\Program Files\\Tool\\");
    EXPECT_EQ(machine.System().GetProfileString("C:\\Program Files\\Tool\\own.ini", "S", "K", "", 256), "v");
    const std::string cfg = Read("C:\\Program Files\\Tool\\uninstall.cfg");
    EXPECT_NE(cfg.find("C:\\WINDOWS\\tool.ini=\r\n"), std::string::npos);
    EXPECT_NE(cfg.find("[Registry]\r\nHKEY_LOCAL_MACHINE\\Software\\Acme=\r\nHKEY_CURRENT_USER=\r\n"
                       "HKEY_CLASSES_ROOT\\.tool=\r\nSoftware\\Plain\\=\r\n"),
              std::string::npos);
    // What the uninstaller needs to take exactly these back.
    EXPECT_NE(cfg.find("[INI Values]\r\n1=C:\\WINDOWS\\tool.ini~Paths~Home\r\n"), std::string::npos);
    EXPECT_NE(cfg.find("1=HKLM~Software\\Acme\\Tool~Path\r\n"), std::string::npos);
    EXPECT_NE(cfg.find("[Created Registry Keys]\r\n1=HKLM~Software\\Acme\r\n2=HKLM~Software\\Acme\\Tool\r\n"), std::string::npos);
    EXPECT_NE(cfg.find("=HKCU~Software\\Plain\\Sub\r\n"), std::string::npos);
    EXPECT_EQ(cfg.find("\\\\"), std::string::npos);  // no empty key part anywhere
}

TEST_F(Engine, AutoexecBlocksAndBackups) {
    settings.Directories = {"<INSTALLDIR>~"};
    settings.AutoexecLines = {"copy a b", "path %PATH%;<INSTALLDIR>", "rem <ROOT>data <UNKNOWN> here"};
    machine.WriteFile("C:\\autoexec.bat", "@ECHO OFF\r\nPROMPT $P$G");
    ASSERT_EQ(Run().End, TInstallEnd::Completed);
    const std::string shortDir = [&] {
        std::string s;
        machine.System().GetShortPathName("C:\\Program Files\\Tool", s);
        return s;
    }();
    const std::string block = "REM - Starting Zovrand Update\r\nCOPY/Y A B\r\nPATH %PATH%;" + shortDir +
                              "\r\nREM C:\\DATA <UNKNOWN> HERE\r\nREM - End of Zovrand\r\n";
    EXPECT_EQ(Read("C:\\autoexec.zov"), "@ECHO OFF\r\nPROMPT $P$G\r\n");
    EXPECT_EQ(Read("C:\\autoexec.bat"), "@ECHO OFF\r\nPROMPT $P$G\r\n" + block);
    // A second install replaces its block; the backup holds the file after the first.
    TInstallProgress progress;
    TSetupSettings again = settings;
    TInstallEngine second(again, choices, prompts, progress);
    ASSERT_EQ(second.Run().End, TInstallEnd::Completed);
    EXPECT_EQ(Read("C:\\autoexec.zov"), "@ECHO OFF\r\nPROMPT $P$G\r\n" + block);
    EXPECT_EQ(Read("C:\\autoexec.bat"), "@ECHO OFF\r\nPROMPT $P$G\r\n" + block);
}

TEST_F(Engine, FilesThatCannotBeReadAreNotRewritten) {
    struct Case {
        const char* file;
        std::vector<std::string> TSetupSettings::*list;
        std::string entry;
    };
    const Case cases[] = {
        {"C:\\autoexec.bat", &TSetupSettings::AutoexecLines, "SET A=1"},
        {"C:\\WINDOWS\\tool.ini", &TSetupSettings::IniEntries, "tool.ini~S~K~V"},
    };
    settings.Directories = {"<INSTALLDIR>~"};
    for (const Case& c : cases) {
        machine.WriteFile(c.file, "[S]\r\nK=user's\r\n");
        machine.WriteFile("C:\\autoexec.zov", "earlier backup");
        Emu().FailReading(c.file);
        settings.*c.list = {c.entry};
        const TInstallReport report = Run();
        Emu().ClearFaults();
        settings.*c.list = {};
        EXPECT_EQ(report.End, TInstallEnd::RolledBack) << c.file;
        EXPECT_EQ(report.Error.substr(0, report.Error.find('\r')), std::string("Unable to read ") + c.file);
        EXPECT_EQ(Read(c.file), "[S]\r\nK=user's\r\n");
        EXPECT_EQ(Read("C:\\autoexec.zov"), "earlier backup");
    }
}

TEST_F(Engine, AnAutoexecThatCannotBeReplacedStaysWhole) {
    settings.Directories = {"<INSTALLDIR>~"};
    settings.AutoexecLines = {"SET A=1"};
    machine.WriteFile("C:\\autoexec.bat", "@ECHO OFF\r\n");
    machine.System().SetFileAttributes("C:\\autoexec.bat", sys::kAttrReadOnly);
    const TInstallReport report = Run();
    EXPECT_EQ(report.End, TInstallEnd::RolledBack);
    EXPECT_EQ(report.Error.substr(0, report.Error.find('\r')), "C:\\autoexec.bat: Access is denied");
    EXPECT_EQ(Read("C:\\autoexec.bat"), "@ECHO OFF\r\n");
    EXPECT_FALSE(Exists("C:\\autoexec.zov"));  // the backup the install made goes with it
    EXPECT_FALSE(Exists("C:\\autoexec.$$$"));
}

// uninstall.cfg says of each thing whether the install made it or changed what was there.
TEST_F(Engine, TheRecordTellsMadeFromChanged) {
    settings.Directories = {"<INSTALLDIR>~"};
    settings.Files = {"new.txt~<INSTALLDIR>~", "old.txt~<INSTALLDIR>~"};
    settings.IniEntries = {"tool.ini~S~Old~new", "tool.ini~S~New~new", "HKEY_CURRENT_USER\\Software\\T~~Text~new",
                           "HKEY_CURRENT_USER\\Software\\T~~Number~new", "HKEY_CURRENT_USER\\Software\\T~~Fresh~new"};
    Payload("new.txt", "n");
    Payload("old.txt", "o");
    machine.System().CreateDirectory("C:\\Program Files");
    machine.System().CreateDirectory("C:\\Program Files\\Tool");
    machine.WriteFile("C:\\Program Files\\Tool\\old.txt", "the user's");
    machine.WriteFile("C:\\WINDOWS\\tool.ini", "[S]\r\nOld=before\r\n");
    machine.System().RegSetString(sys::RegRoot::CurrentUser, "Software\\T", "Text", "was");
    machine.System().RegSetDword(sys::RegRoot::CurrentUser, "Software\\T", "Number", 7);
    ASSERT_EQ(Run().End, TInstallEnd::Completed);
    const std::string cfg = Read("C:\\Program Files\\Tool\\uninstall.cfg");
    for (const char* part : {"[Written Files]\r\nC:\\Program Files\\Tool\\install.exe=new\r\n",
                             "C:\\Program Files\\Tool\\new.txt=new\r\nC:\\Program Files\\Tool\\old.txt=replaced\r\n",
                             "[INI Values]\r\n1=C:\\WINDOWS\\tool.ini~S~Old\r\n2=C:\\WINDOWS\\tool.ini~S~New\r\n",
                             "[Earlier INI Values]\r\n1=before\r\n[",
                             "[Earlier Registry Values]\r\n1=S:was\r\n2=D:7\r\n"})
        EXPECT_NE(cfg.find(part), std::string::npos) << part << "\n" << cfg;
    // The directory was there: it is not recorded as made.
    EXPECT_EQ(cfg.find("[Created Directories]"), std::string::npos) << cfg;
}

// A <SUB> path that climbs back into the system directory is the system directory: the
// file there is counted, under the one name every product uses for it.
TEST_F(Engine, ASharedFileIsCountedWhateverPathLeadsToIt) {
    settings.Directories = {"<INSTALLDIR>~", "<SUB1><INSTALLDIR>~..\\..\\..\\WINDOWS\\.\\SYSTEM"};
    settings.Files = {"common.dll~<SUB1><INSTALLDIR>~"};
    Payload("common.dll", "MZ mine");
    machine.WriteFile("C:\\WINDOWS\\SYSTEM\\common.dll", "MZ someone's");
    ASSERT_EQ(Run().End, TInstallEnd::Completed);
    EXPECT_EQ(paths[1], "C:\\WINDOWS\\SYSTEM");
    uint32_t uses = 0;
    ASSERT_TRUE(machine.System().RegGetDword(sys::RegRoot::LocalMachine,
                                             "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
                                             "C:\\WINDOWS\\SYSTEM\\common.dll", uses));
    EXPECT_EQ(uses, 2u);  // the unknown owner's and this product's
}

TEST_F(Engine, ShortcutsWithoutChoicesStillGoToPrograms) {
    settings.Directories = {"<INSTALLDIR>~"};
    settings.Shortcuts = {"Read Me~<INSTALLDIR>readme.txt~~x~~Tool", "Tool~<INSTALLDIR>tool.exe~X~X~~Tool"};
    settings.Files = {"readme.txt~<INSTALLDIR>~", "tool.exe~<INSTALLDIR>~"};
    Payload("readme.txt", "read me");
    Payload("tool.exe", "MZ tool");
    choices.DesktopLinks = {};  // offered on the desktop but unchecked
    choices.StartMenuLinks = {"Tool"};
    ASSERT_EQ(Run().End, TInstallEnd::Completed);
    EXPECT_TRUE(Exists("C:\\WINDOWS\\Start Menu\\Programs\\Tool\\Read Me.lnk"));
    EXPECT_FALSE(Exists("C:\\WINDOWS\\Start Menu\\Read Me.lnk"));  // "x" is no mark
    EXPECT_FALSE(Exists("C:\\WINDOWS\\Desktop\\Tool.lnk"));
    EXPECT_TRUE(Exists("C:\\WINDOWS\\Start Menu\\Tool.lnk"));
    const std::string cfg = UsualSections("C:\\Program Files\\Tool\\uninstall.cfg");
    EXPECT_NE(cfg.find("C:\\WINDOWS\\Start Menu\\Programs\\Tool\\Read Me.*=\r\n"), std::string::npos);
    EXPECT_NE(cfg.find("[Folders]\r\nC:\\WINDOWS\\Start Menu\\Programs\\Tool=\r\n"), std::string::npos);
}

TEST_F(Engine, RegistrationAndLaunch) {
    settings.Directories = {"<INSTALLDIR>~"};
    settings.Files = {"uninstaller.exe~<INSTALLDIR>~", "tool.exe~<INSTALLDIR>~"};
    settings.LaunchCommand = "<INSTALLDIR>\\tool.exe,/first run";
    Payload("uninstaller.exe", "MZ u");
    Payload("tool.exe", "MZ t");
    choices.Launch = true;
    const TInstallReport report = Run();
    ASSERT_EQ(report.End, TInstallEnd::Completed);
    EXPECT_TRUE(report.Launched);
    const std::string key = "Software\\Microsoft\\Windows\\currentversion\\uninstall\\Tool";
    EXPECT_EQ(RegValue(sys::RegRoot::LocalMachine, key, "DisplayName"), "Tool");
    EXPECT_EQ(RegValue(sys::RegRoot::LocalMachine, key, "UninstallString"),
              "\"C:\\Program Files\\Tool\\uninstaller.exe\" Tool");
    EXPECT_EQ(RegValue(sys::RegRoot::LocalMachine, key, "DisplayIcon"), "C:\\Program Files\\Tool\\uninstaller.exe");
    EXPECT_EQ(RegValue(sys::RegRoot::LocalMachine, key, "Publisher"), "(missing)");  // not given: not written
    const std::vector<std::string> journal = Emu().Journal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.back().substr(0, journal.back().rfind('\t')),
              "shellexecute\t\ttool.exe\t/first run\tC:\\Program Files\\Tool\\\t5");
}

// What Windows' list of programs shows: every value the medium gives, the size and the day.
TEST_F(Engine, TheRegistrationIsACompleteEntry) {
    settings.Directories = {"<INSTALLDIR>~"};
    settings.Files = {"uninstaller.exe~<INSTALLDIR>~", "tool.exe~<INSTALLDIR>~"};
    settings.Publisher = "Acme";
    settings.Version = "2.1";
    settings.AboutUrl = "http://example.com/";
    for (const auto& [icon, shown] : std::vector<std::pair<std::string, std::string>>{
             {"<INSTALLDIR>\\tool.exe,1", "C:\\Program Files\\Tool\\tool.exe,1"},
             {"<INSTALLDIR>\\tool.exe", "C:\\Program Files\\Tool\\tool.exe"},
             {"<INSTALLDIR>\\absent.ico", "C:\\Program Files\\Tool\\uninstaller.exe"}}) {
        Payload("uninstaller.exe", "MZ u");
        Payload("tool.exe", std::string(5000, 't'));
        settings.ProductIcon = icon;
        ASSERT_EQ(Run().End, TInstallEnd::Completed);
        const std::string key = "Software\\Microsoft\\Windows\\currentversion\\uninstall\\Tool";
        EXPECT_EQ(RegValue(sys::RegRoot::LocalMachine, key, "DisplayIcon"), shown);
        EXPECT_EQ(RegValue(sys::RegRoot::LocalMachine, key, "Publisher"), "Acme");
        EXPECT_EQ(RegValue(sys::RegRoot::LocalMachine, key, "DisplayVersion"), "2.1");
        EXPECT_EQ(RegValue(sys::RegRoot::LocalMachine, key, "URLInfoAbout"), "http://example.com/");
        EXPECT_EQ(RegValue(sys::RegRoot::LocalMachine, key, "HelpLink"), "http://example.com/");
        EXPECT_EQ(RegValue(sys::RegRoot::LocalMachine, key, "QuietUninstallString"),
                  "\"C:\\Program Files\\Tool\\uninstaller.exe\" /S Tool");
        const std::string date = RegValue(sys::RegRoot::LocalMachine, key, "InstallDate");
        EXPECT_TRUE(date.size() == 8 && date.find_first_not_of("0123456789") == std::string::npos &&
                    date.compare(0, 2, "20") == 0)
            << date;
        // Five files in whole clusters of the emulated drive, and uninstall.cfg.
        uint32_t size = 0;
        ASSERT_TRUE(machine.System().RegGetDword(sys::RegRoot::LocalMachine, key, "EstimatedSize", size));
        uint32_t cluster = 0;
        ASSERT_TRUE(machine.System().GetDiskClusterSize("C:\\", cluster));
        EXPECT_EQ(size, (cluster * 4 + (5000 + cluster - 1) / cluster * cluster) / 1024) << cluster;
    }
}

TEST(Registration, DateAndSizeAreWrittenAsTheListOfProgramsReadsThem) {
    struct : TRegistrationValues {
        std::vector<std::string> shown;
        void Text(const char* name, const std::string& value) override { shown.push_back(std::string(name) + "=" + value); }
        void Number(const char* name, uint32_t value) override { shown.push_back(name + ("=" + std::to_string(value))); }
    } values;
    TRegistrationFacts facts;
    facts.InstalledBytes = 1025;                   // a kilobyte and a byte: two
    facts.DosDate = (44 << 9) | (3 << 5) | 5;      // 5 March 2024
    WriteRegistrationValues(facts, values);
    EXPECT_EQ(std::vector<std::string>(values.shown.begin() + 5, values.shown.end()),
              (std::vector<std::string>{"InstallDate=20240305", "EstimatedSize=2", "NoModify=1", "NoRepair=1"}));
}

// A link to a file the install did not put there (a wrong tag) is not made, and the log says so.
TEST_F(Engine, ALinkToAFileNotInstalledIsNotMade) {
    settings.Directories = {"<INSTALLDIR>~"};
    settings.Files = {"tool.exe~<INSTALDIR>~"};
    settings.Shortcuts = {"Tool~<INSTALLDIR>\\tool.exe~X~~~Tool", "Home~<INSTALLDIR>~X~~~Tool"};
    choices.DesktopLinks = {"Tool", "Home"};
    Payload("tool.exe", "MZ tool");
    ASSERT_EQ(Run().End, TInstallEnd::Completed);
    EXPECT_FALSE(Exists("C:\\WINDOWS\\Desktop\\Tool.lnk"));
    EXPECT_TRUE(Exists("C:\\WINDOWS\\Desktop\\Home.lnk"));  // a folder is a target too
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(),
                        "link Tool not made: its target C:\\Program Files\\Tool\\tool.exe was not installed"),
              log.lines.end());
}

TEST_F(Engine, ASetupProgramIsStartedWhateverTheChoice) {
    settings.Directories = {"<INSTALLDIR>~"};
    settings.LaunchCommand = "<INSTALLDIR>\\Setup.exe";  // no comma: no parameters
    choices.Launch = false;
    const TInstallReport report = Run();
    // It is not there: the failed launch is reported and the exit code says so.
    EXPECT_EQ(report.LaunchFailure, "C:\\Program Files\\Tool\\Setup.exe: The system cannot find the file specified");
    EXPECT_EQ(report.ExitCode(), 2);
    const std::string last = Emu().Journal().back();
    EXPECT_EQ(last.substr(0, last.rfind('\t')),
              "shellexecute\t\tSetup.exe\t\tC:\\Program Files\\Tool\\\t5");
}

TEST_F(Engine, FailuresStopOrAreListed) {
    settings.Directories = {"<INSTALLDIR>~"};
    {  // The install directory cannot be made: nothing is done.
        Emu().FailCreating("C:\\Program Files\\Tool");
        const TInstallReport report = Run();
        EXPECT_EQ(report.End, TInstallEnd::NothingDone);
        EXPECT_EQ(report.Error, "Unable to Create C:\\Program Files\\Tool");
        EXPECT_EQ(report.ExitCode(), 1);
        EXPECT_EQ(log.lines.back(), "FAILED directory C:\\Program Files\\Tool: Access is denied (error 5)");
        Emu().ClearFaults();
    }
    {  // A registry key that cannot be made stops the install before the registration.
        settings.IniEntries = {"HKEY_LOCAL_MACHINE\\Software\\Locked~K~V~1"};
        Emu().FailRegistryKey(sys::RegRoot::LocalMachine, "Software\\Locked");
        const TInstallReport report = Run();
        EXPECT_EQ(report.End, TInstallEnd::RolledBack);
        EXPECT_EQ(report.Error, "Failed to create key Software\\Locked\\K\rAccess is denied\r\r"
                                "The installation was undone: nothing was installed.");
        EXPECT_EQ(report.ExitCode(), 2);
        Emu().ClearFaults();
        settings.IniEntries.clear();
    }
    {  // The disk fills up during the copy: the install is undone, naming the file.
        // Listed twice, the file is copied the first time (a move writes nothing).
        settings.Files = {"big.bin~<INSTALLDIR>~", "big.bin~<SUB1>~", "small.txt~<INSTALLDIR>~"};
        settings.Directories = {"<INSTALLDIR>~", "<SUB1>~Copy"};
        Payload("big.bin", std::string(50000, 'b'));
        Payload("small.txt", "s");
        Emu().FailWritesAfter(20000);
        const TInstallReport report = Run();
        Emu().ClearFaults();
        EXPECT_EQ(report.End, TInstallEnd::RolledBack);
        EXPECT_EQ(report.Error.substr(0, report.Error.find("\r\r")),
                  "Unable to write file C:\\Program Files\\Tool\\big.bin\rThere is not enough space on the disk\r"
                  "Not enough space on C: 0.2 MB needed, 0.0 MB free");
        EXPECT_EQ(report.ExitCode(), 2);
        EXPECT_FALSE(Exists("C:\\Program Files\\Tool"));
    }
}

TEST_F(Engine, AnUnwritableIniFileStopsTheInstall) {
    settings.Directories = {"<INSTALLDIR>~"};
    settings.IniEntries = {"C:\\Locked\\tool.ini~S~K~V", "HKEY_CURRENT_USER\\Software\\After~S~K~V"};
    const TInstallReport report = Run();
    EXPECT_EQ(report.End, TInstallEnd::RolledBack);
    EXPECT_EQ(report.Error.substr(0, report.Error.find("\r\r")),
              "Unable to write to C:\\Locked\\tool.ini\rThe system cannot find the path specified");
    EXPECT_FALSE(machine.System().RegKeyExists(sys::RegRoot::CurrentUser, "Software\\After"));
}

}  // namespace
}  // namespace zov::test
