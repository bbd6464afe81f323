// The emulated machine's own behaviour: what Windows does that Wine (the other half of the
// conformance suite) does not show, the faults tests inject, the journal, and the formats
// of the files it keeps (REGEDIT4 registry, .lnk files read by lnkinfo).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "sys/emu/emulated_system.h"
#include "sys/emu/short_names.h"
#include "sys/paths.h"
#include "tests/support/shell_link_reader.h"
#include "tests/support/test_machine.h"

namespace zov::sys::emu {
namespace {

using test::TestMachine;

EmulatedSystem& Emu(TestMachine& m) { return dynamic_cast<EmulatedSystem&>(m.System()); }

std::string HostText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Short(TestMachine& m, const std::string& name) {
    std::string s;
    EXPECT_TRUE(m.System().GetShortPathName(m.Path(name), s)) << name;
    return s.substr(s.find_last_of('\\') + 1);
}

TEST(EmulatedNames, ShortNamesAreNumberedAsWindowsNumbersThem) {
    EXPECT_TRUE(IsLegal83("readme.txt"));
    EXPECT_TRUE(IsLegal83("NOEXT"));
    EXPECT_FALSE(IsLegal83("a.b.c"));
    EXPECT_FALSE(IsLegal83("ab cd.txt"));
    EXPECT_FALSE(IsLegal83("abcdefghi.txt"));
    EXPECT_FALSE(IsLegal83("x.html"));

    TestMachine m;
    for (const char* n : {"long file name.txt", "longfilename2.txt", "a.b.c", "abc.html",
                          "x+y.txt", ".hidden", "readme.txt"})
        m.WriteFile(m.Path(n), n);
    m.System().CreateDirectory(m.Path("Program Files"));
    EXPECT_EQ(Short(m, "long file name.txt"), "LONGFI~1.TXT");
    EXPECT_EQ(Short(m, "longfilename2.txt"), "LONGFI~2.TXT");
    EXPECT_EQ(Short(m, "long file name.txt"), "LONGFI~1.TXT");  // kept once given
    EXPECT_EQ(Short(m, "a.b.c"), "AB~1.C");
    EXPECT_EQ(Short(m, "abc.html"), "ABC~1.HTM");
    EXPECT_EQ(Short(m, "x+y.txt"), "X_Y~1.TXT");
    EXPECT_EQ(Short(m, ".hidden"), "HIDDEN~1");
    EXPECT_EQ(Short(m, "readme.txt"), "readme.txt");
    EXPECT_EQ(Short(m, "Program Files"), "PROGRA~1");
    EXPECT_EQ(m.ReadFile(m.Path("longfi~2.txt")), "longfilename2.txt");

    // Names survive the machine object; a deleted file gives its short name back.
    EmulatedSystem again(Emu(m).Root());
    std::string s;
    ASSERT_TRUE(again.GetShortPathName(m.Path("longfilename2.txt"), s));
    EXPECT_EQ(s, m.Path("LONGFI~2.TXT"));
    ASSERT_TRUE(m.System().DeleteFile(m.Path("long file name.txt")));
    m.WriteFile(m.Path("longfilename3.txt"), "");
    EXPECT_EQ(Short(m, "longfilename3.txt"), "LONGFI~1.TXT");
}

TEST(EmulatedFiles, WindowsRulesWineDoesNotShow) {
    TestMachine m;
    System& os = m.System();
    const std::string p = m.Path("f.txt");
    m.WriteFile(p, "x");
    ASSERT_TRUE(os.SetFileAttributes(p, kAttrReadOnly));
    EXPECT_EQ(os.OpenFile(p, FileAccess::Write, FileCreate::OpenExisting, FileShare::DenyNone),
              nullptr);
    EXPECT_NE(os.OpenFile(p, FileAccess::Read, FileCreate::OpenExisting, FileShare::DenyNone),
              nullptr);
    EXPECT_FALSE(os.WriteProfileString(p, "s", "k", "v"));
    // Replacing a hidden or system file with a plain one is refused.
    ASSERT_TRUE(os.SetFileAttributes(p, kAttrHidden));
    EXPECT_EQ(os.OpenFile(p, FileAccess::Write, FileCreate::CreateAlways, FileShare::DenyNone),
              nullptr);
    EXPECT_NE(os.OpenFile(p, FileAccess::Write, FileCreate::OpenAlways, FileShare::DenyNone),
              nullptr);
    ASSERT_TRUE(os.SetFileAttributes(p, kAttrNormal));
    EXPECT_EQ(os.GetFileAttributes(p), kAttrNormal);
    { auto f = os.OpenFile(p, FileAccess::Write, FileCreate::CreateAlways, FileShare::DenyNone); }
    EXPECT_EQ(os.GetFileAttributes(p), kAttrArchive);

    m.WriteFile(m.Path("noext"), "");
    std::vector<FindEntry> entries;
    ASSERT_TRUE(os.FindFiles(m.Path("*."), false, entries));
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "noext"}));
}

