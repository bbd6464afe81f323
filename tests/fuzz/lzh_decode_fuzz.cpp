// LZHDecode on arbitrary bytes: it must end, stay inside its window and code tree, and give
// at least the asked size but never a whole match (60 bytes) more.
// Input: 2 bytes of uncompressed size, 1 byte of key, then the compressed stream.
#include <cstdint>
#include <cstdlib>

#include "tests/fuzz/expand_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int32_t outSize = data[0] | data[1] << 8;
    const size_t produced =
        zov::fuzz::ExpandStream(zov::compress::coLZH, data + 3, size - 3, outSize, data[2]).size();
    if (produced < static_cast<size_t>(outSize) || produced >= static_cast<size_t>(outSize) + 60) std::abort();
    return 0;
}
