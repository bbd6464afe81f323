// RLEDecode on arbitrary bytes: it must end, and every byte it writes is counted.
// Input: 1 byte of key, then the coded stream.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "compress/codec_runner.h"
#include "compress/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zov::compress;
    if (size < 1) return 0;
    const int32_t key = static_cast<int32_t>(data[0] * 0x01030507u);
    zov::TMemoryStream source(std::vector<uint8_t>(data + 1, data + size));
    zov::TMemoryStream dest;
    TCompThreadSafety state;
    ProcessOptions options;
    options.Key = key;
    uint32_t checksum = 0;
    ProcessStream(state, options, dest, source, static_cast<int32_t>(size - 1), 0, coRLE, checksum,
                  true, key != 0);
    // Two input bytes give at most 254 output bytes.
    if (dest.Bytes().size() > 127 * size) std::abort();
    uint32_t sum = 0;
    for (uint8_t b : dest.Bytes()) sum += b;
    if (sum != checksum) std::abort();
    return 0;
}
