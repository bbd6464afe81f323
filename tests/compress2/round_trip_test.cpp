// Every method, compressing then expanding through ProcessStream, with and without a key,
// over inputs that cross the window, block and buffer boundaries.
#include <gtest/gtest.h>

#include <numeric>

#include "compress/codecs.h"
#include "tests/compress2/codec_harness.h"

namespace zov::compress::test2 {
namespace {

int32_t Room(const Bytes& b) { return -static_cast<int32_t>(b.size() / 4) - 64; }

// Compresses with the key and expands with it; the scrambled stream must be the plain one
// XORed with the key bytes, lowest first, repeating from the first compressed byte.
void CheckRoundTrip(TCompressionMethod m, const Bytes& input, int32_t key) {
    const auto size = static_cast<int32_t>(input.size());
    Bytes stream;
    try {
        stream = Encode(m, input, key, Room(input));
    } catch (const EUnableToCompress&) {
        ADD_FAILURE() << "gave up";
        return;
    }
    uint32_t checksum = 0;
    EXPECT_TRUE(Decode(m, stream, size, key, &checksum) == input);
    EXPECT_EQ(checksum, std::accumulate(input.begin(), input.end(), 0u));
    if (key == 0) return;
    const Bytes plain = Encode(m, input, 0, Room(input));
    ASSERT_EQ(plain.size(), stream.size());
    for (size_t i = 0; i < plain.size(); ++i)
        ASSERT_EQ(plain[i] ^ stream[i], (key >> (8 * (i % 4))) & 0xFF) << i;
}

TEST(RoundTrip, EveryMethodWithAndWithoutKey) {
    for (const Sample& s : EdgeSamples()) {
        for (TCompressionMethod m : {coNone, coRLE, coLZH, coLZH5}) {
            for (int32_t key : {0, 0x1C2D3E4F}) {
                SCOPED_TRACE(s.what + ", method " + std::to_string(m) + ", key " + std::to_string(key));
                CheckRoundTrip(m, s.bytes, key);
            }
        }
    }
}

TEST(RoundTrip, EveryMethodOnMegabytes) {
    for (const Sample& s : LargeSamples()) {
        for (TCompressionMethod m : {coRLE, coLZH, coLZH5}) {
            SCOPED_TRACE(s.what + ", method " + std::to_string(m));
            CheckRoundTrip(m, s.bytes, 0);
        }
    }
}

TEST(RoundTrip, CompressingCodecsSaveSpaceOnText) {
    const Bytes text = TextLike(200000, 8);
    const size_t lzh = Encode(coLZH, text).size();
    const size_t lh5 = Encode(coLZH5, text).size();
    EXPECT_LT(lzh, text.size() / 3);
    EXPECT_LT(lh5, lzh);  // the larger window and per-block codes pay off
}

}  // namespace
}  // namespace zov::compress::test2
