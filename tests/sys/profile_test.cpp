// Profile (INI) files through sys::System: the rules the Windows profile functions follow,
// checked on the emulated machine and on Windows (Wine) alike.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/test_machine.h"

namespace zov::sys {
namespace {

using test::TestMachine;
using Names = std::vector<std::string>;

const char kContent[] =
    "[section1]\r\n"
    "name1=val1\r\n"
    "name2=\"val2\"\r\n"
    "name3\r\n"
    "name4=a\r\n"
    ";comment=x\r\n"
    "  spaced key  =  spaced value  \r\n"
    "single='sq'\r\n"
    "open=\"unbalanced\r\n"
    "lone=\"\r\n"
    "inner=\"a\"b\"\r\n"
    "eq=a=b=c\r\n"
    "name1=second\r\n"
    "[ Section2 ]\r\n"
    "k=first\r\n"
    "[section1]\r\n"
    "name5=later\r\n";

class Profile : public ::testing::Test {
protected:
    void SetUp() override { m_.WriteFile(file_, kContent); }
    std::string Get(const std::string& section, const std::string& key,
                    const std::string& def = "default", uint32_t size = 200) {
        return m_.System().GetProfileString(file_, section, key, def, size);
    }
    TestMachine m_;
    const std::string file_ = m_.Path("test.ini");
};

TEST_F(Profile, ValuesAreTrimmedAndLoseEnclosingQuotes) {
    EXPECT_EQ(Get("section1", "name1"), "val1");
    EXPECT_EQ(Get("section1", "name2"), "val2");
    EXPECT_EQ(Get("section1", "spaced key"), "spaced value");
    EXPECT_EQ(Get("section1", "single"), "sq");
    EXPECT_EQ(Get("section1", "open"), "\"unbalanced");
    EXPECT_EQ(Get("section1", "lone"), "\"");
    EXPECT_EQ(Get("section1", "inner"), "a\"b");
    EXPECT_EQ(Get("section1", "eq"), "a=b=c");
}

TEST_F(Profile, NamesAreComparedWithoutCaseOrSurroundingBlanks) {
    EXPECT_EQ(Get("SECTION1", "NaMe1"), "val1");
    EXPECT_EQ(Get("section2", "K"), "first");
    EXPECT_EQ(Get(" section2 ", "k"), "first");
    EXPECT_EQ(Get("section1", "SPACED KEY  "), "spaced value");
    EXPECT_EQ(Get("section1", "  name4"), "a");
}

TEST_F(Profile, MissingEntriesGiveTheDefault) {
    EXPECT_EQ(Get("section1", "nokey"), "default");
    EXPECT_EQ(Get("nosection", "name1"), "default");
    EXPECT_EQ(m_.System().GetProfileString(m_.Path("none.ini"), "section1", "name1", "d", 200), "d");
    EXPECT_EQ(Get("section1", "nokey", "default  "), "default");
    EXPECT_EQ(Get("section1", "nokey", "  lead"), "  lead");
    EXPECT_EQ(Get("section1", "name3"), "default");  // a line without "=" is no key
    EXPECT_EQ(Get("section1", ""), "default");
    EXPECT_EQ(Get("", "name1"), "default");
}

TEST_F(Profile, FirstSectionAndFirstKeyOfAName) {
    EXPECT_EQ(Get("section1", "name1"), "val1");
    EXPECT_EQ(Get("section1", "name5"), "default");
    EXPECT_EQ(m_.System().GetProfileKeyNames(file_, "Section1", 8192),
              (Names{"name1", "name2", "name4", "spaced key", "single", "open", "lone", "inner",
                     "eq", "name1"}));
    EXPECT_EQ(m_.System().GetProfileSectionNames(file_, 8192),
              (Names{"section1", "Section2", "section1"}));
    EXPECT_TRUE(m_.System().GetProfileKeyNames(file_, "missing", 8192).empty());
    EXPECT_TRUE(m_.System().GetProfileKeyNames(m_.Path("none.ini"), "section1", 8192).empty());
}

TEST_F(Profile, ValuesAreCutToTheBuffer) {
    EXPECT_EQ(Get("section1", "name1", "default", 1), "");
    EXPECT_EQ(Get("section1", "name1", "default", 2), "v");
    EXPECT_EQ(Get("section1", "name1", "default", 4), "val");
    EXPECT_EQ(Get("section1", "name1", "default", 5), "val1");
    EXPECT_EQ(Get("section1", "nokey", "default", 4), "def");
    EXPECT_EQ(Get("section1", "name2", "default", 4), "val");
    EXPECT_EQ(Get("section1", "name2", "default", 6), "val2");
    const std::string longValue(3000, 'v');
    m_.System().WriteProfileString(file_, "big", "k", longValue);
    EXPECT_EQ(Get("big", "k", "", 1024), longValue.substr(0, 1023));
}

TEST(ProfileLists, NamesAreCutToTheBuffer) {
    TestMachine m;
    const std::string file = m.Path("list.ini");
    m.WriteFile(file, "[s]\r\nname1=1\r\nname2=2\r\nname3=3\r\n");
    System& os = m.System();
    // Each name takes its length and a zero; one more zero ends the list. When the list
    // does not fit, Windows cuts it to the buffer size less two.
    EXPECT_EQ(os.GetProfileKeyNames(file, "s", 20), (Names{"name1", "name2", "name3"}));
    EXPECT_EQ(os.GetProfileKeyNames(file, "s", 19), (Names{"name1", "name2", "name3"}));
    EXPECT_EQ(os.GetProfileKeyNames(file, "s", 18), (Names{"name1", "name2", "name"}));
    EXPECT_EQ(os.GetProfileKeyNames(file, "s", 16), (Names{"name1", "name2", "na"}));
    EXPECT_EQ(os.GetProfileKeyNames(file, "s", 14), (Names{"name1", "name2"}));
    EXPECT_EQ(os.GetProfileKeyNames(file, "s", 8), (Names{"name1"}));
    EXPECT_EQ(os.GetProfileKeyNames(file, "s", 3), (Names{"n"}));

    m.WriteFile(file, "[ section1 ]\r\n[section2]\r\n[section3]\r\n");
    EXPECT_EQ(os.GetProfileSectionNames(file, 29), (Names{"section1", "section2", "section3"}));
    EXPECT_EQ(os.GetProfileSectionNames(file, 27), (Names{"section1", "section2", "section"}));
    EXPECT_EQ(os.GetProfileSectionNames(file, 12), (Names{"section1", "s"}));
}

TEST(ProfileLists, ASectionOfManyKeysIsSeenUpToTheBuffer) {
    TestMachine m;
    const std::string file = m.Path("many.ini");
    std::string text = "[List]\r\n";
    char name[16];
    for (int i = 0; i < 1500; ++i) {
        std::snprintf(name, sizeof name, "key%04d", i);
        text += std::string(name) + "=v\r\n";
    }
    m.WriteFile(file, text);
    // 1023 names of eight bytes fill 8184 of the 8190 bytes kept; the next one is cut.
    const Names seen = m.System().GetProfileKeyNames(file, "list", 8192);
    ASSERT_EQ(seen.size(), 1024u);
    EXPECT_EQ(seen[0], "key0000");
    EXPECT_EQ(seen[1022], "key1022");
    EXPECT_EQ(seen[1023], "key102");
    EXPECT_EQ(m.System().GetProfileKeyNames(file, "list", 65536).size(), 1500u);
}

TEST(ProfileLists, LineBreaksOfAnyKind) {
    TestMachine m;
    const std::string file = m.Path("breaks.ini");
    for (const char* brk : {"\r\n", "\n", "\r"}) {
        const std::string b = brk;
        m.WriteFile(file, "[a]" + b + "x=1" + b + "y=2" + b + "[b]" + b + "z=3");
        EXPECT_EQ(m.System().GetProfileString(file, "a", "y", "", 100), "2");
        EXPECT_EQ(m.System().GetProfileString(file, "b", "z", "", 100), "3");
        EXPECT_EQ(m.System().GetProfileKeyNames(file, "a", 100), (Names{"x", "y"}));
    }
}

TEST(ProfileWrites, CreateTheFileAndItsSectionsInOrder) {
    TestMachine m;
    System& os = m.System();
    const std::string file = m.Path("built.ini");
    ASSERT_TRUE(os.WriteProfileString(file, "App", "key", ""));
    EXPECT_EQ(m.ReadFile(file), "[App]\r\nkey=\r\n");
    m.System().DeleteFile(file);

    ASSERT_TRUE(os.WriteProfileString(file, "App1", "key1", "string1"));
    ASSERT_TRUE(os.WriteProfileString(file, "App1", "key2", "string2"));
    ASSERT_TRUE(os.WriteProfileString(file, "App2", "key4", "string4"));
    ASSERT_TRUE(os.WriteProfileString(file, "app1", "KEY3", "string3"));
    ASSERT_TRUE(os.WriteProfileString(file, "App3", "key5", "a=b \"c\""));
    ASSERT_TRUE(os.WriteProfileString(file, "APP1", "Key2", "changed"));
    EXPECT_EQ(m.ReadFile(file),
              "[App1]\r\nkey1=string1\r\nkey2=changed\r\nKEY3=string3\r\n"
              "[App2]\r\nkey4=string4\r\n"
              "[App3]\r\nkey5=a=b \"c\"\r\n");
    EXPECT_EQ(os.GetProfileString(file, "App3", "key5", "", 100), "a=b \"c\"");
    EXPECT_EQ(os.GetProfileKeyNames(file, "app1", 100), (Names{"key1", "key2", "KEY3"}));
}

TEST(ProfileWrites, KeepOtherLinesAsTheyAre) {
    TestMachine m;
    System& os = m.System();
    const std::string file = m.Path("kept.ini");
    m.WriteFile(file, "; top comment\r\n[A]\r\nk1 = v1\r\n; mid\r\nK2=v2\r\n[B]\r\nb=1\r\n[A]\r\nk3=x");
    ASSERT_TRUE(os.WriteProfileString(file, "a", "K1", "new1"));
    ASSERT_TRUE(os.WriteProfileString(file, "a", "k4", "v4"));
    ASSERT_TRUE(os.WriteProfileString(file, "a", "k3", "v3"));  // goes to the first [A]
    ASSERT_TRUE(os.WriteProfileString(file, "C", "c", "1"));
    EXPECT_EQ(m.ReadFile(file),
              "; top comment\r\n[A]\r\nk1=new1\r\n; mid\r\nK2=v2\r\nk4=v4\r\nk3=v3\r\n"
              "[B]\r\nb=1\r\n[A]\r\nk3=x\r\n[C]\r\nc=1\r\n");
}

TEST(ProfileWrites, ABareNameLiesInTheWindowsDirectory) {
    TestMachine m;
    System& os = m.System();
    const std::string name = "zovtest_" + std::to_string(reinterpret_cast<uintptr_t>(&m) % 100000) + ".ini";
    const std::string inWindows = os.GetWindowsDirectory() + "\\" + name;
    os.DeleteFile(inWindows);
    ASSERT_TRUE(os.WriteProfileString(name, "S", "k", "v"));
    EXPECT_EQ(m.ReadFile(inWindows), "[S]\r\nk=v\r\n");
    EXPECT_EQ(os.GetProfileString(name, "s", "k", "", 10), "v");
    os.DeleteFile(inWindows);
}

TEST(ProfileWrites, FailWhenTheFileCannotBeWritten) {
    TestMachine m;
    System& os = m.System();
    EXPECT_FALSE(os.WriteProfileString(m.Path("missing dir\\x.ini"), "S", "k", "v"));
    const std::string file = m.Path("locked.ini");
    m.WriteFile(file, "[S]\r\nk=old\r\n");
    {
        // Someone holds the file open for writing and lets others only read it.
        auto holder = os.OpenFile(file, FileAccess::Write, FileCreate::OpenExisting,
                                  FileShare::DenyWrite);
        ASSERT_NE(holder, nullptr);
        EXPECT_FALSE(os.WriteProfileString(file, "S", "k", "new"));
        EXPECT_EQ(os.GetProfileString(file, "S", "k", "", 10), "old");
    }
    {
        auto holder = os.OpenFile(file, FileAccess::Read, FileCreate::OpenExisting,
                                  FileShare::Exclusive);
        EXPECT_EQ(os.GetProfileString(file, "S", "k", "none", 10), "none");
    }
    EXPECT_TRUE(os.WriteProfileString(file, "S", "k", "new"));
    EXPECT_EQ(os.GetProfileString(file, "S", "k", "", 10), "new");
}

}  // namespace
}  // namespace zov::sys

