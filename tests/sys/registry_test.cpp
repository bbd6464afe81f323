// Registry keys and string values through sys::System, on the emulated machine and on
// Windows (Wine). Every test works below a key of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "tests/support/test_machine.h"

namespace zov::sys {
namespace {

using test::TestMachine;

// A key name no earlier run has used: the registry outlives the test machine on Windows.
std::string FreshKey(TestMachine& m) {
    const std::string dir = m.Dir();
    return "Software\\ZovTest\\" + dir.substr(dir.find_last_of('\\') + 1);
}

TEST(Registry, KeysAreCreatedWithTheirParents) {
    TestMachine m;
    System& os = m.System();
    const std::string base = FreshKey(m);
    EXPECT_FALSE(os.RegKeyExists(RegRoot::CurrentUser, base));
    ASSERT_TRUE(os.RegCreateKey(RegRoot::CurrentUser, base + "\\A\\B\\C"));
    EXPECT_TRUE(os.RegKeyExists(RegRoot::CurrentUser, base));
    EXPECT_TRUE(os.RegKeyExists(RegRoot::CurrentUser, base + "\\a"));
    EXPECT_TRUE(os.RegKeyExists(RegRoot::CurrentUser, base + "\\A\\b\\c"));
    EXPECT_FALSE(os.RegKeyExists(RegRoot::CurrentUser, base + "\\A\\C"));
    EXPECT_TRUE(os.RegCreateKey(RegRoot::CurrentUser, base + "\\a\\B"));  // already there
    EXPECT_FALSE(os.RegKeyExists(RegRoot::LocalMachine, base + "\\A"));
}

TEST(Registry, StringValues) {
    TestMachine m;
    System& os = m.System();
    const std::string key = FreshKey(m) + "\\Values";
    const std::string path = "C:\\Program Files\\Tool \"quoted\"\\";
    ASSERT_TRUE(os.RegSetString(RegRoot::LocalMachine, key, "Path", path));
    ASSERT_TRUE(os.RegSetString(RegRoot::LocalMachine, key, "", "the default"));
    ASSERT_TRUE(os.RegSetString(RegRoot::LocalMachine, key, "Empty", ""));
    std::string v;
    ASSERT_TRUE(os.RegGetString(RegRoot::LocalMachine, key, "path", v));
    EXPECT_EQ(v, path);
    std::string upperKey = key;
    for (char& c : upperKey) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ASSERT_TRUE(os.RegGetString(RegRoot::LocalMachine, upperKey, "", v));
    EXPECT_EQ(v, "the default");
    ASSERT_TRUE(os.RegGetString(RegRoot::LocalMachine, key, "EMPTY", v));
    EXPECT_EQ(v, "");

    ASSERT_TRUE(os.RegSetString(RegRoot::LocalMachine, key, "PATH", "second"));
    ASSERT_TRUE(os.RegGetString(RegRoot::LocalMachine, key, "Path", v));
    EXPECT_EQ(v, "second");

    v = "untouched";
    EXPECT_FALSE(os.RegGetString(RegRoot::LocalMachine, key, "Missing", v));
    EXPECT_FALSE(os.RegGetString(RegRoot::LocalMachine, key + "\\Missing", "Path", v));
    EXPECT_FALSE(os.RegGetString(RegRoot::CurrentUser, key, "Path", v));
    EXPECT_EQ(v, "untouched");
}

TEST(Registry, KeyPathsAreRelativeToTheRoot) {
    TestMachine m;
    System& os = m.System();
    const std::string key = FreshKey(m);
    // A leading backslash is refused, as the registry refuses it; a trailing one is not.
    EXPECT_FALSE(os.RegCreateKey(RegRoot::CurrentUser, "\\" + key));
    EXPECT_FALSE(os.RegSetString(RegRoot::CurrentUser, "\\" + key, "v", "x"));
    ASSERT_TRUE(os.RegSetString(RegRoot::CurrentUser, key + "\\", "v", "x"));
    std::string v;
    ASSERT_TRUE(os.RegGetString(RegRoot::CurrentUser, key, "v", v));
    EXPECT_EQ(v, "x");
    EXPECT_TRUE(os.RegKeyExists(RegRoot::CurrentUser, key + "\\"));
}

TEST(Registry, DwordValuesAreNotStrings) {
    TestMachine m;
    System& os = m.System();
    const std::string key = FreshKey(m) + "\\Counts";
    ASSERT_TRUE(os.RegSetDword(RegRoot::LocalMachine, key, "C:\\WINDOWS\\SYSTEM\\a.dll", 3));
    ASSERT_TRUE(os.RegSetDword(RegRoot::LocalMachine, key, "Big", 0xFFFFFFFEu));
    ASSERT_TRUE(os.RegSetString(RegRoot::LocalMachine, key, "Text", "7"));
    uint32_t n = 0;
    ASSERT_TRUE(os.RegGetDword(RegRoot::LocalMachine, key, "c:\\windows\\system\\A.DLL", n));
    EXPECT_EQ(n, 3u);
    ASSERT_TRUE(os.RegGetDword(RegRoot::LocalMachine, key, "Big", n));
    EXPECT_EQ(n, 0xFFFFFFFEu);
    n = 99;
    EXPECT_FALSE(os.RegGetDword(RegRoot::LocalMachine, key, "Text", n));
    EXPECT_FALSE(os.RegGetDword(RegRoot::LocalMachine, key, "Missing", n));
    EXPECT_EQ(n, 99u);
    std::string v;
    EXPECT_FALSE(os.RegGetString(RegRoot::LocalMachine, key, "Big", v));
    // A string replaces a DWORD of the same name and the other way round.
    ASSERT_TRUE(os.RegSetString(RegRoot::LocalMachine, key, "Big", "now text"));
    ASSERT_TRUE(os.RegGetString(RegRoot::LocalMachine, key, "Big", v));
    EXPECT_EQ(v, "now text");
    ASSERT_TRUE(os.RegSetDword(RegRoot::LocalMachine, key, "Text", 0));
    ASSERT_TRUE(os.RegGetDword(RegRoot::LocalMachine, key, "Text", n));
    EXPECT_EQ(n, 0u);
}

TEST(Registry, EnumeratingAndDeleting) {
    TestMachine m;
    System& os = m.System();
    const std::string key = FreshKey(m);
    ASSERT_TRUE(os.RegCreateKey(RegRoot::CurrentUser, key + "\\Sub\\Deeper"));
    ASSERT_TRUE(os.RegCreateKey(RegRoot::CurrentUser, key + "\\Other"));
    ASSERT_TRUE(os.RegSetString(RegRoot::CurrentUser, key, "Name", "x"));
    ASSERT_TRUE(os.RegSetString(RegRoot::CurrentUser, key, "", "default"));
    ASSERT_TRUE(os.RegSetDword(RegRoot::CurrentUser, key, "Count", 1));
    std::vector<std::string> subKeys{"stale"}, values{"stale"};
    ASSERT_TRUE(os.RegEnumKey(RegRoot::CurrentUser, key, subKeys, values));
    std::sort(subKeys.begin(), subKeys.end());
    std::sort(values.begin(), values.end());
    EXPECT_EQ(subKeys, (std::vector<std::string>{"Other", "Sub"}));
    EXPECT_EQ(values, (std::vector<std::string>{"", "Count", "Name"}));
    EXPECT_FALSE(os.RegEnumKey(RegRoot::CurrentUser, key + "\\Missing", subKeys, values));

    ASSERT_TRUE(os.RegDeleteValue(RegRoot::CurrentUser, key, "NAME"));
    EXPECT_FALSE(os.RegDeleteValue(RegRoot::CurrentUser, key, "Name"));
    EXPECT_FALSE(os.RegDeleteValue(RegRoot::CurrentUser, key + "\\Missing", "Name"));
    std::string v;
    EXPECT_FALSE(os.RegGetString(RegRoot::CurrentUser, key, "Name", v));

    // A key with subkeys stays; one without goes with its values.
    EXPECT_FALSE(os.RegDeleteKey(RegRoot::CurrentUser, key + "\\Sub"));
    EXPECT_TRUE(os.RegKeyExists(RegRoot::CurrentUser, key + "\\Sub\\Deeper"));
    ASSERT_TRUE(os.RegDeleteKey(RegRoot::CurrentUser, key + "\\sub\\DEEPER"));
    EXPECT_FALSE(os.RegKeyExists(RegRoot::CurrentUser, key + "\\Sub\\Deeper"));
    ASSERT_TRUE(os.RegDeleteKey(RegRoot::CurrentUser, key + "\\Sub"));
    ASSERT_TRUE(os.RegDeleteKey(RegRoot::CurrentUser, key + "\\Other"));
    EXPECT_FALSE(os.RegDeleteKey(RegRoot::CurrentUser, key + "\\Other"));
    ASSERT_TRUE(os.RegDeleteKey(RegRoot::CurrentUser, key));
    EXPECT_FALSE(os.RegKeyExists(RegRoot::CurrentUser, key));
    EXPECT_TRUE(os.RegKeyExists(RegRoot::CurrentUser, "Software"));
}

TEST(Registry, ShellFoldersAreRegistered) {
    TestMachine m;
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    for (const char* name : {"Desktop", "Programs", "Start Menu", "Startup"}) {
        std::string dir;
        ASSERT_TRUE(m.System().RegGetString(RegRoot::CurrentUser, key, name, dir)) << name;
        EXPECT_NE(m.System().GetFileAttributes(dir) & kAttrDirectory, 0u) << dir;
    }
}

}  // namespace
}  // namespace zov::sys
