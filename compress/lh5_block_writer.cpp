#include "compress/lh5_block_writer.h"

#include <algorithm>

namespace zov::compress::lh5enc {

void TLh5BlockWriter::QueueCode(int ch, int p) {
    outputMask_ >>= 1;
    if (outputMask_ == 0) {
        // Every eighth code starts a new flag byte; bit 7 flags the first code's match.
        outputMask_ = 0x80;
        if (outputPos_ >= kFlushAt) {
            FlushBlock();
            outputPos_ = 0;
        }
        flagPos_ = outputPos_;
        codeBuffer_[outputPos_++] = 0;
    }
    codeBuffer_[outputPos_++] = static_cast<uint8_t>(ch);
    ++symbolFreq_[ch];
    if (ch >= 256) {
        codeBuffer_[flagPos_] = static_cast<uint8_t>(codeBuffer_[flagPos_] | outputMask_);
        codeBuffer_[outputPos_++] = static_cast<uint8_t>(p >> 8);
        codeBuffer_[outputPos_++] = static_cast<uint8_t>(p);
        ++distanceFreq_[SignificantBits(static_cast<unsigned>(p))];
    }
}

void TLh5BlockWriter::FlushBlock() {
    const int root = huffman_.BuildHuffman(kSymbolCodeSize, symbolFreq_, symbolLengths_, symbolCodes_);
    const int size = symbolFreq_[root];
    bits_.WriteLowBits(16, static_cast<uint32_t>(size));  // 0 would stand for 65536
    if (root >= kSymbolCodeSize) {
        CountLengthCodes();
        const int t = huffman_.BuildHuffman(kLengthCodeSize, lengthFreq_, shortLengths_, shortCodes_);
        if (t >= kLengthCodeSize) {
            WriteShortLengths(kLengthCodeSize, kLengthCountBits, kLengthCodeSkipAfter);
        } else {
            bits_.WriteLowBits(kLengthCountBits, 0);
            bits_.WriteLowBits(kLengthCountBits, static_cast<uint32_t>(t));
        }
        WriteSymbolLengths();
    } else {
        bits_.WriteLowBits(kLengthCountBits, 0);
        bits_.WriteLowBits(kLengthCountBits, 0);
        bits_.WriteLowBits(kSymbolCountBits, 0);
        bits_.WriteLowBits(kSymbolCountBits, static_cast<uint32_t>(root));
    }
    const int d = huffman_.BuildHuffman(kDistanceCodeSize, distanceFreq_, shortLengths_, shortCodes_);
    if (d >= kDistanceCodeSize) {
        WriteShortLengths(kDistanceCodeSize, kDistanceCountBits, -1);
    } else {
        bits_.WriteLowBits(kDistanceCountBits, 0);
        bits_.WriteLowBits(kDistanceCountBits, static_cast<uint32_t>(d));
    }

    int pos = 0;
    unsigned flags = 0;
    for (int i = 0; i < size; ++i) {
        if (i % 8 == 0)
            flags = codeBuffer_[pos++];
        else
            flags <<= 1;
        if (flags & 0x80) {
            EmitSymbolCode(codeBuffer_[pos++] + 256);
            const int p = (codeBuffer_[pos] << 8) | codeBuffer_[pos + 1];
            pos += 2;
            EmitDistanceCode(p);
        } else {
            EmitSymbolCode(codeBuffer_[pos++]);
        }
    }
    std::fill_n(symbolFreq_, kSymbolCodeSize, 0);
    std::fill_n(distanceFreq_, kDistanceCodeSize, 0);
    haveCodes_ = true;
}

bool TLh5BlockWriter::MatchPays(int ch, int p, const uint8_t* bytes) const {
    if (!haveCodes_) return true;
    // A symbol the block did not use is priced as a long code.
    const auto bits = [](int length) { return length != 0 ? length : kMaxCodeLength; };
    const int length = ch - kMatchSymbolBase;
    int literals = 0;
    for (int k = 0; k < length; ++k) literals += bits(symbolLengths_[bytes[k]]);
    const int b = SignificantBits(static_cast<unsigned>(p));
    const int match = bits(symbolLengths_[ch]) + bits(shortLengths_[b]) + (b > 1 ? b - 1 : 0);
    return match <= literals;
}

template <class OnLength, class OnZeros>
void TLh5BlockWriter::ScanSymbolLengths(OnLength onLength, OnZeros onZeros) {
    int n = kSymbolCodeSize;
    while (n > 0 && symbolLengths_[n - 1] == 0) --n;
    int i = 0;
    while (i < n) {
        const int k = symbolLengths_[i++];
        if (k != 0) {
            onLength(k);
            continue;
        }
        int run = 1;
        while (i < n && symbolLengths_[i] == 0) {
            ++i;
            ++run;
        }
        onZeros(run);
    }
}

// Length-code symbols: 0 one zero length, 1 a run of 3..18 (4 more bits), 2 a run of
// 20.. (9 more bits), k + 2 a length k.
void TLh5BlockWriter::CountLengthCodes() {
    std::fill_n(lengthFreq_, kLengthCodeSize, 0);
    ScanSymbolLengths([this](int k) { ++lengthFreq_[k + 2]; },
                      [this](int run) {
                          if (run <= 2) {
                              lengthFreq_[0] = static_cast<uint16_t>(lengthFreq_[0] + run);
                          } else if (run <= 18) {
                              ++lengthFreq_[1];
                          } else if (run == 19) {
                              ++lengthFreq_[0];
                              ++lengthFreq_[1];
                          } else {
                              ++lengthFreq_[2];
                          }
                      });
}

void TLh5BlockWriter::WriteSymbolLengths() {
    int n = kSymbolCodeSize;
    while (n > 0 && symbolLengths_[n - 1] == 0) --n;
    bits_.WriteLowBits(kSymbolCountBits, static_cast<uint32_t>(n));
    const auto emit = [this](int symbol) { bits_.WriteTopBits(shortLengths_[symbol], shortCodes_[symbol]); };
    ScanSymbolLengths([&](int k) { emit(k + 2); },
                      [&](int run) {
                          if (run <= 2) {
                              for (int i = 0; i < run; ++i) emit(0);
                          } else if (run <= 18) {
                              emit(1);
                              bits_.WriteLowBits(4, static_cast<uint32_t>(run - 3));
                          } else if (run == 19) {
                              emit(0);
                              emit(1);
                              bits_.WriteLowBits(4, 15);
                          } else {
                              emit(2);
                              bits_.WriteLowBits(9, static_cast<uint32_t>(run - 20));
                          }
                      });
}

void TLh5BlockWriter::WriteShortLengths(int n, int width, int special) {
    while (n > 0 && shortLengths_[n - 1] == 0) --n;
    bits_.WriteLowBits(width, static_cast<uint32_t>(n));
    int i = 0;
    while (i < n) {
        const int k = shortLengths_[i++];
        if (k <= 6)
            bits_.WriteLowBits(3, static_cast<uint32_t>(k));
        else  // k - 4 one bits and a zero bit
            bits_.WriteLowBits(k - 3, (1u << (k - 3)) - 2);
        if (i == special) {
            while (i < 6 && shortLengths_[i] == 0) ++i;
            bits_.WriteLowBits(2, static_cast<uint32_t>(i - special));
        }
    }
}

void TLh5BlockWriter::EmitDistanceCode(int p) {
    const int b = SignificantBits(static_cast<unsigned>(p));
    bits_.WriteTopBits(shortLengths_[b], shortCodes_[b]);
    if (b > 1) bits_.WriteLowBits(b - 1, static_cast<uint32_t>(p));
}

}  // namespace zov::compress::lh5enc
