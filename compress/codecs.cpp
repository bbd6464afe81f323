#include "compress/codecs.h"

namespace zov::compress {

void RaiseDataEnded() { throw EDataError("Compressed data end early -- data may be invalid"); }

CodecEntry CodecFor(TCompressionMethod method) {
    switch (method) {
        case coNone: return {CopyStored, [](TCompThreadSafety& s, int32_t) { CopyStored(s); }};
        case coRLE: return {RLEEncode, [](TCompThreadSafety& s, int32_t) { RLEDecode(s); }};
        case coLZH: return {LZHEncode, LZHDecode};
        case coLZH5: return {LH5Encode, LH5Decode};
        default: return {nullptr, nullptr};
    }
}

}  // namespace zov::compress