TEST(EmulatedFiles, AttributesPersistInTheMachine) {
    TestMachine m;
    m.WriteFile(m.Path("h"), "");
    ASSERT_TRUE(m.System().SetFileAttributes(m.Path("h"), kAttrHidden | kAttrSystem));
    EmulatedSystem again(Emu(m).Root());
    EXPECT_EQ(again.GetFileAttributes(m.Path("h")), kAttrHidden | kAttrSystem);
    std::vector<FindEntry> entries;
    EXPECT_FALSE(again.FindFiles(m.Path("h"), false, entries));
    EXPECT_TRUE(again.FindFiles(m.Path("h"), true, entries));
}

TEST(EmulatedProfile, WritesKeepBlankLinesAndLineBreaks) {
    TestMachine m;
    const std::string file = m.Path("x.ini");
    m.WriteFile(file, "; c\n\n[A]\nk=1\n\n[B]\nb = 2 \n");
    ASSERT_TRUE(m.System().WriteProfileString(file, "a", "n", "v"));
    ASSERT_TRUE(m.System().WriteProfileString(file, "b", "B", "3"));
    EXPECT_EQ(m.ReadFile(file), "; c\n\n[A]\nk=1\nn=v\r\n\n[B]\nb=3\n");
    // A quoted value loses its quotes before it is cut to the buffer.
    m.WriteFile(file, "[s]\r\nq=\"val2\"\r\n");
    EXPECT_EQ(m.System().GetProfileString(file, "s", "q", "", 5), "val2");
}

TEST(EmulatedFaults, DiskFull) {
    TestMachine m;
    EmulatedSystem& os = Emu(m);
    os.FailWritesAfter(10);
    uint64_t freeBytes = 0;
    ASSERT_TRUE(os.GetDiskFreeSpace("C:\\", freeBytes));
    EXPECT_EQ(freeBytes, 10u);
    auto f = os.OpenFile(m.Path("big"), FileAccess::Write, FileCreate::CreateAlways,
                         FileShare::DenyWrite);
    ASSERT_NE(f, nullptr);
    uint32_t done = 0;
    EXPECT_TRUE(f->Write("123456", 6, done));
    EXPECT_FALSE(f->Write("789abc", 6, done));
    EXPECT_EQ(done, 4u);
    EXPECT_EQ(os.LastError().code, kErrorDiskFull);
    EXPECT_EQ(FailureText("C:\\big"), "C:\\big: There is not enough space on the disk");
    EXPECT_FALSE(f->Write("x", 1, done));
    f.reset();
    EXPECT_EQ(m.ReadFile(m.Path("big")), "123456789a");
    os.ClearFaults();
    os.SetFreeDiskSpace(123456789);
    ASSERT_TRUE(os.GetDiskFreeSpace("C:\\", freeBytes));
    EXPECT_EQ(freeBytes, 123456789u);
    EXPECT_FALSE(os.GetDiskFreeSpace("A:\\", freeBytes));  // no disk in the drive
    std::filesystem::create_directories(os.Root() / "d");
    os.SetFreeDiskSpace('d', 5);  // one drive's setting goes before the one for all
    ASSERT_TRUE(os.GetDiskFreeSpace("D:\\", freeBytes));
    EXPECT_EQ(freeBytes, 5u);
    ASSERT_TRUE(os.GetDiskFreeSpace("C:\\", freeBytes));
    EXPECT_EQ(freeBytes, 123456789u);
    uint32_t cluster = 0;
    ASSERT_TRUE(os.GetDiskClusterSize("C:\\", cluster));
    EXPECT_GT(cluster, 0u);  // the host's block size
    os.SetClusterSize(32768);
    ASSERT_TRUE(os.GetDiskClusterSize("D:\\", cluster));
    EXPECT_EQ(cluster, 32768u);
    EXPECT_FALSE(os.GetDiskClusterSize("A:\\", cluster));
}

