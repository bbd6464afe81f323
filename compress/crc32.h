#pragma once
#include <cstddef>
#include <cstdint>

namespace zov::compress {

// CRC-32 (the polynomial of zip and PNG) over `data`, continuing from `crc` (0 to start).
// Eight bytes a step through eight tables, except in the programs on the medium
// (ZOV_SMALL_CODECS), which take one byte a step.
uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size);

}  // namespace zov::compress
