#include "compress/crc32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace zov::compress {
namespace {

uint32_t Crc(const char* text) { return Crc32(0, reinterpret_cast<const uint8_t*>(text), std::strlen(text)); }

TEST(Crc32, KnownValues) {
    EXPECT_EQ(Crc(""), 0u);
    EXPECT_EQ(Crc("123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
}

// Eight bytes a step or one: the result does not depend on where the data are split.
TEST(Crc32, SameInAnyPieces) {
    std::vector<uint8_t> data(4099);
    uint32_t x = 12345;
    for (uint8_t& b : data) b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 16);
    const uint32_t whole = Crc32(0, data.data(), data.size());
    for (size_t piece : {1u, 3u, 7u, 8u, 9u, 64u, 1000u}) {
        uint32_t crc = 0;
        for (size_t at = 0; at < data.size(); at += piece)
            crc = Crc32(crc, data.data() + at, std::min(piece, data.size() - at));
        EXPECT_EQ(crc, whole) << "pieces of " << piece;
    }
}

}  // namespace
}  // namespace zov::compress