TEST(EmulatedFaults, NamedFilesFoldersAndKeys) {
    TestMachine m;
    EmulatedSystem& os = Emu(m);
    os.FailCreating(m.Path("NoFile.txt"));
    os.FailCreating(m.Path("nodir"));
    os.FailReading(m.Path("bad.dat"));
    os.FailRegistryKey(RegRoot::LocalMachine, "Software\\Locked");
    EXPECT_EQ(os.OpenFile(m.Path("nofile.TXT"), FileAccess::Write, FileCreate::CreateAlways,
                          FileShare::DenyWrite),
              nullptr);
    EXPECT_FALSE(os.WriteProfileString(m.Path("nofile.txt"), "s", "k", "v"));
    EXPECT_FALSE(os.CreateDirectory(m.Path("NODIR")));
    m.WriteFile(m.Path("bad.dat"), "content");
    auto f = os.OpenFile(m.Path("bad.dat"), FileAccess::Read, FileCreate::OpenExisting,
                         FileShare::DenyNone);
    char buf[8];
    uint32_t done = 99;
    EXPECT_FALSE(f->Read(buf, 8, done));
    EXPECT_EQ(done, 0u);
    EXPECT_FALSE(os.RegCreateKey(RegRoot::LocalMachine, "software\\locked\\Sub"));
    EXPECT_FALSE(os.RegSetString(RegRoot::LocalMachine, "Software\\Locked", "v", "x"));
    EXPECT_TRUE(os.RegSetString(RegRoot::LocalMachine, "Software\\Open", "v", "x"));
    EXPECT_TRUE(os.RegSetString(RegRoot::CurrentUser, "Software\\Locked", "v", "x"));
    os.ClearFaults();
    EXPECT_TRUE(os.CreateDirectory(m.Path("nodir")));
    EXPECT_TRUE(os.RegCreateKey(RegRoot::LocalMachine, "Software\\Locked\\Sub"));
}

TEST(EmulatedSession, RequestsAreJournaled) {
    TestMachine m;
    EmulatedSystem& os = Emu(m);
    m.WriteFile(m.Path("app.exe"), "");
    EXPECT_EQ(os.ShellExecute("", m.Path("app.exe"), "-x", m.Dir(), 5), 42);
    EXPECT_EQ(os.ShellExecute("open", "app.exe", "", m.Dir(), 1), 42);
    EXPECT_EQ(os.ShellExecute("", "C:\\none.exe", "", "", 5), 2);
    EXPECT_TRUE(os.AdjustTokenPrivilege("seshutdownprivilege", true));
    EXPECT_FALSE(os.AdjustTokenPrivilege("SeMadeUpPrivilege", true));
    EXPECT_TRUE(os.ExitWindows(2));
    EXPECT_EQ(os.Journal(),
              (std::vector<std::string>{
                  "shellexecute\t\t" + m.Path("app.exe") + "\t-x\t" + m.Dir() + "\t5\t42",
                  "shellexecute\topen\tapp.exe\t\t" + m.Dir() + "\t1\t42",
                  "shellexecute\t\tC:\\none.exe\t\t\t5\t2",
                  "privilege\tSeShutdownPrivilege\tenable",
                  "exitwindows\t2",
              }));
}

