#pragma once
// Collects the codes of one -lh5- block and writes the block: its symbol count, the three
// Huffman codes as code lengths, then the codes themselves.
#include <cstdint>

#include "compress/bit_writer.h"
#include "compress/codec_runner.h"
#include "compress/lh5_encode.h"
#include "compress/lh5_huffman.h"

namespace zov::compress::lh5enc {

class TLh5BlockWriter {
public:
    explicit TLh5BlockWriter(TCompThreadSafety& state) : bits_(state) {}

    // A literal (ch < 256, p unused) or a match (ch = length + 253, p = distance - 1).
    void QueueCode(int ch, int p);
    void FlushBlock();
    // Whether the previous block's codes would spend fewer bits on the match (ch as for
    // QueueCode) than on literals for its bytes; before the first block, always.
    bool MatchPays(int ch, int p, const uint8_t* bytes) const;
    // Completes and writes a partly filled last byte.
    void Finish() { bits_.WriteLowBits(7, 0); }

private:
    static constexpr int kBufferSize = 16384;
    static constexpr int kFlushAt = kBufferSize - 24;  // room for a flag byte and 8 matches

    void CountLengthCodes();
    void WriteShortLengths(int n, int width, int special);
    void WriteSymbolLengths();
    void EmitSymbolCode(int ch) { bits_.WriteTopBits(symbolLengths_[ch], symbolCodes_[ch]); }
    void EmitDistanceCode(int p);
    // Walks the symbol lengths up to the last non-zero one: onLength(k) for a length,
    // onZeros(r) for a run of r zero lengths.
    template <class OnLength, class OnZeros>
    void ScanSymbolLengths(OnLength onLength, OnZeros onZeros);

    TBitWriter bits_;
    THuffmanBuilder huffman_;
    uint8_t codeBuffer_[kBufferSize + 1] = {};
    int outputPos_ = 0;
    int outputMask_ = 0;
    int flagPos_ = 0;
    bool haveCodes_ = false;  // a block was written: its code lengths are known
    uint16_t symbolFreq_[2 * kSymbolCodeSize] = {};
    uint8_t symbolLengths_[kSymbolCodeSize + 1] = {};
    uint16_t symbolCodes_[kSymbolCodeSize + 1] = {};
    uint16_t distanceFreq_[2 * kDistanceCodeSize - 1] = {};
    uint16_t lengthFreq_[2 * kLengthCodeSize] = {};
    // Lengths and codes of the length code, later of the distance code.
    uint8_t shortLengths_[kLengthCodeSize] = {};
    uint16_t shortCodes_[kLengthCodeSize] = {};
};

}  // namespace zov::compress::lh5enc
