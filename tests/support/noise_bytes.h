#pragma once
// Bytes that do not pack, the same every run: payloads that stay large inside an archive.
#include <cstddef>
#include <cstdint>
#include <string>

namespace zov::test {

inline std::string NoiseBytes(size_t size) {
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 23);
    }
    return bytes;
}

}  // namespace zov::test
