#pragma once
// Reads a codec's input as a bit stream, most significant bit first, through the runner's
// input buffer: a word at a time where eight bytes are waiting, else byte by byte through
// ReadSourceByte. Once the input is exhausted the buffer is topped up with zero bits so that
// look-ahead stays simple, but consuming one of them means the stream needs more input than
// it has: that raises EDataError, at once for Take and Consume, at the next Fill or
// CheckEnd for Skip.
#include <bit>
#include <cstdint>
#include <cstring>

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
        if (count_ < kMinAfterFill) Refill();
    }
    // Makes sure n bits are buffered.
    void Need(unsigned n) {
        if (count_ < n) Refill();
    }
    // Raises EDataError when bits after the end of the input were consumed.
    void CheckEnd() const {
        if (padding_ > count_) RaiseDataEnded();
    }

    // The next n bits (1..32) without consuming them; they must be buffered.
    uint32_t Peek(unsigned n) const { return static_cast<uint32_t>(buffer_ >> (64 - n)); }
    void Consume(unsigned n) {
        if (n + padding_ > count_) RaiseDataEnded();
        Skip(n);
    }
    // Consume without the end test, for n bits that are buffered; the test follows later.
    void Skip(unsigned n) {
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
    void Refill() {
        CheckEnd();
        if (state_.InEnd - state_.InCursor >= 8 && !state_.UnscrambleInput) {
            FillWord();
            return;
        }
        while (count_ <= 56) {
            const uint8_t b = state_.EndOfInput ? 0 : state_.ReadSourceByte();
            if (state_.EndOfInput) padding_ += 8;
            buffer_ |= static_cast<uint64_t>(b) << (56 - count_);
            count_ += 8;
        }
    }
    // As many whole bytes as fit, from eight that are waiting in the input buffer.
    void FillWord() {
        const uint8_t* in = state_.InCursor;
        uint64_t word;
        std::memcpy(&word, in, 8);
        if constexpr (std::endian::native == std::endian::little) word = ByteSwap(word);
        const unsigned bytes = (64 - count_) / 8;
        uint32_t sum = 0;
        for (unsigned i = 0; i < bytes; ++i) sum += in[i];
        state_.SourceSum += sum;
        state_.InCursor += bytes;
        word >>= count_;
        count_ += 8 * bytes;
        if (count_ < 64) word &= ~(~uint64_t{0} >> count_);
        buffer_ |= word;
    }

    static uint64_t ByteSwap(uint64_t v) {
#if defined(__GNUC__)
        return __builtin_bswap64(v);
#else
        uint64_t r = 0;
        for (int i = 0; i < 8; ++i, v >>= 8) r = r << 8 | (v & 0xFF);
        return r;
#endif
    }

    TCompThreadSafety& state_;
    uint64_t buffer_ = 0;  // left-aligned: the next bit is bit 63
    unsigned count_ = 0;   // valid bits in buffer_
    unsigned padding_ = 0; // of them, zero bits added after the end of the input
};

}  // namespace zov::compress
