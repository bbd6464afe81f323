#pragma once
// The -lh5- encoder's view of the format constants, as signed values for its window
// arithmetic, plus the limits that belong to the encoder alone.
#include <bit>
#include <cstdint>

#include "compress/lh5_format.h"

namespace zov::compress::lh5enc {

constexpr int kWindowSize = static_cast<int>(lh5::kWindowSize);
constexpr int kMaxMatch = static_cast<int>(lh5::kMaxMatch);
constexpr int kMinMatch = static_cast<int>(lh5::kMinMatch);
constexpr int kSymbolCodeSize = static_cast<int>(lh5::kSymbolCount);
constexpr int kLengthCodeSize = static_cast<int>(lh5::kLengthCodeCount);
constexpr int kDistanceCodeSize = static_cast<int>(lh5::kDistanceCodeCount);
constexpr int kMatchSymbolBase = static_cast<int>(lh5::kFirstLengthSymbol - lh5::kMinMatch);
constexpr int kMaxCodeLength = 16;
constexpr int kSymbolCountBits = static_cast<int>(lh5::kSymbolCountBits);
constexpr int kLengthCountBits = static_cast<int>(lh5::kLengthCountBits);
constexpr int kDistanceCountBits = static_cast<int>(lh5::kDistanceCountBits);
constexpr int kLengthCodeSkipAfter = static_cast<int>(lh5::kLengthCodeSkipAfter);

// Number of significant bits of v (0 for 0): the distance class of distance - 1.
inline int SignificantBits(unsigned v) { return std::bit_width(v); }

}  // namespace zov::compress::lh5enc
