#pragma once
// The run-length method: literals, an escaped marker byte and run codes after a literal.
#include <cstdint>

#include "compress/codec_runner.h"

namespace zov::compress {

constexpr uint8_t kRleMarker = 0x94;

// Writes a finished run of n bytes x whose first byte is already out as a literal.
void EmitRun(TCompThreadSafety& s, int32_t n, uint8_t x);

}  // namespace zov::compress
