#pragma once
// The LZH method: LZ77 over a 4096-byte ring whose literals and match lengths share one
// adaptive Huffman code, with match distances in a fixed prefix code plus six plain bits.
#include <cstdint>

namespace zov::compress::lzh {

constexpr int kWindowSize = 4096;
constexpr int kLookahead = 60;    // longest match
constexpr int kThreshold = 2;     // matches up to this length go out as literals
constexpr int kFirstDataPos = kWindowSize - kLookahead;  // 4036: spaces stand before it
constexpr uint8_t kSpace = 0x20;

constexpr int kSymbolCount = 256 + kLookahead - kThreshold;  // 314: literals, then lengths 3..60
constexpr int kMatchSymbolBase = 256 - kThreshold - 1;       // symbol = length + 253

inline constexpr int MatchSymbol(int length) { return length + kMatchSymbolBase; }
inline constexpr int MatchLength(int symbol) { return symbol - kMatchSymbolBase; }

}  // namespace zov::compress::lzh
