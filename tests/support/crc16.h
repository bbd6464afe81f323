#pragma once
// CRC-16 as LHA archives carry it: polynomial 0xA001 (reflected 0x8005), initial value 0.
#include <cstddef>
#include <cstdint>

namespace zov::test {

inline uint16_t Crc16(const uint8_t* data, size_t size, uint16_t crc = 0) {
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

}  // namespace zov::test
