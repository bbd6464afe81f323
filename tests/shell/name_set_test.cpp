// The sets and counts of names that stand in for the library's trees.
#include "shell/name_set.h"

#include <gtest/gtest.h>

namespace zov {
namespace {

TEST(NameSet, InsertsEachNameOnceWhateverTheOrder) {
    TNameSet set;
    EXPECT_TRUE(set.Insert("C:\\B"));
    EXPECT_TRUE(set.Insert("C:\\A"));
    EXPECT_TRUE(set.Insert("C:\\C"));
    EXPECT_FALSE(set.Insert("C:\\A"));
    EXPECT_FALSE(set.Insert("C:\\C"));
    EXPECT_TRUE(set.Contains("C:\\A"));
    EXPECT_TRUE(set.Contains("C:\\B"));
    EXPECT_FALSE(set.Contains("C:\\"));
    EXPECT_FALSE(set.Contains("c:\\a"));  // callers compare upper-case names
    EXPECT_TRUE(set.Insert(""));
    EXPECT_FALSE(set.Insert(""));
    set.Clear();
    EXPECT_FALSE(set.Contains("C:\\B"));
    EXPECT_TRUE(set.Insert("C:\\B"));
}

TEST(NameCounts, CountsEachNameApart) {
    TNameCounts counts;
    EXPECT_FALSE(counts.Contains("Autoexec"));
    EXPECT_EQ(counts.Increment("INI Values"), 1);
    EXPECT_EQ(counts.Increment("Autoexec"), 1);
    EXPECT_EQ(counts.Increment("INI Values"), 2);
    EXPECT_EQ(counts.Increment("INI Values"), 3);
    EXPECT_TRUE(counts.Contains("Autoexec"));
    EXPECT_FALSE(counts.Contains("INI"));
    counts.Clear();
    EXPECT_FALSE(counts.Contains("INI Values"));
    EXPECT_EQ(counts.Increment("INI Values"), 1);
}

}  // namespace
}  // namespace zov
