#include "tests/compress2/codec_harness.h"

#include <random>

#include "sys/stream.h"

namespace zov::compress::test2 {

Bytes Encode(TCompressionMethod method, const Bytes& input, int32_t key, int32_t budgetReserve) {
    TMemoryStream source(input);
    TMemoryStream dest;
    TCompThreadSafety state;
    ProcessOptions options;
    options.Key = key;
    options.BudgetReserve = budgetReserve;
    uint32_t checksum = 0;
    ProcessStream(state, options, dest, source, static_cast<int32_t>(input.size()), 0, method,
                  checksum, false, false);
    return dest.Bytes();
}

Bytes Decode(TCompressionMethod method, const Bytes& stream, int32_t size, int32_t key,
             uint32_t* checksum) {
    TMemoryStream source(stream);
    TMemoryStream dest;
    TCompThreadSafety state;
    ProcessOptions options;
    options.Key = key;
    uint32_t sum = 0;
    ProcessStream(state, options, dest, source, static_cast<int32_t>(stream.size()), size, method,
                  sum, true, key != 0);
    if (checksum) *checksum = sum;
    return dest.Bytes();
}

Bytes FromString(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out) b = static_cast<uint8_t>(rng());
    return out;
}

Bytes TextLike(size_t n, uint32_t seed) {
    static const char* const kWords[] = {"the ", "setup ", "archive ", "window ", "of ", "data ",
                                         "install ", "and ", "file ", "copy\r\n", "a ", "disk "};
    std::mt19937 rng(seed);
    Bytes out;
    out.reserve(n + 16);
    while (out.size() < n) {
        const std::string w = kWords[rng() % (sizeof kWords / sizeof kWords[0])];
        out.insert(out.end(), w.begin(), w.end());
    }
    out.resize(n);
    return out;
}

std::vector<Sample> EdgeSamples() {
    return {
        {"empty", {}},
        {"1 byte", {'Q'}},
        {"8191 bytes", TextLike(8191, 1)},
        {"8192 bytes", TextLike(8192, 2)},
        {"8193 bytes", TextLike(8193, 3)},
    };
}

std::vector<Sample> LargeSamples() {
    Bytes mixed = TextLike(1500000, 11);
    const Bytes noise = RandomBytes(200000, 12);
    mixed.insert(mixed.begin() + 700000, noise.begin(), noise.end());
    mixed.insert(mixed.begin() + 400000, 20000, 0x94);
    mixed.insert(mixed.begin() + 100000, 300000, 0);
    Bytes periodic;
    for (int i = 0; i < 1 << 20; ++i) periodic.push_back(static_cast<uint8_t>("abcabd"[i % 6]));
    return {
        {"3 MB text", TextLike(3 << 20, 4)},
        {"2 MB mixed", mixed},
        {"1 MB random", RandomBytes(1 << 20, 5)},
        {"2 MB zeros", Bytes(2 << 20, 0)},
        {"1 MB periodic", periodic},
    };
}

Bytes Bits(const std::string& bits) {
    Bytes out;
    int count = 0;
    for (char c : bits) {
        if (c != '0' && c != '1') continue;
        if (count % 8 == 0) out.push_back(0);
        if (c == '1') out.back() = static_cast<uint8_t>(out.back() | (0x80 >> (count % 8)));
        ++count;
    }
    return out;
}

}  // namespace zov::compress::test2
