#include "compress/crc32.h"

namespace zov::compress {

namespace {

#ifdef ZOV_SMALL_CODECS
constexpr int kTables = 1;
#else
constexpr int kTables = 8;
#endif

// table[k][n]: the CRC of byte n followed by k zero bytes. Made on first use (and only once
// when threads share it).
struct TCrcTables {
    uint32_t table[kTables][256];
    TCrcTables() {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[0][n] = c;
        }
        for (int k = 1; k < kTables; ++k)
            for (uint32_t n = 0; n < 256; ++n)
                table[k][n] = table[0][table[k - 1][n] & 0xFF] ^ (table[k - 1][n] >> 8);
    }
};

}  // namespace

uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size) {
    static const TCrcTables tables;
    const uint32_t (*t)[256] = tables.table;
    crc = ~crc;
#ifndef ZOV_SMALL_CODECS
    for (; size >= 8; size -= 8, data += 8) {
        const uint32_t lo = crc ^ (data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24);
        crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
              t[3][data[4]] ^ t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]];
    }
#endif
    for (; size > 0; --size) crc = t[0][(crc ^ *data++) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

}  // namespace zov::compress
