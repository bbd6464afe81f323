// The encoders on generated data: RLE, LZH and LH5 must each expand back to the input.
// The fuzz input is a recipe rather than the data itself, so that short inputs grow into
// tens of kilobytes full of runs and repeats at near and window-sized distances, which is
// where the match finders slide, split and replace their nodes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "compress/codec_runner.h"
#include "compress/codecs.h"

namespace {

std::vector<uint8_t> FollowRecipe(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    size_t i = 0;
    const auto next = [&]() -> unsigned { return i < size ? data[i++] : 0; };
    const auto copy = [&](size_t distance, size_t length) {
        if (out.empty()) return;
        distance = 1 + (distance - 1) % out.size();
        for (size_t k = 0; k < length; ++k) out.push_back(out[out.size() - distance]);
    };
    while (i < size && out.size() < 60000) {
        const unsigned op = next();
        switch (op % 4) {
            case 0: out.push_back(static_cast<uint8_t>(next())); break;
            case 1: out.insert(out.end(), next() * 8 + 1, static_cast<uint8_t>(next())); break;
            case 2: {
                const size_t distance = 1 + (next() << 8 | next());
                copy(distance, 3 + next());
                break;
            }
            default: copy(8192 - 4 + op / 4 % 9, 2 + next() * 2); break;  // around the window size
        }
    }
    return out;
}

std::vector<uint8_t> Run(zov::compress::TCompressionMethod method, const std::vector<uint8_t>& in,
                         int32_t size, bool expanding) {
    using namespace zov::compress;
    zov::TMemoryStream source(in);
    zov::TMemoryStream dest;
    TCompThreadSafety state;
    ProcessOptions options;
    options.BudgetReserve = -static_cast<int32_t>(in.size()) - 64;  // let it grow: no giving up
    uint32_t checksum = 0;
    ProcessStream(state, options, dest, source, static_cast<int32_t>(in.size()), size, method,
                  checksum, expanding, false);
    return dest.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zov::compress;
    const std::vector<uint8_t> input = FollowRecipe(data, size);
    const auto n = static_cast<int32_t>(input.size());
    for (TCompressionMethod m : {coRLE, coLZH, coLZH5})
        if (Run(m, Run(m, input, 0, false), n, true) != input) std::abort();
    return 0;
}