TEST(EmulatedRegistry, KeptAsARegedit4File) {
    TestMachine m;
    EmulatedSystem& os = Emu(m);
    std::string text = HostText(os.RegistryFile());
    ASSERT_EQ(text.rfind("REGEDIT4\r\n\r\n", 0), 0u);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                        "Explorer\\Shell Folders]\r\n\"Desktop\"=\"C:\\\\WINDOWS\\\\Desktop\"\r\n"),
              std::string::npos);

    ASSERT_TRUE(os.RegSetString(RegRoot::LocalMachine, "Software\\Acme\\Tool", "Path",
                                "C:\\Acme \"x\""));
    ASSERT_TRUE(os.RegSetString(RegRoot::LocalMachine, "software\\ACME\\tool", "", "dflt"));
    ASSERT_TRUE(os.RegSetString(RegRoot::LocalMachine, "Software\\Acme\\Tool", "Lines", "a\r\nb"));
    text = HostText(os.RegistryFile());
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n"), std::string::npos);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Acme]\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\Software\\Acme\\Tool]\r\n"
                        "\"Path\"=\"C:\\\\Acme \\\"x\\\"\"\r\n"
                        "@=\"dflt\"\r\n"
                        "\"Lines\"=hex(1):61,0d,0a,62,00\r\n"),
              std::string::npos)
        << text;

    // A file written by hand (or by regedit) is read back.
    std::ofstream(os.RegistryFile(), std::ios::binary | std::ios::trunc)
        << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Hand]\n\"A\\\"B\"=\"C:\\\\D\"\n"
           "\"L\"=hex(1):78,0a,79,00\n@=\"top\"\n";
    std::string v;
    ASSERT_TRUE(os.RegGetString(RegRoot::CurrentUser, "software\\hand", "a\"b", v));
    EXPECT_EQ(v, "C:\\D");
    ASSERT_TRUE(os.RegGetString(RegRoot::CurrentUser, "Software\\Hand", "L", v));
    EXPECT_EQ(v, "x\ny");
    ASSERT_TRUE(os.RegGetString(RegRoot::CurrentUser, "Software\\Hand", "", v));
    EXPECT_EQ(v, "top");
    ASSERT_TRUE(os.RegDeleteValue(RegRoot::CurrentUser, "Software\\Hand", "L"));
    EXPECT_FALSE(os.RegGetString(RegRoot::CurrentUser, "Software\\Hand", "L", v));
}

