#pragma once
// A canonical prefix code rebuilt from its code lengths: codes are handed out in order of
// length and, within one length, in order of symbol. Decoding takes one lookup on the next
// kTableBits bits; the rare longer codes are found from the first code of each length.
#include <cstdint>

#include "compress/bit_reader.h"
#include "compress/codecs.h"

namespace zov::compress {

constexpr unsigned kMaxCodeLength = 16;

[[noreturn]] inline void RaiseBadDecodeTable() {
    throw ELZHBadDecodeTable("Bad decode table in archive!");
}

template <unsigned kSymbols, unsigned kTableBits>
class TCanonicalCode {
    static_assert(kTableBits >= 1 && kTableBits <= kMaxCodeLength);
    static_assert(kSymbols < 2048, "symbols share a table entry with a 5-bit length");

public:
    // lengths[0..kSymbols) are 0 (symbol absent) or 1..16. Only a complete code is accepted:
    // an incomplete or over-full set, or a length above 16, raises ELZHBadDecodeTable.
    void BuildLookupTable(const uint8_t* lengths) {
        uint32_t count[kMaxCodeLength + 1] = {};
        for (unsigned s = 0; s < kSymbols; ++s) {
            if (lengths[s] > kMaxCodeLength) RaiseBadDecodeTable();
            ++count[lengths[s]];
        }
        uint32_t kraft = 0;  // in units of 2^-16
        for (unsigned len = 1; len <= kMaxCodeLength; ++len)
            kraft += count[len] << (kMaxCodeLength - len);
        if (kraft != 1u << kMaxCodeLength) RaiseBadDecodeTable();

        uint32_t next[kMaxCodeLength + 1] = {};
        uint32_t code = 0, offset = 0;
        for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
            first_[len] = code;
            count_[len] = count[len];
            offset_[len] = offset;
            next[len] = code;
            offset += count[len];
            code = (code + count[len]) << 1;
        }
        for (unsigned s = 0; s < kSymbols; ++s) {
            const unsigned len = lengths[s];
            if (len == 0) continue;
            const uint32_t c = next[len]++;
            sorted_[offset_[len] + (c - first_[len])] = static_cast<uint16_t>(s);
            if (len <= kTableBits) {
                const uint32_t from = c << (kTableBits - len);
                const uint32_t span = 1u << (kTableBits - len);
                const uint16_t entry = static_cast<uint16_t>(s << kLenBits | len);
                for (uint32_t i = 0; i < span; ++i) table_[from + i] = entry;
            } else {
                table_[c >> (len - kTableBits)] = kLongCode;
            }
        }
    }

    // A code of one symbol that is read with no bits at all.
    void SetSingle(uint16_t symbol) {
        const uint16_t entry = static_cast<uint16_t>(symbol << kLenBits);
        for (uint16_t& e : table_) e = entry;
    }

    // The next symbol; at least 16 bits must be buffered. Bits past the end of the input are
    // found by the reader's next Fill or CheckEnd.
    uint16_t Decode(TBitReader& bits) const {
        const uint16_t entry = table_[bits.Peek(kTableBits)];
        const unsigned len = entry & kLenMask;
        if (len == kLongCode) return DecodeLong(bits);
        bits.Skip(len);
        return static_cast<uint16_t>(entry >> kLenBits);
    }

private:
    static constexpr unsigned kLenBits = 5;
    static constexpr uint16_t kLenMask = (1u << kLenBits) - 1;
    static constexpr uint16_t kLongCode = kLenMask;  // the entry is the prefix of longer codes

    uint16_t DecodeLong(TBitReader& bits) const {
        const uint32_t window = bits.Peek(kMaxCodeLength);
        for (unsigned len = kTableBits + 1; len <= kMaxCodeLength; ++len) {
            const uint32_t index = (window >> (kMaxCodeLength - len)) - first_[len];
            if (index < count_[len]) {
                bits.Skip(len);
                return sorted_[offset_[len] + index];
            }
        }
        return sorted_[0];  // not reached: the code is complete
    }

    uint16_t table_[1u << kTableBits] = {};
    uint16_t sorted_[kSymbols] = {};  // symbols in code order
    uint32_t first_[kMaxCodeLength + 1] = {};
    uint32_t count_[kMaxCodeLength + 1] = {};
    uint32_t offset_[kMaxCodeLength + 1] = {};
};

}  // namespace zov::compress
