#pragma once
// Runs codecs the way the container does, through ProcessStream on memory streams.
#include <cstdint>
#include <string>
#include <vector>

#include "compress/codec_runner.h"

namespace zov::compress::test2 {

using Bytes = std::vector<uint8_t>;

// Compresses `input`; with a key the output comes scrambled. A negative budget reserve lets
// the output grow past the input by that many bytes.
Bytes Encode(TCompressionMethod method, const Bytes& input, int32_t key = 0,
             int32_t budgetReserve = 0);
// Expands `stream` to `size` bytes; with a key the input is unscrambled first. `checksum`
// receives the runner's sum of the expanded bytes when given.
Bytes Decode(TCompressionMethod method, const Bytes& stream, int32_t size, int32_t key = 0,
             uint32_t* checksum = nullptr);

Bytes FromString(const std::string& s);
// Deterministic test data.
Bytes RandomBytes(size_t n, uint32_t seed);
// Words drawn from a small vocabulary: text-like, compressible.
Bytes TextLike(size_t n, uint32_t seed);

struct Sample {
    std::string what;
    Bytes bytes;
};
// Empty, one byte, and the sizes around the 8192-byte window and stream buffers.
std::vector<Sample> EdgeSamples();
// Megabytes of text, of random bytes, of zeros, a periodic pattern and a mix of them all.
std::vector<Sample> LargeSamples();

// Packs a string of '0' and '1' (other characters ignored) into bytes, most significant
// bit first, padding the last byte with zeros.
Bytes Bits(const std::string& bits);

}  // namespace zov::compress::test2
