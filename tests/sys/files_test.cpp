// Files and directories through sys::System, run against the emulated machine on the host
// and against Windows (Wine) in the win32 build: both must answer alike.
#include <gtest/gtest.h>

#include <algorithm>

#include "sys/stream.h"
#include "tests/support/test_machine.h"

namespace zov::sys {
namespace {

using test::TestMachine;

std::unique_ptr<File> Open(TestMachine& m, const std::string& path, FileAccess access,
                           FileShare share, FileCreate create = FileCreate::OpenExisting) {
    return m.System().OpenFile(path, access, create, share);
}

std::vector<std::string> Names(TestMachine& m, const std::string& pattern, bool hidden = false) {
    std::vector<FindEntry> entries;
    m.System().FindFiles(pattern, hidden, entries);
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    return names;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

bool IsShortName(const std::string& name) {
    const size_t dot = name.find('.');
    const std::string base = name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
    for (char c : base + ext)
        if (c == ' ' || c == '.' || (c >= 'a' && c <= 'z')) return false;
    return true;
}

TEST(Files, NamesAreMatchedWithoutRegardToCase) {
    TestMachine m;
    m.WriteFile(m.Path("Mixed Case.TXT"), "abc");
    EXPECT_EQ(m.ReadFile(m.Path("mixed case.txt")), "abc");
    EXPECT_TRUE(m.Exists(m.Path("MIXED CASE.TXT")));
    m.System().CreateDirectory(m.Path("SubDir"));
    m.WriteFile(m.Path("subdir\\inner.dat"), "x");
    EXPECT_EQ(m.ReadFile(m.Path("SUBDIR\\INNER.DAT")), "x");
    // Writing under another spelling replaces the same file and keeps its first name.
    m.WriteFile(m.Path("MIXED case.txt"), "defg");
    EXPECT_EQ(Sorted(Names(m, m.Path("*.txt"))), std::vector<std::string>{"Mixed Case.TXT"});
    EXPECT_EQ(m.ReadFile(m.Path("Mixed Case.TXT")), "defg");
}

TEST(Files, CreateModes) {
    TestMachine m;
    const std::string p = m.Path("f.bin");
    EXPECT_EQ(Open(m, p, FileAccess::Read, FileShare::DenyNone), nullptr);
    m.WriteFile(p, "0123456789");
    {
        auto f = Open(m, p, FileAccess::ReadWrite, FileShare::DenyWrite, FileCreate::OpenAlways);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->Size(), 10);
        int64_t pos = 0;
        ASSERT_TRUE(f->Seek(-3, SeekOrigin::End, pos));
        EXPECT_EQ(pos, 7);
        char buf[8] = {};
        uint32_t done = 0;
        ASSERT_TRUE(f->Read(buf, 8, done));  // a short read at the end is no error
        EXPECT_EQ(std::string(buf, done), "789");
        ASSERT_TRUE(f->Write("AB", 2, done));
        EXPECT_EQ(f->Size(), 12);
    }
    EXPECT_EQ(m.ReadFile(p), "0123456789AB");
    { auto f = Open(m, p, FileAccess::Write, FileShare::DenyWrite, FileCreate::CreateAlways); }
    EXPECT_EQ(m.ReadFile(p), "");
    { auto f = Open(m, m.Path("new"), FileAccess::Write, FileShare::DenyWrite, FileCreate::OpenAlways); }
    EXPECT_TRUE(m.Exists(m.Path("new")));
    m.System().CreateDirectory(m.Path("dir"));
    EXPECT_EQ(Open(m, m.Path("dir"), FileAccess::Read, FileShare::DenyNone), nullptr);
    EXPECT_EQ(Open(m, m.Path("nodir\\x"), FileAccess::Write, FileShare::DenyNone,
                   FileCreate::CreateAlways),
              nullptr);
}

TEST(Files, ShareModesRefuseConflictingOpens) {
    TestMachine m;
    const std::string p = m.Path("shared.dat");
    m.WriteFile(p, "data");
    {
        auto reader = Open(m, p, FileAccess::Read, FileShare::DenyWrite);
        ASSERT_NE(reader, nullptr);
        EXPECT_NE(Open(m, p, FileAccess::Read, FileShare::DenyWrite), nullptr);
        EXPECT_NE(Open(m, p, FileAccess::Read, FileShare::DenyNone), nullptr);
        EXPECT_EQ(Open(m, p, FileAccess::Write, FileShare::DenyNone), nullptr);
        EXPECT_FALSE(m.System().DeleteFile(p));
    }
    {
        auto writer = Open(m, p, FileAccess::Write, FileShare::DenyNone);
        ASSERT_NE(writer, nullptr);
        // A reader that denies writing cannot join a writer.
        EXPECT_EQ(Open(m, p, FileAccess::Read, FileShare::DenyWrite), nullptr);
        EXPECT_NE(Open(m, p, FileAccess::Read, FileShare::DenyNone), nullptr);
        EXPECT_NE(Open(m, p, FileAccess::Write, FileShare::DenyNone, FileCreate::CreateAlways),
                  nullptr);
    }
    {
        auto exclusive = Open(m, p, FileAccess::Read, FileShare::Exclusive);
        ASSERT_NE(exclusive, nullptr);
        EXPECT_EQ(Open(m, p, FileAccess::Read, FileShare::DenyNone), nullptr);
        EXPECT_NE(m.System().GetFileAttributes(p), kInvalidAttributes);
    }
    EXPECT_NE(Open(m, p, FileAccess::ReadWrite, FileShare::Exclusive), nullptr);
    EXPECT_TRUE(m.System().DeleteFile(p));
}

TEST(Files, Attributes) {
    TestMachine m;
    System& os = m.System();
    const std::string p = m.Path("a.txt");
    m.WriteFile(p, "x");
    EXPECT_EQ(os.GetFileAttributes(p), kAttrArchive);
    EXPECT_EQ(os.GetFileAttributes(m.Path("missing")), kInvalidAttributes);
    EXPECT_EQ(os.GetFileAttributes(m.Dir()) & kAttrDirectory, kAttrDirectory);

    ASSERT_TRUE(os.SetFileAttributes(p, kAttrHidden | kAttrArchive));
    EXPECT_EQ(os.GetFileAttributes(p), kAttrHidden | kAttrArchive);
    ASSERT_TRUE(os.SetFileAttributes(p, kAttrSystem | kAttrArchive));
    EXPECT_EQ(os.GetFileAttributes(p), kAttrSystem | kAttrArchive);
    ASSERT_TRUE(os.SetFileAttributes(p, kAttrReadOnly));
    EXPECT_EQ(os.GetFileAttributes(p) & kAttrReadOnly, kAttrReadOnly);
    EXPECT_FALSE(os.DeleteFile(p));
    ASSERT_TRUE(os.SetFileAttributes(p, kAttrNormal));
    EXPECT_EQ(os.GetFileAttributes(p) & (kAttrReadOnly | kAttrHidden | kAttrSystem), 0u);
    EXPECT_TRUE(os.DeleteFile(p));
    EXPECT_FALSE(os.SetFileAttributes(p, kAttrHidden));

    os.CreateDirectory(m.Path("d"));
    ASSERT_TRUE(os.SetFileAttributes(m.Path("d"), kAttrHidden));
    EXPECT_EQ(os.GetFileAttributes(m.Path("d")), kAttrDirectory | kAttrHidden);
    ASSERT_TRUE(os.SetFileAttributes(m.Path("d"), kAttrNormal));
    EXPECT_EQ(os.GetFileAttributes(m.Path("d")), kAttrDirectory);
}

TEST(Files, DirectoriesAreMadeAndRemovedOneAtATime) {
    TestMachine m;
    System& os = m.System();
    EXPECT_TRUE(os.CreateDirectory(m.Path("one")));
    EXPECT_FALSE(os.CreateDirectory(m.Path("one")));
    EXPECT_FALSE(os.CreateDirectory(m.Path("two\\three")));
    EXPECT_TRUE(os.CreateDirectory(m.Path("one\\sub\\")));
    m.WriteFile(m.Path("one\\sub\\f"), "");
    EXPECT_FALSE(os.RemoveDirectory(m.Path("one")));
    EXPECT_FALSE(os.DeleteFile(m.Path("one\\sub")));
    EXPECT_FALSE(os.RemoveDirectory(m.Path("one\\sub\\f")));
    EXPECT_TRUE(os.DeleteFile(m.Path("one\\sub\\f")));
    EXPECT_FALSE(os.DeleteFile(m.Path("one\\sub\\f")));
    EXPECT_TRUE(os.RemoveDirectory(m.Path("one\\sub")));
    EXPECT_TRUE(os.RemoveDirectory(m.Path("one")));
    EXPECT_FALSE(m.Exists(m.Path("one")));
}

TEST(Files, AFileInUseIsDeletedAtTheNextRestart) {
    TestMachine m;
    System& os = m.System();
    const std::string file = m.Path("busy.dll");
    m.WriteFile(file, "code");
    {
        auto held = Open(m, file, FileAccess::Read, FileShare::DenyWrite);
        ASSERT_TRUE(held);
        EXPECT_FALSE(os.DeleteFile(file));
        EXPECT_EQ(os.LastError().code, kErrorSharingViolation);
        EXPECT_TRUE(os.DeleteAtRestart(file));
    }
    EXPECT_TRUE(m.Exists(file));  // until the restart
    EXPECT_FALSE(os.DeleteAtRestart(m.Path("missing.dll")));
    EXPECT_TRUE(os.DeleteFile(file));  // clears it before the next start of the test prefix
}

TEST(Files, FindPatterns) {
    TestMachine m;
    System& os = m.System();
    for (const char* name : {"readme.txt", "README2.TXT", "noext", "page.html", "b.dat"})
        m.WriteFile(m.Path(name), "12345");
    os.CreateDirectory(m.Path("Sub Dir"));
    m.WriteFile(m.Path("hid.txt"), "");
    m.WriteFile(m.Path("sys.txt"), "");
    os.SetFileAttributes(m.Path("hid.txt"), kAttrHidden);
    os.SetFileAttributes(m.Path("sys.txt"), kAttrSystem);

    std::vector<FindEntry> entries;
    ASSERT_TRUE(os.FindFiles(m.Path("*.*"), false, entries));
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, ".");
    EXPECT_EQ(entries[1].name, "..");
    EXPECT_EQ(entries[0].attributes & kAttrDirectory, kAttrDirectory);
    for (const auto& e : entries) {
        if (e.name == "Sub Dir") {
            EXPECT_EQ(e.attributes & kAttrDirectory, kAttrDirectory);
        }
        if (e.name == "b.dat") {
            EXPECT_EQ(e.size, 5u);
        }
    }
    const std::vector<std::string> visible = {".",          "..",         "README2.TXT", "Sub Dir",
                                              "b.dat",      "noext",      "page.html",   "readme.txt"};
    EXPECT_EQ(Sorted(Names(m, m.Path("*.*"))), visible);
    EXPECT_EQ(Sorted(Names(m, m.Path("*"))), visible);
    EXPECT_EQ(Names(m, m.Path("*.*"), true).size(), visible.size() + 2);

