#pragma once
// An output bit stream, most significant bit first, written through the runner's
// WriteDestByte. Bits wait in a 32-bit word until a whole byte is ready.
#include <cstdint>

#include "compress/codec_runner.h"

namespace zov::compress {

class TBitWriter {
public:
    explicit TBitWriter(TCompThreadSafety& state) : state_(state) {}

    // The top n bits (n <= 16) of a 16-bit word whose lower 16 - n bits are 0.
    void WriteTopBits(int n, uint16_t word) {
        pending_ |= static_cast<uint32_t>(word) << (16 - count_);
        count_ += n;
        while (count_ >= 8) {
            state_.WriteDestByte(static_cast<uint8_t>(pending_ >> 24));
            pending_ <<= 8;
            count_ -= 8;
        }
    }

    // The low n bits (1 <= n <= 16) of a value.
    void WriteLowBits(int n, uint32_t value) {
        WriteTopBits(n, static_cast<uint16_t>(value << (16 - n)));
    }

    // Writes a partly filled last byte, padded with zero bits.
    void FlushPartialByte() {
        if (count_ > 0) state_.WriteDestByte(static_cast<uint8_t>(pending_ >> 24));
        pending_ = 0;
        count_ = 0;
    }

private:
    TCompThreadSafety& state_;
    uint32_t pending_ = 0;  // waiting bits, left-aligned
    int count_ = 0;         // 0..7 between calls
};

}  // namespace zov::compress
