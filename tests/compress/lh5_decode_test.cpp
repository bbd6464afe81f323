// LH5Decode on hand-made bit streams: block headers, the three codes, distances, the
// space-filled window, and the streams it must refuse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compress/codec_runner.h"
#include "compress/codecs.h"

namespace zov::compress {
namespace {

// Writes a bit stream most significant bit first.
class Bits {
public:
    void Put(unsigned width, uint32_t value) {
        for (unsigned i = width; i-- > 0;) {
            acc_ = static_cast<uint8_t>(acc_ << 1 | ((value >> i) & 1));
            if (++n_ == 8) Flush();
        }
    }
    std::vector<uint8_t> Done() {
        while (n_ != 0) Put(1, 0);
        return out_;
    }

private:
    void Flush() {
        out_.push_back(acc_);
        acc_ = 0;
        n_ = 0;
    }
    std::vector<uint8_t> out_;
    uint8_t acc_ = 0;
    unsigned n_ = 0;
};

// Canonical codes from lengths, assigned as the format does: by length, then by symbol.
struct Code {
    std::vector<unsigned> lengths, codes;
    explicit Code(std::vector<unsigned> l) : lengths(std::move(l)), codes(lengths.size()) {
        unsigned code = 0;
        for (unsigned len = 1; len <= 16; ++len) {
            for (size_t s = 0; s < lengths.size(); ++s)
                if (lengths[s] == len) codes[s] = code++;
            code <<= 1;
        }
    }
    void Emit(Bits& b, unsigned symbol) const { b.Put(lengths[symbol], codes[symbol]); }
};

std::vector<unsigned> Lengths(size_t count, std::initializer_list<std::pair<unsigned, unsigned>> set) {
    std::vector<unsigned> v(count, 0);
    for (auto [symbol, length] : set) v[symbol] = length;
    return v;
}

// A length-code length: 3 bits, or 7 and up as "111", a run of ones and a zero.
void PutShortLength(Bits& b, unsigned length) {
    if (length < 7) return b.Put(3, length);
    b.Put(3, 7);
    for (unsigned i = 7; i < length; ++i) b.Put(1, 1);
    b.Put(1, 0);
}

void PutShortLengths(Bits& b, const std::vector<unsigned>& lengths, unsigned width, bool skipField) {
    size_t n = lengths.size();
    while (n > 0 && lengths[n - 1] == 0) --n;
    b.Put(width, static_cast<uint32_t>(n));
    for (size_t i = 0; i < n; ++i) {
        PutShortLength(b, lengths[i]);
        if (skipField && i == 2) b.Put(2, 0);
    }
}

// The length code used by Block: symbol 0 (one zero length) and 3..18 (lengths 1..16).
const Code kLengthCode(Lengths(19, {{0, 4}, {3, 4}, {4, 4}, {5, 4}, {6, 4}, {7, 4}, {8, 4}, {9, 4},
                                    {10, 4}, {11, 4}, {12, 4}, {13, 4}, {14, 4}, {15, 4}, {16, 4},
                                    {17, 5}, {18, 5}}));

// A block header with explicit symbol and distance codes.
void Block(Bits& b, unsigned blockSize, const Code& symbols, const Code& distances) {
    b.Put(16, blockSize);
    PutShortLengths(b, kLengthCode.lengths, 5, true);
    size_t n = symbols.lengths.size();
    while (n > 0 && symbols.lengths[n - 1] == 0) --n;
    b.Put(9, static_cast<uint32_t>(n));
    for (size_t i = 0; i < n; ++i)
        kLengthCode.Emit(b, symbols.lengths[i] == 0 ? 0 : symbols.lengths[i] + 2);
    PutShortLengths(b, distances.lengths, 4, false);
}

// A block header whose three codes each hold one symbol, read with no bits.
void SingleBlock(Bits& b, unsigned blockSize, unsigned symbol, unsigned distanceClass) {
    b.Put(16, blockSize);
    b.Put(5, 0), b.Put(5, 0);
    b.Put(9, 0), b.Put(9, symbol);
    b.Put(4, 0), b.Put(4, distanceClass);
}

std::string Decode(const std::vector<uint8_t>& stream, int32_t size, int64_t* consumed = nullptr) {
    TMemoryStream source(stream);
    TMemoryStream dest;
    TCompThreadSafety state;
    uint32_t checksum = 0;
    ProcessStream(state, {}, dest, source, static_cast<int32_t>(stream.size()), size, coLZH5,
                  checksum, true, false);
    if (consumed) *consumed = source.Position();
    return std::string(dest.Bytes().begin(), dest.Bytes().end());
}

unsigned Match(unsigned length) { return 256 + length - 3; }

TEST(LH5Decode, SingleSymbolCodesTakeNoBits) {
    Bits b;
    SingleBlock(b, 20, 'Q', 0);
    EXPECT_EQ(Decode(b.Done(), 7), "QQQQQQQ");
}

TEST(LH5Decode, DataBeforeTheFirstByteIsSpacesAndMatchesAreCutAtTheSize) {
    Bits b;
    SingleBlock(b, 5, Match(5), 3);  // distance class 3: 4 + 2 extra bits
    b.Put(2, 3);                     // distance 8
    const std::vector<uint8_t> stream = b.Done();
    EXPECT_EQ(Decode(stream, 5), "     ");
    EXPECT_EQ(Decode(stream, 2), "  ");
}

TEST(LH5Decode, CanonicalCodesWithTheSkipFieldOfTheLengthCode) {
    const Code symbols(Lengths(510, {{'a', 2}, {'b', 2}, {'c', 2}, {Match(4), 3}, {Match(3), 3}}));
    // Classes 0, 1 and 2 at lengths 1, 2, 2; class 2 carries one extra bit.
    const Code distances(Lengths(14, {{0, 1}, {1, 2}, {2, 2}}));
    Bits b;
    Block(b, 6, symbols, distances);
    for (char c : std::string("abc")) symbols.Emit(b, static_cast<unsigned>(c));
    symbols.Emit(b, Match(4)), distances.Emit(b, 2), b.Put(1, 0);  // distance 3: "abca"
    symbols.Emit(b, Match(3)), distances.Emit(b, 0);               // distance 1: "aaa"
    symbols.Emit(b, 'c');
    EXPECT_EQ(Decode(b.Done(), 11), "abcabcaaaac");
}

TEST(LH5Decode, LongLengthFieldsAndLongCodes) {
    // Distance lengths 7 and 8 use the run-of-ones field; class 8 has 7 extra bits.
    const Code distances(
        Lengths(14, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 8}, {8, 8}}));
    // 256 literals at length 8 would fill the code; give two of them 16-bit codes.
    std::vector<unsigned> lengths(510, 0);
    for (unsigned s = 0; s < 255; ++s) lengths[s] = 8;
    for (unsigned len = 9; len <= 16; ++len) lengths[Match(len - 6)] = len;
    lengths[Match(11)] = 16;
    const Code symbols(lengths);
    Bits b;
    Block(b, 4, symbols, distances);
    symbols.Emit(b, 'x');
    symbols.Emit(b, Match(11)), distances.Emit(b, 8), b.Put(7, 0);  // distance 129: spaces
    symbols.Emit(b, Match(10)), distances.Emit(b, 0);               // distance 1
    symbols.Emit(b, 'y');
    EXPECT_EQ(Decode(b.Done(), 23), "x" + std::string(11, ' ') + std::string(10, ' ') + "y");
}

