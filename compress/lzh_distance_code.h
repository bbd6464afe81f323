#pragma once
// The LZH method's fixed code for the upper six bits of a match distance: a canonical
// prefix code of 3 to 8 bits. Its lower six bits follow as they are.
#include <cstdint>

namespace zov::compress::lzh {

struct TDistanceCode {
    uint8_t code[64];     // left-aligned in 8 bits
    uint8_t length[64];
    uint8_t upperOf[256];   // by the next 8 bits of the stream: the upper six bits...
    uint8_t lengthOf[256];  // ...and the length of the code they start with
};

constexpr TDistanceCode MakeDistanceCode() {
    // How many values of the upper six bits have codes of 3, 4, ... 8 bits.
    constexpr int kCountOfLength[9] = {0, 0, 0, 1, 3, 8, 12, 24, 16};
    TDistanceCode t{};
    int upper = 0;
    int next = 0;  // next free code, left-aligned in 8 bits
    for (int length = 3; length <= 8; ++length) {
        for (int i = 0; i < kCountOfLength[length]; ++i, ++upper) {
            t.code[upper] = static_cast<uint8_t>(next);
            t.length[upper] = static_cast<uint8_t>(length);
            const int span = 1 << (8 - length);
            for (int b = next; b < next + span; ++b) {
                t.upperOf[b] = static_cast<uint8_t>(upper);
                t.lengthOf[b] = static_cast<uint8_t>(length);
            }
            next += span;
        }
    }
    return t;
}

inline constexpr TDistanceCode kDistanceCode = MakeDistanceCode();

}  // namespace zov::compress::lzh
