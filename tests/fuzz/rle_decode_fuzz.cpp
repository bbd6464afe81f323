// RLEDecode on arbitrary bytes: it must end, and every byte it writes is counted.
// Input: 1 byte of key, then the coded stream.
#include <cstdint>
#include <cstdlib>

#include "tests/fuzz/expand_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    size_t produced = 0;
    try {
        produced = zov::fuzz::ExpandStream(zov::compress::coRLE, data + 1, size - 1, 0, data[0]).size();
    } catch (const zov::compress::EDataError&) {
        return 0;  // a marker without its count
    }
    if (produced > 127 * size) std::abort();  // two input bytes give at most 254 output bytes
    return 0;
}
