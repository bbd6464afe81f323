#include "compress/rle.h"

#include "compress/codecs.h"

namespace zov::compress {

void EmitRun(TCompThreadSafety& s, int32_t n, uint8_t x) {
    if (n == 1 || n == 2) {
        for (int32_t i = 1; i < n; ++i) s.WriteDestByte(x);
        return;
    }
    s.WriteDestByte(kRleMarker);
    s.WriteDestByte(static_cast<uint8_t>(n));
}

namespace {
void WriteLiteral(TCompThreadSafety& s, uint8_t b) {
    s.WriteDestByte(b);
    if (b == kRleMarker) s.WriteDestByte(0);
}
}  // namespace

void RLEEncode(TCompThreadSafety& s) {
    for (;;) {
        const uint8_t b = s.ReadSourceByte();
        if (s.EndOfInput) break;
        if (s.InRun) {
            if (b == s.PrevByte && s.RunCount < 255) {
                ++s.RunCount;
            } else {
                EmitRun(s, s.RunCount, s.PrevByte);
                s.PrevByte = b;
                WriteLiteral(s, b);
                s.InRun = false;
            }
        } else {
            // A marker never starts a run: it is always written escaped.
            if (b != kRleMarker && b == s.PrevByte && !s.FirstByte) {
                s.RunCount = 2;
                s.InRun = true;
            } else {
                WriteLiteral(s, b);
            }
            s.PrevByte = b;
        }
        s.FirstByte = false;
    }
    if (s.InRun) EmitRun(s, s.RunCount, s.PrevByte);
}

void RLEDecode(TCompThreadSafety& s) {
    for (;;) {
        const uint8_t b = s.ReadSourceByte();
        if (s.EndOfInput) break;
        if (b != kRleMarker) {
            s.WriteDestByte(b);
        } else {
            const uint8_t n = s.ReadSourceByte();
            if (s.EndOfInput) RaiseDataEnded();  // a marker without its count
            if (n == 0) {
                s.WriteDestByte(kRleMarker);
            } else {
                for (int i = 1; i < n; ++i) s.WriteDestByte(s.PrevByte);
            }
        }
        s.PrevByte = b;
    }
}

}  // namespace zov::compress
