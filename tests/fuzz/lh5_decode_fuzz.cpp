// LH5Decode on arbitrary bytes: it must end, stay inside its tables and either refuse the
// stream (ELZHBadDecodeTable, or EDataError when it needs more input than it has) or give
// exactly the asked size.
// Input: 2 bytes of uncompressed size (times 2), 1 byte of key, then the compressed stream.
#include <cstdint>
#include <cstdlib>

#include "tests/fuzz/expand_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int32_t outSize = (data[0] | data[1] << 8) * 2;
    size_t produced = 0;
    try {
        produced = zov::fuzz::ExpandStream(zov::compress::coLZH5, data + 3, size - 3, outSize, data[2]).size();
    } catch (const zov::compress::ELZHBadDecodeTable&) {
        return 0;
    } catch (const zov::compress::EDataError&) {
        return 0;
    }
    if (produced != static_cast<size_t>(outSize)) std::abort();
    return 0;
}
