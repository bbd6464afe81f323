#pragma once
// Reads a codec's input as a bit stream, most significant bit first, one byte at a time
// through the runner's ReadSourceByte. Once the input is exhausted the buffer is topped up
// with zero bits so that look-ahead stays simple, but consuming one of them means the stream
// needs more input than it has: that raises EDataError at once.
#include <cstdint>

#include "compress/codec_runner.h"
#include "compress/codecs.h"

namespace zov::compress {

class TBitReader {
public:
    // The widest read a caller may make after one Fill.
    static constexpr unsigned kMinAfterFill = 57;

    explicit TBitReader(TCompThreadSafety& state) : state_(state) {}

    // Tops the buffer up to at least kMinAfterFill bits.
    void Fill() {
        while (count_ <= 56) {
            const uint8_t b = state_.EndOfInput ? 0 : state_.ReadSourceByte();
            if (state_.EndOfInput) padding_ += 8;
            buffer_ |= static_cast<uint64_t>(b) << (56 - count_);
            count_ += 8;
        }
    }
    // Makes sure n bits are buffered.
    void Need(unsigned n) {
        if (count_ < n) Fill();
    }

    // The next n bits (1..32) without consuming them; they must be buffered.
    uint32_t Peek(unsigned n) const { return static_cast<uint32_t>(buffer_ >> (64 - n)); }
    void Consume(unsigned n) {
        if (n + padding_ > count_) RaiseDataEnded();
        buffer_ <<= n;
        count_ -= n;
    }
    // The next n bits (0..32) as an unsigned number.
    uint32_t Take(unsigned n) {
        if (n == 0) return 0;
        Need(n);
        const uint32_t v = Peek(n);
        Consume(n);
        return v;
    }

private:
    TCompThreadSafety& state_;
    uint64_t buffer_ = 0;  // left-aligned: the next bit is bit 63
    unsigned count_ = 0;   // valid bits in buffer_
    unsigned padding_ = 0; // of them, zero bits added after the end of the input
};

}  // namespace zov::compress
