#include "compress/codecs.h"

namespace zov::compress {

CodecEntry CodecFor(TCompressionMethod method) {
    switch (method) {
        case coNone: return {CopyStored, [](TCompThreadSafety& s, int32_t) { CopyStored(s); }};
        case coLZH5: return {nullptr, LH5Decode};
        default: return {nullptr, nullptr};
    }
}

}  // namespace zov::compress
