// The full form of paths that every protecting check compares.
#include <gtest/gtest.h>

#include "sys/canonical_path.h"

namespace zov {
namespace {

struct Case {
    const char* path;
    const char* base;
    const char* full;  // "" for no full form
    TPathKind kind;
};

TEST(CanonicalPath, Table) {
    const TPathKind D = TPathKind::Drive, U = TPathKind::Unc, V = TPathKind::Device, X = TPathKind::Invalid;
    const Case cases[] = {
        {"C:\\WINDOWS", "", "C:\\WINDOWS", D},
        {"c:/windows/./system/..", "", "C:\\windows", D},
        {"C:\\WINDOWS\\..\\WINDOWS\\*.*", "", "C:\\WINDOWS\\*.*", D},
        {"C:\\.\\*.*", "", "C:\\*.*", D},
        {"C:\\..\\..\\x", "", "C:\\x", D},
        {"C:\\", "", "C:\\", D},
        {"C:", "", "", X},
        {"C:\\Evil\\..\\WINDOWS", "", "C:\\WINDOWS", D},
        {"C:\\WINDOWS. \\win.ini", "", "C:\\WINDOWS\\win.ini", D},
        {"C:\\a\\...\\b", "", "C:\\a\\b", D},
        {"C:\\\\a\\\\\\b\\", "", "C:\\a\\b", D},
        {"\\\\?\\C:\\WINDOWS\\x", "", "C:\\WINDOWS\\x", D},
        {"\\\\?\\UNC\\srv\\share\\a", "", "\\\\srv\\share\\a", U},
        {"\\\\srv\\share\\a\\..\\..\\..", "", "\\\\srv\\share", U},
        {"//srv/share/dir", "", "\\\\srv\\share\\dir", U},
        {"\\\\srv", "", "", X},
        {"\\\\.\\C:\\x", "", "", V},
        {"C:\\dir\\NUL", "", "", V},
        {"C:\\dir\\con.txt", "", "", V},
        {"C:\\dir\\lpt1 . ", "", "", V},
        {"C:\\dir\\COM10", "", "C:\\dir\\COM10", D},
        {"relative\\dir", "", "", X},
        {"\\rooted", "", "", X},
        {"relative\\dir", "D:\\base\\x", "D:\\base\\x\\relative\\dir", D},
        {"..\\..\\..\\up", "D:\\base\\x", "D:\\up", D},
        {"\\rooted", "D:\\base", "D:\\rooted", D},
        {"D:dir", "D:\\base", "D:\\base\\dir", D},
        {"E:dir", "D:\\base", "E:\\dir", D},
        {"dir", "\\\\srv\\share\\a", "\\\\srv\\share\\a\\dir", U},
        {"/:\\tmp\\x", "", "", X},
        {"1:\\tmp", "", "", X},
        {"C:\\a:b", "", "C:\\a:b", D},
        {"C:\\a:b\\c", "", "", X},
        {"C:\\a|b", "", "", X},
        {"", "C:\\", "", X},
        {"x", "relative", "", X},
    };
    for (const Case& c : cases) {
        const TCanonicalPath got = CanonicalPath(c.path, c.base);
        EXPECT_EQ(got.Path, c.full) << c.path << " against " << c.base;
        EXPECT_EQ(got.Kind, c.kind) << c.path << " against " << c.base;
    }
}

TEST(CanonicalPath, ComparesPlacesByTheirFullForm) {
    EXPECT_TRUE(SamePath("C:\\WINDOWS", "c:/windows/."));
    EXPECT_TRUE(SamePath("C:\\Evil\\..\\WINDOWS ", "C:\\WINDOWS"));
    EXPECT_FALSE(SamePath("relative", "relative"));
    EXPECT_TRUE(PathIsBelow("C:\\WINDOWS\\..\\WINDOWS\\SYSTEM\\x.dll", "C:\\windows"));
    EXPECT_FALSE(PathIsBelow("C:\\WINDOWSX", "C:\\WINDOWS"));
    EXPECT_FALSE(PathIsBelow("C:\\WINDOWS", "C:\\WINDOWS"));
    EXPECT_TRUE(PathIsBelow("C:\\anything", "C:\\"));
    EXPECT_TRUE(PathIsAtOrBelow("C:\\WINDOWS", "C:\\WINDOWS\\."));
    EXPECT_FALSE(PathIsAtOrBelow("C:\\dir\\NUL", "C:\\dir"));
    EXPECT_TRUE(IsFullPath("C:/x"));
    EXPECT_TRUE(IsFullPath("\\\\srv\\share"));
    EXPECT_FALSE(IsFullPath("C:x"));
    EXPECT_FALSE(IsFullPath("\\x"));
}

}  // namespace
}  // namespace zov
