// The -lh5- encoder's exact output where the block layout and the choice of matches are
// easy to get subtly wrong; every output is also read back by the decoder.
#include <gtest/gtest.h>

#include "compress/codecs.h"
#include "tests/compress2/codec_harness.h"

namespace zov::compress::test2 {
namespace {

constexpr int32_t kRoom = -64;  // lets tiny inputs grow instead of giving up

int BlockSize(const Bytes& stream) { return stream.size() < 2 ? -1 : stream[0] << 8 | stream[1]; }

TEST(Lh5Encode, EmptyInputWritesNothing) { EXPECT_TRUE(Encode(coLZH5, {}, 0, kRoom).empty()); }

TEST(Lh5Encode, OneByteIsOneBlockOfOneSymbol) {
    const Bytes expected = Bits(
        "0000000000000001"       // one code in the block
        "00000 00000"            // length code: none sent, single symbol 0
        "000000000 001000001"    // symbol code: none sent, single symbol 'A'
        "0000 0000");            // distance code: none sent, single class 0; 'A' takes no bits
    const Bytes stream = Encode(coLZH5, FromString("A"), 0, kRoom);
    EXPECT_EQ(stream, expected);
    EXPECT_EQ(Decode(coLZH5, stream, 1), FromString("A"));
}

TEST(Lh5Encode, ThreeHundredEqualBytesAreALiteralAndMatchesOf256And43) {
    // Symbols 'A' (65), 509 (length 256) and 296 (length 43), once each: codes 10, 11, 0.
    // Their lengths 2, 1, 2 between runs of 65, 230 and 212 zero lengths are sent with the
    // length code: run of 20 or more (symbol 2) '0', length 1 (symbol 3) '10', length 2
    // (symbol 4) '11'. Both matches are at distance 1: one distance class, no bits.
    const Bytes expected = Bits(
        "0000000000000011"                                     // three codes
        "00101 000 000 001 00 010 010"                         // length code lengths 0,0,1,2,2
        "111111110"                                            // 510 symbol lengths
        "0 000101101  11  0 011010010  10  0 011000000  11"    // zeros x65, 2, x230, 1, x212, 2
        "0000 0000"                                            // distance code: class 0 only
        "10 11 0");                                            // 'A', 256 at 1, 43 at 1
    const Bytes input(300, 'A');
    const Bytes stream = Encode(coLZH5, input);
    EXPECT_EQ(stream, expected);
    EXPECT_EQ(Decode(coLZH5, stream, 300), input);
}

TEST(Lh5Encode, MatchIsPutOffWhenTheNextPositionHasALongerOne) {
    // At the second "abc" a match of 3 is found, at the "bcde" after it one of 4: the 'a'
    // goes out as a literal and the 4-byte match follows, 11 codes in all (taking the
    // 3-byte match at once would need 12).
    const Bytes input = FromString("abcXbcdeYabcde");
    const Bytes stream = Encode(coLZH5, input, 0, kRoom);
    EXPECT_EQ(BlockSize(stream), 11);
    EXPECT_EQ(Decode(coLZH5, stream, static_cast<int32_t>(input.size())), input);
}

TEST(Lh5Encode, LongRunsStayInOneBlockOfMatches) {
    // 1 MB of one byte: a literal and 4096 matches of 256 bytes at distance 1 (the last
    // shorter), so one block and a tiny stream.
    const Bytes input(1 << 20, 0);
    const Bytes stream = Encode(coLZH5, input);
    EXPECT_EQ(BlockSize(stream), 1 + 4096);
    EXPECT_LT(stream.size(), 1200u);
    EXPECT_EQ(Decode(coLZH5, stream, static_cast<int32_t>(input.size())), input);
}

TEST(Lh5Encode, IncompressibleInputGivesUp) {
    EXPECT_THROW(Encode(coLZH5, RandomBytes(20000, 5)), EUnableToCompress);
}

}  // namespace
}  // namespace zov::compress::test2
