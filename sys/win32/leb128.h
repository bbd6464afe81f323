#pragma once
// LEB128 numbers, as unwind records, handler tables and the compact unwind table store them:
// seven bits a byte, the lowest first, the top bit set on every byte but the last. One reader
// serves the run-time of the programs on the medium and tools/unwind_table.
#include <cstdint>

namespace zov::runtime {

// `next()` gives the number's bytes in turn. Bits beyond 32 are dropped: every number these
// tables hold fits in 32. A signed number takes its sign from bit 6 of its last byte.
template <typename NextByte>
uint32_t ReadLeb128(NextByte&& next, bool isSigned) {
    uint32_t value = 0;
    unsigned shift = 0;
    unsigned char byte;
    do {
        byte = next();
        if (shift < 32) value |= static_cast<uint32_t>(byte & 0x7f) << shift;
        shift += 7;
    } while (byte & 0x80);
    if (isSigned && shift < 32 && (byte & 0x40)) value |= ~uint32_t{0} << shift;
    return value;
}

// From the program's own tables, which need no bounds.
uint32_t ReadUleb128(const unsigned char*& p);
int32_t ReadSleb128(const unsigned char*& p);

}  // namespace zov::runtime