TEST(LH5Decode, StoredBlockSizeZeroCoversAFullCounter) {
    Bits b;
    SingleBlock(b, 0, 'x', 0);
    SingleBlock(b, 1, 'y', 0);
    const std::string out = Decode(b.Done(), 65537);
    ASSERT_EQ(out.size(), 65537u);
    EXPECT_EQ(out.find_first_not_of('x'), 65536u);
    EXPECT_EQ(out.back(), 'y');
}

TEST(LH5Decode, SizeZeroReadsNothing) {
    Bits b;
    SingleBlock(b, 1, 'x', 0);
    int64_t consumed = -1;
    EXPECT_EQ(Decode(b.Done(), 0, &consumed), "");
    EXPECT_EQ(consumed, 0);
}

TEST(LH5Decode, InputThatEndsBeforeTheSizeIsADataError) {
    const Code symbols(Lengths(510, {{'a', 1}, {'b', 1}}));
    const Code distances(Lengths(14, {{0, 1}, {1, 1}}));
    Bits b;
    Block(b, 100, symbols, distances);
    symbols.Emit(b, 'b');
    const std::vector<uint8_t> stream = b.Done();
    // The zero bits that fill the last byte are input ('a' each); the ones after it are not.
    int32_t size = 1;
    for (;; ++size) {
        try {
            EXPECT_EQ(Decode(stream, size), "b" + std::string(static_cast<size_t>(size - 1), 'a'));
        } catch (const EDataError&) {
            break;
        }
    }
    EXPECT_GE(size, 2);
    EXPECT_LE(size, 9);
    EXPECT_THROW(Decode({}, 1), EDataError);
}

