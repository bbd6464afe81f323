// Registry keys and string values through sys::System, on the emulated machine and on
// Windows (Wine). Every test works below a key of its own.
#include <gtest/gtest.h>

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
