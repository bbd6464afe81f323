#pragma once
// Runs one codec's expanding direction on fuzz bytes through ProcessStream, as the container
// does, and checks that the runner's checksum is the sum of the bytes written.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "compress/codec_runner.h"
#include "compress/codecs.h"

namespace zov::fuzz {

// `keyByte` spreads into a 32-bit key; 0 means no key.
inline std::vector<uint8_t> ExpandStream(compress::TCompressionMethod method, const uint8_t* data,
                                         size_t size, int32_t uncompressedSize, uint8_t keyByte) {
    using namespace zov::compress;
    const int32_t key = static_cast<int32_t>(keyByte * 0x01030507u);
    TMemoryStream source(std::vector<uint8_t>(data, data + size));
    TMemoryStream dest;
    TCompThreadSafety state;
    ProcessOptions options;
    options.Key = key;
    uint32_t checksum = 0;
    ProcessStream(state, options, dest, source, static_cast<int32_t>(size), uncompressedSize, method,
                  checksum, true, key != 0);
    uint32_t sum = 0;
    for (uint8_t b : dest.Bytes()) sum += b;
    if (sum != checksum) std::abort();
    return dest.Bytes();
}

}  // namespace zov::fuzz
