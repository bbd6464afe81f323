#include "compress/codecs.h"

namespace zov::compress {
namespace {

#ifdef ZOV_EXPAND_ONLY
// The programs on a medium only expand: no encoder is linked into them.
constexpr EncodeFn Encoder(EncodeFn) { return nullptr; }
#else
constexpr EncodeFn Encoder(EncodeFn encode) { return encode; }
#endif

}  // namespace

void RaiseDataEnded() { throw EDataError("Compressed data end early -- data may be invalid"); }

CodecEntry CodecFor(TCompressionMethod method) {
    switch (method) {
        case coNone: return {CopyStored, [](TCompThreadSafety& s, int32_t) { CopyStored(s); }};
        case coRLE: return {Encoder(RLEEncode), [](TCompThreadSafety& s, int32_t) { RLEDecode(s); }};
        case coLZH: return {Encoder(LZHEncode), LZHDecode};
        case coLZH5: return {Encoder(LH5Encode), LH5Decode};
        default: return {nullptr, nullptr};
    }
}

}  // namespace zov::compress