TEST(EmulatedShellLinks, LnkinfoReadsThem) {
    TestMachine m;
    EmulatedSystem& os = Emu(m);
    os.CreateDirectory(m.Path("App Dir"));
    m.WriteFile(m.Path("App Dir\\prog.exe"), "MZ..");
    auto link = os.CreateShellLink();
    link->SetPath(m.Path("App Dir\\prog.exe"));
    link->SetWorkingDirectory(m.Path("App Dir\\"));
    link->SetIconLocation(m.Path("App Dir\\prog.exe"), 0);
    link->SetDescription("Caf\xE9 \x80");
    ASSERT_TRUE(link->Save(m.Path("Prog.lnk")));
    const auto info = test::ParseShellLink(m.ReadFile(m.Path("Prog.lnk")));
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->relativePath, ".\\App Dir\\prog.exe");
    EXPECT_EQ(info->showCommand, 1u);

    const std::string host = os.ToHost(m.Path("Prog.lnk")).string();
    FILE* pipe = ::popen(("lnkinfo '" + host + "' 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buf[512];
    while (size_t n = fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
    ASSERT_EQ(::pclose(pipe), 0) << "lnkinfo (liblnk-utils) is needed:\n" << out;
    EXPECT_NE(out.find("Local path\t\t\t: C:\\zovtest\\App Dir\\prog.exe"), std::string::npos)
        << out;
    EXPECT_NE(out.find("Working directory\t\t: C:\\zovtest\\App Dir\\"), std::string::npos);
    EXPECT_NE(out.find("Relative path\t\t\t: .\\App Dir\\prog.exe"), std::string::npos);
    EXPECT_NE(out.find("Icon location\t\t\t: C:\\zovtest\\App Dir\\prog.exe"), std::string::npos);
    EXPECT_NE(out.find("Description\t\t\t: Caf\xC3\xA9 \xE2\x82\xAC"), std::string::npos);
    EXPECT_NE(out.find("File size\t\t\t: 4 bytes"), std::string::npos);
}

TEST(EmulatedMachine, DefaultMachineFollowsTheEnvironment) {
    TestMachine m;
    const std::string root = Emu(m).Root().string() + "-default";
    ::setenv("ZOV_MACHINE", root.c_str(), 1);
    auto os = MakeDefaultSystem();
    ::unsetenv("ZOV_MACHINE");
    EXPECT_EQ(dynamic_cast<EmulatedSystem&>(*os).Root(), root);
    EXPECT_EQ(os->GetFileAttributes("C:\\WINDOWS\\Start Menu\\Programs"), kAttrDirectory);
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace zov::sys::emu

namespace zov::sys::emu {
namespace {

// Every entry below `dir` with its size, as a text to compare.
std::string Listing(const std::filesystem::path& dir) {
    std::string out;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        out += it->path().string() + " " + std::to_string(it->is_regular_file() ? it->file_size() : 0) + "\n";
    return out;
}

// No path leaves the machine's folder: what Windows reads as a share, a device, a bad name
// or a rooted path is refused or stays on the machine, and a link that leads out is refused.
TEST(EmulatedSandbox, NoPathLeavesTheMachine) {
    namespace fs = std::filesystem;
    TestMachine m;
    EmulatedSystem& os = Emu(m);
    const fs::path outside = fs::path(os.Root()).concat("-outside");
    fs::create_directories(outside / "dir");
    std::ofstream(outside / "dir" / "keep.txt") << "mine";
    fs::create_directory_symlink(outside / "dir", os.ToHost(m.Path("out")));
    fs::create_symlink(outside / "dir" / "keep.txt", os.ToHost(m.Path("keep.lnk")));
    fs::create_symlink(outside / "dir" / "new.txt", os.ToHost(m.Path("dangling")));
    const std::string before = Listing(outside);

    const std::string host = outside.string();
    const struct {
        std::string path;
        uint32_t error;  // 0: the file is made, on the machine
    } cases[] = {
        {"/:" + host + "/dir/x", kErrorPathNotFound},
        {host + "/dir/new.txt", 0},
        {"/" + host + "/dir/new.txt", kErrorBadNetPath},
        {"\\\\?\\C:\\..\\..\\" + host + "\\dir\\new.txt", 0},
        {m.Path("out\\new.txt"), kErrorAccessDenied},
        {m.Path("out\\..\\out\\keep.txt"), kErrorAccessDenied},
        {m.Path("keep.lnk"), kErrorAccessDenied},
        {m.Path("dangling"), kErrorAccessDenied},
    };
    ASSERT_TRUE(ForceDirectories(os.GetFullPathName(host + "/dir")));
    for (const auto& c : cases) {
        auto f = os.OpenFile(c.path, FileAccess::Write, FileCreate::CreateAlways, FileShare::DenyNone);
        EXPECT_EQ(f ? 0u : os.LastError().code, c.error) << c.path;
        if (c.error) {
            EXPECT_FALSE(os.DeleteFile(c.path)) << c.path;
            EXPECT_FALSE(os.CreateDirectory(c.path + "\\sub")) << c.path;
        }
        EXPECT_EQ(Listing(outside), before) << c.path;
    }
    EXPECT_TRUE(m.Exists(os.GetFullPathName(host + "/dir/new.txt")));
    std::vector<FindEntry> found;
    EXPECT_FALSE(os.FindFiles(m.Path("out\\*.*"), true, found));
    EXPECT_FALSE(os.RemoveDirectory(m.Path("out")));
    EXPECT_EQ(os.LastError().code, kErrorAccessDenied);

    // A link that stays inside the machine is followed.
    fs::create_directory_symlink(os.ToHost("C:\\WINDOWS"), os.ToHost(m.Path("win")));
    m.WriteFile(m.Path("win\\..\\win\\SYSTEM\\via.txt"), "x");
    EXPECT_TRUE(m.Exists("C:\\WINDOWS\\SYSTEM\\via.txt"));
    for (const char* link : {"out", "keep.lnk", "dangling", "win"}) fs::remove(os.ToHost(m.Dir()) / link);
    fs::remove_all(outside);
}

// The files the machine rewrites are replaced whole: the old file stays as it was until the
// new one, complete, is moved over it.
TEST(EmulatedFiles, RewrittenFilesAreReplacedWhole) {
    namespace fs = std::filesystem;
    TestMachine m;
    EmulatedSystem& os = Emu(m);
    const std::string ini = m.Path("app.ini");
    ASSERT_TRUE(os.WriteProfileString(ini, "s", "k", "v1"));
    int round = 0;
    for (const fs::path& file : {os.RegistryFile(), os.ToHost(ini)}) {
        std::ifstream held(file, std::ios::binary);  // a reader that has the old file open
        const std::string old = HostText(file);
        const std::string value = std::to_string(++round);
        ASSERT_TRUE(os.RegSetString(RegRoot::CurrentUser, "Software\\Acme", "V", value));
        ASSERT_TRUE(os.WriteProfileString(ini, "s", "k", value));
        std::ostringstream seen;
        seen << held.rdbuf();
        EXPECT_EQ(seen.str(), old) << file;
        EXPECT_NE(HostText(file), old) << file;
    }
    for (const auto& entry : fs::directory_iterator(os.Root()))
        EXPECT_EQ(entry.path().filename().string().find(".new-"), std::string::npos);
}

}  // namespace
}  // namespace zov::sys::emu
