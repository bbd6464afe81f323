#pragma once
// The codec entry points. Each codec lives in its own file and touches bytes only through
// the runner's ReadSourceByte and WriteDestByte.
#include <cstdint>

#include "compress/codec_runner.h"

namespace zov::compress {

// A compressed stream whose code lengths do not make a usable code.
ZOV_EXCEPTION(ELZHBadDecodeTable);  // "Bad decode table in archive!"
// Compressed data that end before the stream does, or that expand to another size than
// the one expected.
ZOV_EXCEPTION(EDataError);
[[noreturn]] void RaiseDataEnded();  // "Compressed data end early -- data may be invalid"

void CopyStored(TCompThreadSafety& s);

void RLEEncode(TCompThreadSafety& s);
void RLEDecode(TCompThreadSafety& s);

void LZHEncode(TCompThreadSafety& s);
void LZHDecode(TCompThreadSafety& s, int32_t uncompressedSize);

void LH5Encode(TCompThreadSafety& s);
void LH5Decode(TCompThreadSafety& s, int32_t uncompressedSize);

using EncodeFn = void (*)(TCompThreadSafety&);
using DecodeFn = void (*)(TCompThreadSafety&, int32_t);

struct CodecEntry {
    EncodeFn encode;  // null when this build has no encoder for the method
    DecodeFn decode;
};

// The codec for a method, by direction; coCustom and unknown values have none.
CodecEntry CodecFor(TCompressionMethod method);

}  // namespace zov::compress
