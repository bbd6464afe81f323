// The LZH method: the encoder's choices read back code by code, and the halving of the
// adaptive code on both sides.
#include <gtest/gtest.h>

#include "compress/codecs.h"
#include "compress/lzh.h"
#include "compress/lzh_code_reader.h"
#include "tests/compress2/codec_harness.h"

namespace zov::compress::test2 {
namespace {

using namespace lzh;

// The bits of a byte vector, most significant first, zeros past its end.
class VectorBits {
public:
    explicit VectorBits(const Bytes& bytes) : bytes_(bytes) {}
    uint32_t Take(unsigned n) {
        uint32_t v = 0;
        for (unsigned i = 0; i < n; ++i, ++bit_) {
            const size_t byte = bit_ / 8;
            const int b = byte < bytes_.size() ? (bytes_[byte] >> (7 - bit_ % 8)) & 1 : 0;
            v = v << 1 | static_cast<uint32_t>(b);
        }
        return v;
    }
    size_t BitsRead() const { return bit_; }

private:
    const Bytes& bytes_;
    size_t bit_ = 0;
};

struct Code {
    int length;    // 1: a literal
    int value;     // the literal, or distance - 1
    bool operator==(const Code&) const = default;
};
Code Literal(uint8_t b) { return {1, b}; }
Code Match(int length, int distance) { return {length, distance - 1}; }

// Reads codes until they cover `size` bytes; `rootWeights`, when given, receives the code's
// root weight after each symbol.
std::vector<Code> ReadCodes(const Bytes& stream, size_t size,
                            std::vector<uint16_t>* rootWeights = nullptr) {
    VectorBits bits(stream);
    TLzhCodeReader<VectorBits> reader(bits);
    std::vector<Code> codes;
    size_t covered = 0;
    while (covered < size) {
        const int s = reader.ReadSymbol();
        if (rootWeights) rootWeights->push_back(reader.Code().RootWeight());
        codes.push_back(s < 256 ? Literal(static_cast<uint8_t>(s))
                                : Code{MatchLength(s), reader.ReadDistance()});
        covered += static_cast<size_t>(codes.back().length);
    }
    EXPECT_EQ((bits.BitsRead() + 7) / 8, stream.size()) << "the stream ends with its last code";
    return codes;
}

TEST(Lzh, EmptyInputWritesNothing) {
    EXPECT_TRUE(Encode(coLZH, {}).empty());
    EXPECT_TRUE(Decode(coLZH, {1, 2, 3}, 0).empty());
}

TEST(Lzh, RunIsOneLiteralThenDistanceOneMatches) {
    const Bytes run(200, 'r');
    const Bytes stream = Encode(coLZH, run);
    const std::vector<Code> expected = {Literal('r'), Match(60, 1), Match(60, 1), Match(60, 1),
                                        Match(19, 1)};
    EXPECT_EQ(ReadCodes(stream, run.size()), expected);
    EXPECT_EQ(Decode(coLZH, stream, 200), run);
}

TEST(Lzh, LeadingSpacesMatchTheSpacesBeforeTheData) {
    const Bytes input = FromString("    hello");
    const std::vector<Code> codes = ReadCodes(Encode(coLZH, input, 0, -16), input.size());
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes[0], Match(4, 1));
}

TEST(Lzh, EqualMatchesTakeTheNearerOne) {
    // The last "abcd " sorts below both earlier strings and meets both on its search path;
    // each agrees for four bytes.
    const Bytes input = FromString("abcd1abcd0abcd ");
    const Bytes stream = Encode(coLZH, input, 0, -16);
    const std::vector<Code> expected = {Literal('a'), Literal('b'), Literal('c'), Literal('d'),
                                        Literal('1'), Match(4, 5),  Literal('0'), Match(4, 5),
                                        Literal(' ')};
    EXPECT_EQ(ReadCodes(stream, input.size()), expected);
    EXPECT_EQ(Decode(coLZH, stream, static_cast<int32_t>(input.size())), input);
}

TEST(Lzh, MatchesNeverRunPastTheEnd) {
    Bytes input = TextLike(5000, 3);
    input.insert(input.end(), input.begin(), input.begin() + 100);  // ends inside a long match
    const std::vector<Code> codes = ReadCodes(Encode(coLZH, input), input.size());
    size_t covered = 0;
    for (const Code& c : codes) covered += static_cast<size_t>(c.length);
    EXPECT_EQ(covered, input.size());
}

TEST(Lzh, CodeIsHalvedInTheUpdateAfterThe32455thSymbol) {
    // A run of 2 MB: one literal, then about 35000 matches of 60 bytes at distance 1.
    const Bytes run(60 * 35000 + 1, 'h');
    const Bytes stream = Encode(coLZH, run);
    std::vector<uint16_t> roots;
    const std::vector<Code> codes = ReadCodes(stream, run.size(), &roots);
    ASSERT_EQ(codes.size(), 35001u);
    for (size_t i = 1; i < codes.size(); ++i) ASSERT_EQ(codes[i], Match(60, 1)) << i;
    // The root starts at 314 and gains one per symbol: 32768 after symbol 32454. The update
    // for symbol 32455 halves every leaf (1 -> 1, the literal 2 -> 1, the match symbol
    // 32454 -> 16227) before counting it.
    EXPECT_EQ(roots[32453], 0x8000);
    EXPECT_EQ(roots[32454], 312 + 1 + 16227 + 1);
    EXPECT_EQ(Decode(coLZH, stream, static_cast<int32_t>(run.size())), run);
}

TEST(Lzh, TruncatedStreamIsADataError) {
    const Bytes input = TextLike(3000, 9);
    const Bytes whole = Encode(coLZH, input);
    for (const size_t cut : {size_t{0}, size_t{1}, whole.size() / 2, whole.size() - 1}) {
        const Bytes stream(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_THROW(Decode(coLZH, stream, 3000), EDataError) << cut;
    }
    // The whole stream gives exactly the size, also when a smaller one is asked: the match
    // that runs past it is cut.
    EXPECT_EQ(Decode(coLZH, whole, 3000), input);
    EXPECT_EQ(Decode(coLZH, whole, 2999), Bytes(input.begin(), input.end() - 1));
}

}  // namespace
}  // namespace zov::compress::test2
