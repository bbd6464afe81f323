// The run-length method's codes for the runs and marker bytes where an off-by-one or a
// missed escape would corrupt data.
#include <gtest/gtest.h>

#include "compress/codecs.h"
#include "compress/rle.h"
#include "tests/compress2/codec_harness.h"

namespace zov::compress::test2 {
namespace {

constexpr uint8_t M = kRleMarker;

Bytes Repeat(uint8_t b, size_t n) { return Bytes(n, b); }

struct RleCase {
    const char* what;
    Bytes input;
    Bytes coded;
};

TEST(Rle, CodesRunsAndMarkersExactly) {
    const uint8_t A = 'A', B = 'B', D = 'D';
    const RleCase cases[] = {
        {"two equal bytes stay literals", {A, A, B}, {A, A, B}},
        {"three make a run", {A, A, A, B}, {A, M, 3, B}},
        {"255", Repeat(A, 255), {A, M, 255}},
        {"256", Repeat(A, 256), {A, M, 255, A}},
        {"257", Repeat(A, 257), {A, M, 255, A, A}},
        {"258", Repeat(A, 258), {A, M, 255, A, M, 3}},
        {"a first 0x00 is a literal", {0, 7, 8}, {0, 7, 8}},
        {"a run of 0x00 from the start", {0, 0, 0, 7}, {0, M, 3, 7}},
        {"markers are escaped, never run", {M, M}, {M, 0, M, 0}},
        {"three markers", {M, M, M}, {M, 0, M, 0, M, 0}},
        {"byte after a run", {A, A, A, A, D}, {A, M, 4, D}},
        {"marker after a run", {A, A, A, A, M}, {A, M, 4, M, 0}},
        {"run after a marker", {M, A, A, A}, {M, 0, A, M, 3}},
        {"empty", {}, {}},
    };
    for (const RleCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Encode(coRLE, c.input, 0, -64), c.coded);
        EXPECT_EQ(Decode(coRLE, c.coded, static_cast<int32_t>(c.input.size())), c.input);
    }
}

TEST(Rle, DecoderHandlesStreamsTheEncoderNeverWrites) {
    // A marker as the last byte lacks its count: the stream was cut.
    EXPECT_THROW(Decode(coRLE, {'x', M}, 0), EDataError);
    // After a marker code the previous byte is the marker itself.
    EXPECT_EQ(Decode(coRLE, {M, 0, M, 3}, 0), (Bytes{M, M, M}));
    // A run before any literal repeats the starting previous byte 0; a count of 1 adds nothing.
    EXPECT_EQ(Decode(coRLE, {M, 4, 'q', M, 1}, 0), (Bytes{0, 0, 0, 'q'}));
}

TEST(Rle, GivesUpWhenTheOutputWouldGrow) {
    // Each marker doubles; the budget of 10 bytes runs out at the 11th output byte.
    EXPECT_THROW(Encode(coRLE, Repeat(M, 10)), EUnableToCompress);
    // Growth that comes back within the budget before the end is fine.
    Bytes input = Repeat('z', 41);
    input[0] = M;
    EXPECT_EQ(Encode(coRLE, input), (Bytes{M, 0, 'z', M, 40}));
}

TEST(Rle, LongMixedInputRoundTrips) {
    Bytes input;
    for (int i = 0; i < 3000; ++i) input.insert(input.end(), i % 300, static_cast<uint8_t>(i * 7));
    const Bytes coded = Encode(coRLE, input);
    EXPECT_LT(coded.size(), input.size() / 10);
    EXPECT_EQ(Decode(coRLE, coded, 0), input);
}

}  // namespace
}  // namespace zov::compress::test2
