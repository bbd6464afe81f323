#pragma once
// Constants of the -lh5- bit stream, shared by its decoder and encoder: LZ77 over an
// 8192-byte window; literals and match lengths in one Huffman code, distance classes in a
// second, and the first code's lengths sent through a third, small one.
#include <cstdint>

namespace zov::compress::lh5 {

constexpr unsigned kWindowBits = 13;
constexpr uint32_t kWindowSize = 1u << kWindowBits;  // the largest distance
constexpr unsigned kSymbolCount = 510;               // 256 literals + lengths 3..256
constexpr unsigned kLengthCodeCount = 19;            // code of the symbol code's lengths
constexpr unsigned kDistanceCodeCount = 14;          // distance classes 0..13
constexpr unsigned kSymbolCountBits = 9;
constexpr unsigned kLengthCountBits = 5;
constexpr unsigned kDistanceCountBits = 4;
constexpr unsigned kLengthCodeSkipAfter = 3;  // a 2-bit run of zero lengths follows the third
constexpr unsigned kMinMatch = 3;
constexpr unsigned kMaxMatch = 256;
constexpr unsigned kFirstLengthSymbol = 256;  // symbol 256 is a match of kMinMatch bytes
constexpr uint8_t kWindowFill = 0x20;         // the window starts as spaces

}  // namespace zov::compress::lh5
