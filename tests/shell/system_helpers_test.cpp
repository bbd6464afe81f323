#include "shell/system_helpers.h"

#include <gtest/gtest.h>

#include "shell/WinReboot.h"
#include "sys/exception.h"
#include "tests/support/test_machine.h"

namespace zov {
namespace {

TEST(SplitField, CutsFieldsThenRepeatsTheLast) {
    std::string text = "a~b";
    std::string head;
    SplitField(text, '~', head);
    EXPECT_EQ(head, "a");
    EXPECT_EQ(text, "b");
    SplitField(text, '~', head);
    EXPECT_EQ(head, "b");
    EXPECT_EQ(text, "b");
    SplitField(text, '~', head);
    EXPECT_EQ(head, "b");
}

TEST(SplitField, EmptyFieldsStayEmpty) {
    std::string text = "~~x~";
    std::string head;
    SplitField(text, '~', head);
    EXPECT_EQ(head, "");
    SplitField(text, '~', head);
    EXPECT_EQ(head, "");
    SplitField(text, '~', head);
    EXPECT_EQ(head, "x");
    EXPECT_EQ(text, "");
    SplitField(text, '~', head);
    EXPECT_EQ(head, "");
}

TEST(WindowsDir, HasNoTrailingBackslashAndADriveRoot) {
    test::TestMachine m;
    const std::string dir = GetWindowsDir();
    ASSERT_GE(dir.size(), 3u);
    EXPECT_EQ(dir[1], ':');
    EXPECT_NE(dir.back(), '\\');
    EXPECT_NE(m.System().GetFileAttributes(dir) & sys::kAttrDirectory, 0u);
}

TEST(ShortPath, MissingPathComesBackUnchanged) {
    test::TestMachine m;
    const std::string missing = m.Path("no such dir\\file name.text");
    EXPECT_EQ(GetShortPath(missing), missing);
    m.WriteFile(m.Path("long file name.text"), "x");
    const std::string s = GetShortPath(m.Path("long file name.text"));
    EXPECT_FALSE(s.empty());
    EXPECT_TRUE(m.Exists(s));
}

// A program that is not there is not started: the shell's result is the system's code for a
// missing file, which the setup reports with the program's path.
TEST(LaunchProgram, AMissingProgramGivesTheCodeOfAMissingFile) {
    test::TestMachine m;
    EXPECT_EQ(LaunchProgram("absent.exe", "", m.Dir(), 1), 2);
    EXPECT_EQ(LaunchProgram(m.Path("absent.exe"), "/x", m.Dir(), 1), 2);
}

TEST(CopyFileInto, IntoDirectoryAndOntoFile) {
    test::TestMachine m;
    std::string payload(8192 * 3, 'q');  // a multiple of the buffer: one extra empty read
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i * 7);
    m.WriteFile(m.Path("src.bin"), payload);
    m.System().CreateDirectory(m.Path("out"));

    CopyFileInto(m.Path("src.bin"), m.Path("out"));
    EXPECT_EQ(m.ReadFile(m.Path("out\\src.bin")), payload);
    CopyFileInto(m.Path("src.bin"), m.Path("out\\"));
    EXPECT_EQ(m.ReadFile(m.Path("out\\src.bin")), payload);

    m.WriteFile(m.Path("existing.dat"), std::string(100000, 'z'));
    CopyFileInto(m.Path("src.bin"), m.Path("existing.dat"));
    EXPECT_EQ(m.ReadFile(m.Path("existing.dat")), payload);  // truncated, then replaced
}

TEST(CopyFileInto, EmptyAndOddSizedFiles) {
    test::TestMachine m;
    m.WriteFile(m.Path("empty"), "");
    m.System().CreateDirectory(m.Path("d"));
    CopyFileInto(m.Path("empty"), m.Path("d"));
    EXPECT_TRUE(m.Exists(m.Path("d\\empty")));
    EXPECT_EQ(m.ReadFile(m.Path("d\\empty")), "");

    std::string odd(8193, 'a');
    odd.back() = 'b';
    m.WriteFile(m.Path("odd"), odd);
    CopyFileInto(m.Path("odd"), m.Path("d"));
    EXPECT_EQ(m.ReadFile(m.Path("d\\odd")), odd);
}

TEST(CopyFileInto, MissingTargetIsTakenForADirectory) {
    test::TestMachine m;
    m.WriteFile(m.Path("a.txt"), "abc");
    try {
        CopyFileInto(m.Path("a.txt"), m.Path("missing"));
        FAIL() << "expected EFCreateError";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot create file " + m.Path("missing\\a.txt"));
    }
    try {
        CopyFileInto(m.Path("nothere.txt"), m.Path("x"));
        FAIL() << "expected EFOpenError";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + m.Path("nothere.txt"));
    }
}

}  // namespace
}  // namespace zov
