// Decimal text of integers: the same text as std::to_string, for every size of value.
#include "sys/decimal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace zov {
namespace {

TEST(DecimalText, WritesWhatToStringWritesAtTheEdgesOfEveryPartTheDivisionWorksIn) {
    // The division works in 16-bit parts: values around 2^16, 2^32 and 2^48 carry the
    // remainder from one part into the next.
    for (int bits = 0; bits <= 62; ++bits) {
        const int64_t power = int64_t{1} << bits;
        for (int64_t value : {power - 1, power, power + 1, power / 7 * 10, -power, -power - 1}) {
            EXPECT_EQ(DecimalText(value), std::to_string(value)) << value;
        }
    }
}

TEST(DecimalText, HandlesZeroAndTheLimits) {
    EXPECT_EQ(DecimalText(0), "0");
    EXPECT_EQ(DecimalText(-7), "-7");
    EXPECT_EQ(DecimalText(std::numeric_limits<int64_t>::max()), "9223372036854775807");
    EXPECT_EQ(DecimalText(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(DecimalText(std::numeric_limits<uint32_t>::max()), "4294967295");
    EXPECT_EQ(DecimalText(1440000), "1440000");
}

}  // namespace
}  // namespace zov
