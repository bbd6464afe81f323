#pragma once
// Reads the codes of an LZH stream: symbols of the adaptive code (literals and match
// lengths) and match distances. `Bits` supplies Take(n), the next n bits of the stream.
#include "compress/lzh_adaptive_code.h"
#include "compress/lzh_distance_code.h"

namespace zov::compress::lzh {

template <class Bits>
class TLzhCodeReader {
public:
    explicit TLzhCodeReader(Bits& bits) : bits_(bits) { code_.ResetAdaptiveCode(); }

    // A literal (< 256) or MatchSymbol(length); the code is updated after it.
    int ReadSymbol() {
        int n = code_.FirstChildOfRoot();
        while (!TAdaptiveCode::IsSymbolLink(n)) n = code_.ChildOf(n + ReadOneBit());
        const int s = n - kNodeCount;
        code_.BumpSymbol(s);
        return s;
    }

    // Distance - 1 of a match, 0..4095.
    int ReadDistance() {
        const int first = ReadEightBits();
        const int upper = kDistanceCode.upperOf[first];
        const int more = kDistanceCode.lengthOf[first] - 2;  // code + six plain bits, less 8 read
        const int all = (first << more) | ReadSomeBits(more);
        return (upper << 6) | (all & 63);
    }

    const TAdaptiveCode& Code() const { return code_; }

private:
    int ReadOneBit() { return static_cast<int>(bits_.Take(1)); }
    int ReadEightBits() { return static_cast<int>(bits_.Take(8)); }
    int ReadSomeBits(int n) { return static_cast<int>(bits_.Take(static_cast<unsigned>(n))); }

    Bits& bits_;
    TAdaptiveCode code_;
};

}  // namespace zov::compress::lzh
