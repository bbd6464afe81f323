// LZHEncode and LZHDecode: the LZH method's two directions.
#include "compress/lzh.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "compress/bit_reader.h"
#include "compress/bit_writer.h"
#include "compress/codecs.h"
#include "compress/lzh_adaptive_code.h"
#include "compress/lzh_code_reader.h"
#include "compress/lzh_distance_code.h"
#include "compress/lzh_match_trees.h"

namespace zov::compress {
namespace {
using namespace lzh;

struct TLzhEncoder {
    explicit TLzhEncoder(TCompThreadSafety& s) : state(s), bits(s) {}

    void AppendCode(int n, uint16_t code) { bits.WriteTopBits(n, code); }
    void FlushCodeBits() { bits.FlushPartialByte(); }

    void EmitSymbol(int s) {
        uint32_t code = 0;
        int length = adaptive.CodeOf(s, code);
        if (length > 16) {
            AppendCode(16, static_cast<uint16_t>(code >> (length - 16)));
            length -= 16;
        }
        AppendCode(length, static_cast<uint16_t>(code << (16 - length)));
        adaptive.BumpSymbol(s);
    }

    void EmitDistance(int p) {
        const int upper = p >> 6;
        AppendCode(kDistanceCode.length[upper], static_cast<uint16_t>(kDistanceCode.code[upper] << 8));
        AppendCode(6, static_cast<uint16_t>((p & 63) << 10));
    }

    // Reads the next source byte into `b`; false, for good, once the input has ended.
    bool NextByte(uint8_t& b) {
        if (ended) return false;
        b = state.ReadSourceByte();
        ended = state.EndOfInput;
        return !ended;
    }

    void Run();

    TCompThreadSafety& state;
    TBitWriter bits;
    TAdaptiveCode adaptive;
    TLzhMatchTrees trees;
    bool ended = false;
};

void TLzhEncoder::Run() {
    adaptive.ResetAdaptiveCode();
    trees.ClearMatchTrees();
    uint8_t* window = trees.window;
    std::memset(window, kSpace, kFirstDataPos);
    int s = 0;
    int r = kFirstDataPos;
    int len = 0;
    uint8_t b = 0;
    while (len < kLookahead && NextByte(b)) window[r + len++] = b;
    if (len == 0) return;
    for (int k = 1; k <= kLookahead; ++k) trees.AddString(r - k);
    trees.AddString(r);
    while (len > 0) {
        if (trees.matchLength > len) trees.matchLength = len;
        if (trees.matchLength <= kThreshold) {
            trees.matchLength = 1;
            EmitSymbol(window[r]);
        } else {
            EmitSymbol(MatchSymbol(trees.matchLength));
            EmitDistance(trees.matchPosition);
        }
        const int last = trees.matchLength;
        int i = 0;
        for (; i < last && NextByte(b); ++i) {
            trees.RemoveString(s);
            window[s] = b;
            if (s < kLookahead - 1) window[s + kWindowSize] = b;
            s = (s + 1) & (kWindowSize - 1);
            r = (r + 1) & (kWindowSize - 1);
            trees.AddString(r);
        }
        for (; i < last; ++i) {
            trees.RemoveString(s);
            s = (s + 1) & (kWindowSize - 1);
            r = (r + 1) & (kWindowSize - 1);
            if (--len > 0) trees.AddString(r);
        }
    }
    FlushCodeBits();
}

}  // namespace

void LZHEncode(TCompThreadSafety& s) {
    auto encoder = std::make_unique<TLzhEncoder>(s);
    encoder->Run();
}

void LZHDecode(TCompThreadSafety& s, int32_t uncompressedSize) {
    if (uncompressedSize <= 0) return;
    struct Decoder {
        explicit Decoder(TCompThreadSafety& state) : bits(state), codes(bits) {}
        TBitReader bits;  // raises once the stream needs bits past its end
        TLzhCodeReader<TBitReader> codes;
        uint8_t window[kWindowSize] = {};
    };
    auto d = std::make_unique<Decoder>(s);
    uint8_t* window = d->window;
    std::memset(window, kSpace, kFirstDataPos);
    int r = kFirstDataPos;
    int32_t produced = 0;
    while (produced < uncompressedSize) {
        const int c = d->codes.ReadSymbol();
        if (c < 256) {
            s.WriteDestByte(static_cast<uint8_t>(c));
            window[r] = static_cast<uint8_t>(c);
            r = (r + 1) & (kWindowSize - 1);
            ++produced;
            continue;
        }
        const int p = d->codes.ReadDistance();
        const int from = (r - p - 1) & (kWindowSize - 1);
        const int length = std::min(MatchLength(c), uncompressedSize - produced);  // cut at the end
        for (int k = 0; k < length; ++k) {
            const uint8_t b = window[(from + k) & (kWindowSize - 1)];
            s.WriteDestByte(b);
            window[r] = b;
            r = (r + 1) & (kWindowSize - 1);
        }
        produced += length;
    }
}

}  // namespace zov::compress