    EXPECT_EQ(Sorted(Names(m, m.Path("*.txt"))),
              (std::vector<std::string>{"README2.TXT", "readme.txt"}));
    EXPECT_EQ(Sorted(Names(m, m.Path("*.txt"), true)),
              (std::vector<std::string>{"README2.TXT", "hid.txt", "readme.txt", "sys.txt"}));
    EXPECT_EQ(Names(m, m.Path("read??.txt")), std::vector<std::string>{"readme.txt"});
    EXPECT_TRUE(Names(m, m.Path("read?.txt")).empty());
    EXPECT_EQ(Names(m, m.Path("NOEXT.*")), std::vector<std::string>{"noext"});
    EXPECT_EQ(Names(m, m.Path("sub dir")), std::vector<std::string>{"Sub Dir"});
    // The 8.3 name takes part: "*.htm" finds "page.html".
    EXPECT_EQ(Names(m, m.Path("*.htm")), std::vector<std::string>{"page.html"});

    EXPECT_FALSE(os.FindFiles(m.Path("*.none"), true, entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(os.FindFiles(m.Path("missing\\*.*"), true, entries));
    EXPECT_FALSE(os.FindFiles(m.Dir() + "\\", true, entries));
}

TEST(Files, DosTimesRoundTrip) {
    TestMachine m;
    const std::string p = m.Path("dated");
    m.WriteFile(p, "x");
    const uint16_t date = static_cast<uint16_t>(((2001 - 1980) << 9) | (6 << 5) | 15);
    const uint16_t time = static_cast<uint16_t>((13 << 11) | (45 << 5) | (30 / 2));
    {
        auto f = Open(m, p, FileAccess::Write, FileShare::DenyWrite);
        ASSERT_NE(f, nullptr);
        ASSERT_TRUE(f->SetDosTime(date, time));
    }
    auto f = Open(m, p, FileAccess::Read, FileShare::DenyNone);
    uint16_t d = 0, t = 0;
    ASSERT_TRUE(f->GetDosTime(d, t));
    EXPECT_EQ(d, date);
    EXPECT_EQ(t, time);

    const uint16_t newYear = static_cast<uint16_t>(((1999 - 1980) << 9) | (12 << 5) | 31);
    const uint16_t lastSecond = static_cast<uint16_t>((23 << 11) | (59 << 5) | 29);
    auto g = Open(m, p, FileAccess::Write, FileShare::DenyNone);
    ASSERT_TRUE(g->SetDosTime(newYear, lastSecond));
    ASSERT_TRUE(g->GetDosTime(d, t));
    EXPECT_EQ(d, newYear);
    EXPECT_EQ(t, lastSecond);
}

TEST(Files, FreeSpaceOfADriveRoot) {
    TestMachine m;
    uint64_t freeBytes = 0;
    ASSERT_TRUE(m.System().GetDiskFreeSpace(m.Dir().substr(0, 3), freeBytes));
    EXPECT_GT(freeBytes, 0u);
    EXPECT_FALSE(m.System().GetDiskFreeSpace("Q:\\", freeBytes));
}

TEST(Files, ShortPathNames) {
    TestMachine m;
    System& os = m.System();
    os.CreateDirectory(m.Path("Program Files"));
    os.CreateDirectory(m.Path("Program Files\\My Application"));
    const std::string longFile = m.Path("Program Files\\My Application\\long file name.txt");
    m.WriteFile(longFile, "long");
    m.WriteFile(m.Path("readme.txt"), "short");

    std::string s;
    ASSERT_TRUE(os.GetShortPathName(m.Path("readme.txt"), s));
    std::string dirShort;
    ASSERT_TRUE(os.GetShortPathName(m.Dir(), dirShort));
    EXPECT_EQ(s, dirShort + "\\readme.txt");  // a legal 8.3 name stays as written

    ASSERT_TRUE(os.GetShortPathName(longFile, s));
    ASSERT_EQ(s.compare(0, dirShort.size() + 1, dirShort + "\\"), 0) << s;
    const std::string tail = s.substr(dirShort.size() + 1);
    const size_t a = tail.find('\\'), b = tail.find('\\', a + 1);
    ASSERT_NE(b, std::string::npos) << s;
    for (const std::string& part : {tail.substr(0, a), tail.substr(a + 1, b - a - 1), tail.substr(b + 1)}) {
        EXPECT_TRUE(IsShortName(part)) << part;
        EXPECT_NE(part.find('~'), std::string::npos) << part;
    }
    EXPECT_EQ(tail.substr(tail.size() - 4), ".TXT");
    EXPECT_EQ(m.ReadFile(s), "long");  // the short path names the same file
    std::string again;
    ASSERT_TRUE(os.GetShortPathName(s, again));
    EXPECT_EQ(again, s);

    EXPECT_FALSE(os.GetShortPathName(m.Path("no such file.txt"), s));
    EXPECT_FALSE(os.GetShortPathName(m.Path("no such dir\\x"), s));
}

TEST(Files, CurrentDirectoryAndFullPaths) {
    TestMachine m;
    System& os = m.System();
    os.CreateDirectory(m.Path("sub"));
    ASSERT_TRUE(os.SetCurrentDirectory(m.Dir() + "\\"));
    EXPECT_EQ(os.GetCurrentDirectory(), m.Dir());
    ASSERT_TRUE(os.SetCurrentDirectory("sub"));
    EXPECT_EQ(os.GetCurrentDirectory(), m.Path("sub"));
    EXPECT_FALSE(os.SetCurrentDirectory("missing"));
    EXPECT_EQ(os.GetCurrentDirectory(), m.Path("sub"));

    m.WriteFile("rel.txt", "here");
    EXPECT_EQ(m.ReadFile(m.Path("sub\\rel.txt")), "here");
    EXPECT_EQ(os.GetFullPathName("x.txt"), m.Path("sub\\x.txt"));
    EXPECT_EQ(os.GetFullPathName("..\\y"), m.Path("y"));
    EXPECT_EQ(os.GetFullPathName("a/b\\.\\c"), m.Path("sub\\a\\b\\c"));
    EXPECT_EQ(os.GetFullPathName("name."), m.Path("sub\\name"));
    EXPECT_EQ(os.GetFullPathName("\\top"), m.Dir().substr(0, 2) + "\\top");
    EXPECT_EQ(os.GetFullPathName("D:\\a\\..\\b"), "D:\\b");
    EXPECT_EQ(os.GetFullPathName("C:\\a\\\\b\\"), "C:\\a\\b\\");
    EXPECT_EQ(os.GetFullPathName("C:\\..\\..\\x"), "C:\\x");

    // The process holds its current directory: it cannot be removed.
    ASSERT_TRUE(os.DeleteFile("rel.txt"));
    EXPECT_FALSE(os.RemoveDirectory(m.Path("sub")));
    ASSERT_TRUE(os.SetCurrentDirectory(m.Dir()));
    EXPECT_TRUE(os.RemoveDirectory(m.Path("sub")));
}

}  // namespace
}  // namespace zov::sys

namespace zov::sys {
namespace {

// Each failure leaves its reason, and FailureText puts it behind the path.
TEST(Files, FailuresCarryTheirReason) {
    test::TestMachine m;
    System& os = m.System();
    const std::string missing = m.Path("missing.txt");
    EXPECT_EQ(os.OpenFile(missing, FileAccess::Read, FileCreate::OpenExisting, FileShare::DenyNone), nullptr);
    EXPECT_EQ(os.LastError().code, kErrorFileNotFound);
    EXPECT_EQ(FailureText(missing), missing + ": " + os.LastError().text);
    EXPECT_FALSE(os.LastError().text.empty());
    EXPECT_NE(os.LastError().text.back(), '.');

    EXPECT_EQ(os.OpenFile(m.Path("no dir\\f.txt"), FileAccess::Write, FileCreate::CreateAlways,
                          FileShare::DenyNone),
              nullptr);
    EXPECT_EQ(os.LastError().code, kErrorPathNotFound);

    ASSERT_TRUE(os.CreateDirectory(m.Path("full")));
    m.WriteFile(m.Path("full\\f.txt"), "x");
    EXPECT_FALSE(os.RemoveDirectory(m.Path("full")));
    EXPECT_EQ(os.LastError().code, kErrorDirNotEmpty);
    EXPECT_FALSE(os.CreateDirectory(m.Path("full")));
    EXPECT_EQ(os.LastError().code, kErrorAlreadyExists);

    auto held = os.OpenFile(m.Path("full\\f.txt"), FileAccess::Read, FileCreate::OpenExisting,
                            FileShare::Exclusive);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(os.OpenFile(m.Path("full\\f.txt"), FileAccess::Read, FileCreate::OpenExisting,
                          FileShare::DenyNone),
              nullptr);
    EXPECT_EQ(os.LastError().code, kErrorSharingViolation);
}

// A write that fails names the file, its drive and the system's reason, read before anything
// else could replace it.
TEST(Files, AFailedWriteNamesTheFileTheDriveAndTheReason) {
    test::TestMachine m;
    const std::string path = m.Path("read only.txt");
    m.WriteFile(path, "x");
    TFileStream stream(path, FileAccess::Read, FileCreate::OpenExisting, FileShare::DenyNone);
    std::string message;
    try {
        stream.WriteBuffer("more", 4);
    } catch (const EWriteError& e) {
        message = e.what();
    }
    const std::string start = "Cannot write " + path + " (drive " + path.substr(0, 2) + "): ";
    ASSERT_EQ(message.substr(0, start.size()), start);
    EXPECT_NE(message.substr(start.size()), StandardErrorText(kErrorSuccess));
    EXPECT_FALSE(message.substr(start.size()).empty());
}

}  // namespace
}  // namespace zov::sys
