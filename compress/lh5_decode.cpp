// The -lh5- decoder: blocks of literals and matches, each block with its own three
// canonical Huffman codes, over an 8192-byte window that starts filled with spaces. The
// reader is filled once per symbol; that Fill also finds a read past the end of the input.
#include <algorithm>
#include <cstring>
#include <memory>

#include "compress/bit_reader.h"
#include "compress/canonical_code.h"
#include "compress/codecs.h"
#include "compress/lh5_format.h"

namespace zov::compress {
namespace {

using namespace lh5;

constexpr unsigned kSymbolTableBits = 12;
constexpr unsigned kShortTableBits = 8;
// A 5-bit count may announce up to 31 lengths for a 19-symbol code; the surplus is read
// and ignored.
constexpr unsigned kMaxShortLengths = 32;
// A symbol, a distance class and its extra bits.
constexpr unsigned kBitsPerCode = 2 * kMaxCodeLength + (kWindowBits - 1);
constexpr unsigned kShortRunMask = (1u << 13) - 1;  // the 13 bits below a 3-bit length field

class TLH5Decoder {
public:
    explicit TLH5Decoder(TCompThreadSafety& state) : state_(state), bits_(state) {
        std::memset(window_, kWindowFill, kWindowSize);
    }

    // Decoded bytes collect behind the window's worth of history and go out a buffer at a
    // time; then the last window's worth moves to the front.
    void Run(int64_t size) {
        uint8_t* const start = window_ + kWindowSize;
        uint8_t* const flushAt = start + kOutputBytes;
        uint8_t* r = start;
        int64_t left = size;
        while (left > 0) {
            if (r >= flushAt) {
                state_.WriteDestBytes(start, static_cast<size_t>(r - start));
                std::memmove(window_, r - kWindowSize, kWindowSize);
                r = start;
            }
            bits_.Need(kBitsPerCode);
            const unsigned sym = DecodeSymbol();
            if (sym < kFirstLengthSymbol) {
                *r++ = static_cast<uint8_t>(sym);
                --left;
                continue;
            }
            // A match that runs past the expected size is cut there: the file ends.
            const unsigned length = static_cast<unsigned>(
                std::min<int64_t>(sym - kFirstLengthSymbol + kMinMatch, left));
            CopyMatch(r, DecodeDistance() + 1, length);
            r += length;
            left -= length;
        }
        bits_.CheckEnd();
        state_.WriteDestBytes(start, static_cast<size_t>(r - start));
    }

private:
    // At least kBitsPerCode bits must be buffered.
    unsigned DecodeSymbol() {
        if (blockLeft_ == 0) {
            ReadBlockHeader();
            bits_.Fill();
        }
        --blockLeft_;
        return symbols_.Decode(bits_);
    }

    // Distance minus one, 0..8191.
    uint32_t DecodeDistance() {
        const unsigned j = distances_.Decode(bits_);
        if (j <= 1) return j;
        const uint32_t extra = bits_.Peek(j - 1);
        bits_.Skip(j - 1);
        return (1u << (j - 1)) + extra;
    }

    // Copies `length` bytes from `distance` back, which may overlap the bytes it makes:
    // whole words when they do not, and then the copy may write up to 7 bytes too many.
    static void CopyMatch(uint8_t* to, uint32_t distance, unsigned length) {
        const uint8_t* from = to - distance;
        if (distance >= 8) {
            for (unsigned k = 0; k < length; k += 8) std::memcpy(to + k, from + k, 8);
            return;
        }
        for (unsigned k = 0; k < length; ++k) to[k] = from[k];
    }

    void ReadBlockHeader() {
        blockLeft_ = bits_.Take(16);
        if (blockLeft_ == 0) blockLeft_ = 65536;
        ReadShortLengths(lengthCode_, kLengthCountBits, kLengthCodeSkipAfter);
        ReadSymbolLengths();
        ReadShortLengths(distances_, kDistanceCountBits, 0);
    }

    // A count of 0 announces a code of one symbol, read with no bits; the symbol follows.
    template <unsigned kCount, unsigned kBits>
    bool ReadSingleSymbolCode(TCanonicalCode<kCount, kBits>& code, unsigned count, unsigned width) {
        if (count != 0) return false;
        const unsigned only = bits_.Take(width);
        if (only >= kCount) RaiseBadDecodeTable();
        code.SetSingle(static_cast<uint16_t>(only));
        return true;
    }

    // The lengths of a small code: 3 bits each, 7 extended by a run of one bits.
    // `skipAfter` > 0: after that many lengths, 2 bits give 0..3 further zero lengths.
    template <unsigned kCount>
    void ReadShortLengths(TCanonicalCode<kCount, kShortTableBits>& code, unsigned width,
                          unsigned skipAfter) {
        const unsigned n = bits_.Take(width);
        if (ReadSingleSymbolCode(code, n, width)) return;
        uint8_t lengths[kMaxShortLengths] = {};
        unsigned i = 0;
        while (i < n) {
            bits_.Need(20);
            unsigned v = bits_.Peek(3);
            if (v < 7) {
                bits_.Consume(3);
            } else {
                const uint32_t below = bits_.Peek(16) & kShortRunMask;
                for (uint32_t bit = 1u << 12; bit & below; bit >>= 1) ++v;
                bits_.Consume(v - 3);
            }
            lengths[i++] = static_cast<uint8_t>(v);
            if (i == skipAfter)
                for (unsigned z = bits_.Take(2); z > 0; --z) lengths[i++] = 0;
        }
        code.BuildLookupTable(lengths);
    }

    // The symbol code's lengths, coded with the length code: 0 one zero, 1 and 2 runs of
    // zeros (3..18, 20..531), 3..18 a length of 1..16.
    void ReadSymbolLengths() {
        const unsigned n = bits_.Take(kSymbolCountBits);
        if (ReadSingleSymbolCode(symbols_, n, kSymbolCountBits)) return;
        if (n > kSymbolCount) RaiseBadDecodeTable();
        uint8_t lengths[kSymbolCount] = {};
        unsigned i = 0;
        while (i < n) {
            bits_.Need(kMaxCodeLength + 9);
            const unsigned c = lengthCode_.Decode(bits_);
            unsigned zeros;
            if (c == 0) {
                zeros = 1;
            } else if (c == 1) {
                zeros = bits_.Take(4) + 3;
            } else if (c == 2) {
                zeros = bits_.Take(9) + 20;
            } else {
                lengths[i++] = static_cast<uint8_t>(c - 2);
                continue;
            }
            if (zeros > kSymbolCount - i) RaiseBadDecodeTable();
            i += zeros;
        }
        symbols_.BuildLookupTable(lengths);
    }

    TCompThreadSafety& state_;
    TBitReader bits_;
    uint32_t blockLeft_ = 0;  // symbols left in the current block
    TCanonicalCode<kSymbolCount, kSymbolTableBits> symbols_;
    TCanonicalCode<kLengthCodeCount, kShortTableBits> lengthCode_;
    TCanonicalCode<kDistanceCodeCount, kShortTableBits> distances_;
    static constexpr unsigned kOutputBytes = 1u << 16;
    // The history, the output buffer and room for the longest match and a word's overrun.
    uint8_t window_[kWindowSize + kOutputBytes + kMaxMatch + 8];
};

}  // namespace

void LH5Decode(TCompThreadSafety& s, int32_t uncompressedSize) {
    if (uncompressedSize <= 0) return;
    auto decoder = std::make_unique<TLH5Decoder>(s);
    decoder->Run(uncompressedSize);
}

}  // namespace zov::compress
