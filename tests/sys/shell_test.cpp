// Shell links, program launch and privileges through sys::System, on the emulated machine
// and on Windows (Wine). Links are checked by reading back the bytes that were saved.
#include <gtest/gtest.h>

#include "tests/support/shell_link_reader.h"
#include "tests/support/test_machine.h"

namespace zov::sys {
namespace {

using test::TestMachine;

constexpr uint32_t kHasLinkInfo = 0x02;
constexpr uint32_t kIsUnicode = 0x80;

TEST(ShellLinks, SavedLinksHoldTargetWorkingDirectoryAndIcon) {
    TestMachine m;
    System& os = m.System();
    os.CreateDirectory(m.Path("app dir"));
    const std::string target = m.Path("app dir\\prog.exe");
    m.WriteFile(target, "MZ");
    auto link = os.CreateShellLink();
    ASSERT_NE(link, nullptr);
    link->SetPath(target);
    link->SetWorkingDirectory(m.Path("app dir\\"));
    link->SetIconLocation(target, 0);
    ASSERT_TRUE(link->Save(m.Path("Prog.lnk")));

    const auto info = test::ParseShellLink(m.ReadFile(m.Path("Prog.lnk")));
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->flags & (kHasLinkInfo | kIsUnicode), kHasLinkInfo | kIsUnicode);
    EXPECT_EQ(info->localBasePath, target);
    EXPECT_EQ(info->workingDir, m.Path("app dir\\"));
    EXPECT_EQ(info->iconLocation, target);
    EXPECT_EQ(info->iconIndex, 0);
    EXPECT_EQ(info->arguments, "");
    EXPECT_EQ(info->name, "");
}

TEST(ShellLinks, ArgumentsDescriptionAndIconIndex) {
    TestMachine m;
    const std::string target = m.Path("tool.exe");
    m.WriteFile(target, "MZ");
    auto link = m.System().CreateShellLink();
    ASSERT_NE(link, nullptr);
    link->SetPath(target);
    link->SetArguments("/quiet \"a b\"");
    link->SetDescription("The tool");
    link->SetIconLocation(m.Path("icons.dll"), 3);
    ASSERT_TRUE(link->Save(m.Path("tool.lnk")));
    const auto info = test::ParseShellLink(m.ReadFile(m.Path("tool.lnk")));
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->arguments, "/quiet \"a b\"");
    EXPECT_EQ(info->name, "The tool");
    EXPECT_EQ(info->iconLocation, m.Path("icons.dll"));
    EXPECT_EQ(info->iconIndex, 3);
}

TEST(ShellLinks, SavingAgainReplacesAndAMissingFolderFails) {
    TestMachine m;
    m.WriteFile(m.Path("one.exe"), "");
    m.WriteFile(m.Path("two.exe"), "");
    auto link = m.System().CreateShellLink();
    ASSERT_NE(link, nullptr);
    link->SetPath(m.Path("one.exe"));
    ASSERT_TRUE(link->Save(m.Path("x.lnk")));
    link->SetPath(m.Path("two.exe"));
    ASSERT_TRUE(link->Save(m.Path("x.lnk")));
    const auto info = test::ParseShellLink(m.ReadFile(m.Path("x.lnk")));
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->localBasePath, m.Path("two.exe"));
    EXPECT_FALSE(link->Save(m.Path("no folder\\x.lnk")));
    EXPECT_FALSE(m.Exists(m.Path("no folder\\x.lnk")));
}

TEST(Launch, ResultTellsWhetherTheFileWasFound) {
    TestMachine m;
    m.WriteFile(m.Path("run.bat"), "@exit\r\n");
    EXPECT_GT(m.System().ShellExecute("", m.Path("run.bat"), "", m.Dir(), 0), 32);
    EXPECT_GT(m.System().ShellExecute("open", "run.bat", "", m.Dir(), 0), 32);
    EXPECT_EQ(m.System().ShellExecute("", m.Path("none.exe"), "/x", m.Dir(), 5), 2);
}

TEST(Session, PrivilegesAreLookedUpByName) {
    TestMachine m;
    EXPECT_TRUE(m.System().AdjustTokenPrivilege("SeShutdownPrivilege", true));
    EXPECT_TRUE(m.System().AdjustTokenPrivilege("SeShutdownPrivilege", false));
    EXPECT_FALSE(m.System().AdjustTokenPrivilege("SeNoSuchPrivilege", true));
}

}  // namespace
}  // namespace zov::sys