namespace zov::sys {
namespace {

TEST(ProfileWrites, ASectionWrittenWholeKeepsItsPlaceAndOnlyItsNewKeys) {
    test::TestMachine m;
    System& os = m.System();
    const std::string file = m.Path("whole.ini");
    m.WriteFile(file, "[A]\r\nold=1\r\nK=2\r\n[B]\r\nb=1\r\n");
    ASSERT_TRUE(os.WriteProfileSection(file, "a", {"k=new", "no equals sign", "x=a=b", "e=", "K=again"}));
    ASSERT_TRUE(os.WriteProfileSection(file, "C", {"c=1"}));
    EXPECT_EQ(m.ReadFile(file), "[A]\r\nk=new\r\nx=a=b\r\ne=\r\nK=again\r\n[B]\r\nb=1\r\n[C]\r\nc=1\r\n");
    EXPECT_EQ(os.GetProfileString(file, "A", "K", "", 64), "new");  // the first of equal keys
    // Longer than the 32,767 characters Windows 95 takes in one section write.
    std::vector<std::string> lines;
    for (int i = 0; i < 1200; ++i) lines.push_back("key" + std::to_string(i) + "=" + std::string(30, 'v'));
    ASSERT_TRUE(os.WriteProfileSection(file, "B", lines));
    EXPECT_EQ(os.GetProfileKeyNames(file, "B", 1u << 16).size(), lines.size());
    EXPECT_EQ(os.GetProfileString(file, "B", "key1199", "", 64), std::string(30, 'v'));
    EXPECT_EQ(os.GetProfileString(file, "B", "b", "gone", 64), "gone");
}

TEST(ProfileWrites, DeletingKeysAndSections) {
    test::TestMachine m;
    System& os = m.System();
    const std::string file = m.Path("del.ini");
    ASSERT_TRUE(os.WriteProfileString(file, "Keep", "a", "1"));
    ASSERT_TRUE(os.WriteProfileString(file, "Gone", "b", "2"));
    ASSERT_TRUE(os.WriteProfileString(file, "Gone", "c", "3"));
    ASSERT_TRUE(os.WriteProfileString(file, "Keep", "d", "4"));
    ASSERT_TRUE(os.DeleteProfileEntry(file, "keep", "A"));
    EXPECT_EQ(os.GetProfileKeyNames(file, "Keep", 1024), std::vector<std::string>{"d"});
    ASSERT_TRUE(os.DeleteProfileEntry(file, "GONE", ""));
    EXPECT_TRUE(os.GetProfileKeyNames(file, "Gone", 1024).empty());
    EXPECT_EQ(os.GetProfileSectionNames(file, 1024), std::vector<std::string>{"Keep"});
    EXPECT_TRUE(os.DeleteProfileEntry(file, "Missing", "x"));  // nothing there: still fine
    EXPECT_EQ(os.GetProfileString(file, "Keep", "d", "", 64), "4");
}

}  // namespace
}  // namespace zov::sys
