#pragma once
// Small picture files for tests: valid headers and block structure, one-pixel images.
#include <string>

namespace zov::test {

// A GIF of `width` by `height` with `frames` images shown `delay` hundredths of a second.
inline std::string TinyGif(int width, int height, int frames, int delay) {
    std::string g = "GIF89a";
    g += {static_cast<char>(width), static_cast<char>(width >> 8), static_cast<char>(height),
          static_cast<char>(height >> 8), '\x80', 0, 0};
    g += std::string(6, '\0');  // two-entry colour table
    for (int i = 0; i < frames; ++i) {
        g += {'\x21', '\xF9', 4, 0, static_cast<char>(delay), 0, 0, 0};
        g += {'\x2C', 0, 0, 0, 0, 1, 0, 1, 0, 0};
        g += {2, 2, '\x44', 1, 0};  // LZW minimum code size, one data block, end
    }
    g += '\x3B';
    return g;
}

// The header of a bitmap file of `width` by `height` (drawn top-down), which is all the
// headless backend reads.
inline std::string TinyBmp(int width, int height) {
    std::string b = "BM" + std::string(16, '\0');
    const int top = -height;
    for (int v : {width, top})
        for (int shift = 0; shift < 32; shift += 8) b += static_cast<char>(v >> shift);
    return b;
}

}  // namespace zov::test
