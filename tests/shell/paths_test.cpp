// The shared path and text rules.
#include <gtest/gtest.h>

#include "sys/paths.h"
#include "tests/support/test_machine.h"

namespace zov {
namespace {

TEST(Paths, NamePartsAndSeparators) {
    EXPECT_EQ(FileNamePart("C:\\dir\\file.txt"), "file.txt");
    EXPECT_EQ(FileNamePart("A:file.txt"), "file.txt");
    EXPECT_EQ(FileNamePart("dir/file.txt"), "file.txt");
    EXPECT_EQ(FileNamePart("file.txt"), "file.txt");
    EXPECT_EQ(FileNamePart("C:\\dir\\"), "");
    EXPECT_EQ(DirectoryPart("C:\\dir\\file.txt"), "C:\\dir\\");
    EXPECT_EQ(DirectoryPart("A:file.txt"), "A:");
    EXPECT_EQ(DirectoryPart("file.txt"), "");
    EXPECT_EQ(UpperCase("Tool\xe9.exe"), "TOOL\xe9.EXE");  // ANSI letters stay as they are
    EXPECT_EQ(LowerCase("A:\\SegData"), "a:\\segdata");
}

TEST(Paths, TrailingBackslashesAndJoins) {
    EXPECT_EQ(WithoutTrailingBackslash("C:\\Program Files\\Tool\\\\"), "C:\\Program Files\\Tool");
    EXPECT_EQ(WithoutTrailingBackslash("C:\\"), "C:\\");  // a drive root keeps its backslash
    EXPECT_EQ(WithoutTrailingBackslash("C:\\Tool/"), "C:\\Tool");
    EXPECT_EQ(WithoutTrailingBackslash(""), "");
    EXPECT_EQ(JoinPath("A:\\", "disk.001"), "A:\\disk.001");
    EXPECT_EQ(JoinPath("C:\\Temp", "x"), "C:\\Temp\\x");
    EXPECT_EQ(JoinPath("", "x"), "x");
}

TEST(Paths, ForceDirectoriesMakesParentsFirstAndReportsThem) {
    test::TestMachine m;
    std::vector<std::string> created;
    const std::string deep = m.Path("a\\b\\c\\");
    ASSERT_TRUE(ForceDirectories(deep, &created));
    EXPECT_EQ(created, (std::vector<std::string>{m.Path("a"), m.Path("a\\b"), m.Path("a\\b\\c")}));
    EXPECT_TRUE(DirectoryExists(m.Path("a\\b\\c")));
    created.clear();
    ASSERT_TRUE(ForceDirectories(deep, &created));  // nothing left to make
    EXPECT_TRUE(created.empty());
    // A file in the way cannot become a directory.
    m.WriteFile(m.Path("file"), "x");
    EXPECT_FALSE(ForceDirectories(m.Path("file\\sub")));
    EXPECT_TRUE(FileExists(m.Path("file")));
    EXPECT_FALSE(FileExists(m.Path("a")));
}

TEST(Paths, ReadOnlyFilesAreDeletedInCleanUp) {
    test::TestMachine m;
    sys::System& os = m.System();
    const std::string dir = m.Path("scratch");
    ASSERT_TRUE(os.CreateDirectory(dir));
    m.WriteFile(dir + "\\plain.txt", "a");
    m.WriteFile(dir + "\\locked.txt", "b");
    ASSERT_TRUE(os.SetFileAttributes(dir + "\\locked.txt", sys::kAttrReadOnly));
    EmptyAndRemoveDirectory(dir);
    EXPECT_FALSE(DirectoryExists(dir));
    EmptyAndRemoveDirectory("");  // no name: nothing, and not the current drive's root
}

}  // namespace
}  // namespace zov
