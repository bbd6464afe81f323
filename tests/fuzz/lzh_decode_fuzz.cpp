// LZHDecode on arbitrary bytes: it must end, stay inside its window and code tree, and give
// at least the asked size but never a whole match (60 bytes) more.
// Input: 2 bytes of uncompressed size, 1 byte of key, then the compressed stream.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "compress/codec_runner.h"
#include "compress/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zov::compress;
    if (size < 3) return 0;
    const int32_t outSize = data[0] | data[1] << 8;
    const int32_t key = static_cast<int32_t>(data[2] * 0x01030507u);
    zov::TMemoryStream source(std::vector<uint8_t>(data + 3, data + size));
    zov::TMemoryStream dest;
    TCompThreadSafety state;
    ProcessOptions options;
    options.Key = key;
    uint32_t checksum = 0;
    ProcessStream(state, options, dest, source, static_cast<int32_t>(size - 3), outSize, coLZH,
                  checksum, true, key != 0);
    const size_t produced = dest.Bytes().size();
    if (produced < static_cast<size_t>(outSize) || produced >= static_cast<size_t>(outSize) + 60) std::abort();
    uint32_t sum = 0;
    for (uint8_t b : dest.Bytes()) sum += b;
    if (sum != checksum) std::abort();
    return 0;
}
