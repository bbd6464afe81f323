// The forms of a path Windows treats specially, and what GetFullPathName and creating a file
// make of each: the emulated machine must answer as Windows does.
#include <gtest/gtest.h>

#include "tests/support/test_machine.h"

namespace zov::sys {
namespace {

std::string Replaced(std::string text, const std::string& dir) {
    for (size_t at = text.find('$'); at != std::string::npos; at = text.find('$', at + dir.size()))
        text.replace(at, 1, dir);
    return text;
}

struct PathCase {
    const char* path;      // "$" stands for the test's folder, which is also the current one
    const char* full;      // GetFullPathName's answer
    uint32_t createError;  // creating the file for writing: 0 when it succeeds
    const char* created;   // the name that then exists in the folder, or nullptr
    uint32_t wineError = 0;  // Wine's other answer, where it has no network to ask
};

TEST(PathForms, AsWindowsTreatsThem) {
    test::TestMachine m;
    System& os = m.System();
    ASSERT_TRUE(os.CreateDirectory(m.Path("sub")));
    ASSERT_TRUE(os.SetCurrentDirectory(m.Dir()));
    const std::string longName(300, 'n');
    const PathCase cases[] = {
        {"$\\trail. . ", "$\\trail", 0, "trail"},
        // Only the last name loses its trailing dots and blanks.
        {"$\\sub. \\inner.txt", "$\\sub. \\inner.txt", kErrorPathNotFound, nullptr},
        {"$\\sub\\..\\up.txt", "$\\up.txt", 0, "up.txt"},
        {"sub\\.\\rel.txt", "$\\sub\\rel.txt", 0, "sub\\rel.txt"},
        {"\\\\?\\$\\q.txt", "\\\\?\\$\\q.txt", 0, "q.txt"},
        {"$\\NUL", "\\\\.\\NUL", 0, nullptr},
        {"$\\sub\\nul.txt", "\\\\.\\nul", 0, nullptr},
        {"$\\missing\\nul.txt", "\\\\.\\nul", kErrorPathNotFound, nullptr},
        {"$\\CON", "\\\\.\\CON", kErrorInvalidHandle, nullptr},  // a program without a console
        {"$\\a:b", "$\\a:b", 0, "a:b"},
        {"/:\\tmp\\x", "C:\\:\\tmp\\x", kErrorPathNotFound, nullptr},
        {"\\\\server\\share\\x.txt", "\\\\server\\share\\x.txt", kErrorBadNetPath, nullptr, kErrorPathNotFound},
        {"//server/x", "\\\\server\\x", kErrorBadNetPath, nullptr, kErrorPathNotFound},
    };
    for (const PathCase& c : cases) {
        const std::string path = Replaced(c.path, m.Dir());
        EXPECT_EQ(os.GetFullPathName(path), Replaced(c.full, m.Dir())) << path;
        auto f = os.OpenFile(path, FileAccess::Write, FileCreate::CreateAlways, FileShare::DenyNone);
        const uint32_t error = f ? 0u : os.LastError().code;
        EXPECT_TRUE(error == c.createError || (c.wineError && error == c.wineError && !test::TestMachine::IsEmulated()))
            << path << ": " << error;
        if (c.created) {
            EXPECT_TRUE(m.Exists(m.Path(c.created))) << path;
        }
    }
    // A name longer than a path may be is refused before the file system sees it.
    for (const std::string& tooLong : {m.Path(longName), m.Path("sub\\" + std::string(250, 'x'))}) {
        EXPECT_EQ(os.OpenFile(tooLong, FileAccess::Write, FileCreate::CreateAlways, FileShare::DenyNone),
                  nullptr);
        EXPECT_EQ(os.LastError().code, kErrorFilenameExcedRange);
        EXPECT_FALSE(os.CreateDirectory(tooLong));
        EXPECT_EQ(os.LastError().code, kErrorFilenameExcedRange);
        EXPECT_EQ(os.GetFileAttributes(tooLong), kInvalidAttributes);
    }
}

}  // namespace
}  // namespace zov::sys