// The start of a one-symbol block, up to the count of symbol lengths.
void StartBlock(Bits& b) {
    b.Put(16, 1);
    PutShortLengths(b, kLengthCode.lengths, 5, true);
}

// Each of these streams describes codes the decoder cannot use.
void ExpectRefused(std::vector<uint8_t> stream, const char* what) {
    try {
        Decode(stream, 100);
        ADD_FAILURE() << what << ": decoded";
    } catch (const ELZHBadDecodeTable& e) {
        EXPECT_STREQ(e.what(), "Bad decode table in archive!") << what;
    }
}

TEST(LH5Decode, RefusesUnusableCodes) {
    const Code someSymbols(Lengths(510, {{'a', 1}, {'b', 1}}));
    const Code oneDistance(Lengths(14, {{0, 1}}));       // incomplete
    {
        Bits b;
        Block(b, 1, someSymbols, oneDistance);
        ExpectRefused(b.Done(), "incomplete distance code");
    }
    {
        Bits b;
        StartBlock(b);
        b.Put(9, 4);
        for (int i = 0; i < 4; ++i) kLengthCode.Emit(b, 3);  // four codes of length 1: twice full
        ExpectRefused(b.Done(), "over-full symbol code");
    }
    {
        Bits b;
        StartBlock(b);
        b.Put(9, 2);
        kLengthCode.Emit(b, 3), kLengthCode.Emit(b, 3);
        b.Put(4, 5);  // five distance lengths, 1 1 1 2 2: a multiple of a full code
        for (unsigned len : {1, 1, 1, 2, 2}) PutShortLength(b, len);
        ExpectRefused(b.Done(), "over-full distance code");
    }
    {
        Bits b;
        StartBlock(b);
        b.Put(9, 2);
        kLengthCode.Emit(b, 3), kLengthCode.Emit(b, 3);
        b.Put(4, 3);
        for (int i = 0; i < 3; ++i) PutShortLength(b, 0);  // lengths sent, all of them 0
        ExpectRefused(b.Done(), "all-zero distance code");
    }
}

TEST(LH5Decode, RefusesValuesOutsideTheTables) {
    {
        Bits b;
        SingleBlock(b, 1, 510, 0);
        ExpectRefused(b.Done(), "single symbol 510");
    }
    {
        Bits b;
        SingleBlock(b, 1, 'a', 14);
        ExpectRefused(b.Done(), "single distance class 14");
    }
    {
        Bits b;
        b.Put(16, 1), b.Put(5, 0), b.Put(5, 19);
        ExpectRefused(b.Done(), "single length-code symbol 19");
    }
    {
        Bits b;
        StartBlock(b);
        b.Put(9, 511);
        ExpectRefused(b.Done(), "511 symbol lengths");
    }
    {
        // A zero run of 531 from symbol 0 on: the symbol code has only 510 entries.
        const Code runs(Lengths(19, {{0, 1}, {2, 2}, {3, 2}}));
        Bits b;
        b.Put(16, 1);
        PutShortLengths(b, runs.lengths, 5, true);
        b.Put(9, 510);
        runs.Emit(b, 2), b.Put(9, 511);
        ExpectRefused(b.Done(), "zero run past the symbol code");
    }
    {
        // A length-code length of 17: "111" and ten ones.
        Bits b;
        b.Put(16, 1), b.Put(5, 1), b.Put(3, 7);
        for (int i = 0; i < 10; ++i) b.Put(1, 1);
        b.Put(1, 0);
        ExpectRefused(b.Done(), "code length 17");
    }
}

}  // namespace
}  // namespace zov::compress
