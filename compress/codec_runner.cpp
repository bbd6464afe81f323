#include "compress/codec_runner.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "compress/codecs.h"
#include "sys/system.h"

namespace zov::compress {

bool TCompThreadSafety::Refill() {
    EndOfInput = true;
    if (SourceRemaining == 0) return false;
    if (SourceRemaining < ReadChunk) ReadChunk = SourceRemaining;
    const int32_t count = Source->Read(inBuf_.get(), ReadChunk);
    SourceRemaining -= count;
    if (count <= 0) return false;
    InEnd = inBuf_.get() + count;
    InCursor = inBuf_.get();
    if (Progress) {
        BytesRead += count;
        const int64_t total = static_cast<int64_t>(BytesRead) + SourceRemaining;
        int32_t percent = total <= 100000 ? static_cast<int32_t>(int64_t{BytesRead} * 100 / total)
                                          : static_cast<int32_t>(BytesRead / (total / 100));
        Progress(percent);
        if (percent == -1) return false;  // aborted: the input looks exhausted
    }
    YieldNow();
    EndOfInput = false;
    return true;
}

void TCompThreadSafety::YieldNow() {
    if (++buffersSinceYield_ < kYieldEvery) return;
    buffersSinceYield_ = 0;
    sys::Sys().Yield();
}

void TCompThreadSafety::FlushOutput() {
    YieldNow();
    Dest->WriteBuffer(outBuf_.get(), kOutputBlock);
    OutCursor = outBuf_.get();
}

#ifndef ZOV_SMALL_CODECS
namespace {

// The sum of n bytes, eight at a time: the bytes are added in four 16-bit lanes of a word,
// which hold the sums of 128 words before they could overflow.
uint32_t ByteSum(const uint8_t* bytes, size_t n) {
    constexpr uint64_t kLowBytes = 0x00FF00FF00FF00FFull;
    uint32_t sum = 0;
    while (n >= 8) {
        uint64_t lanes = 0;
        for (size_t words = std::min<size_t>(n / 8, 128); words > 0; --words, bytes += 8, n -= 8) {
            uint64_t w;
            std::memcpy(&w, bytes, 8);
            lanes += (w & kLowBytes) + ((w >> 8) & kLowBytes);
        }
        lanes = (lanes & 0x0000FFFF0000FFFFull) + ((lanes >> 16) & 0x0000FFFF0000FFFFull);
        sum += static_cast<uint32_t>(lanes) + static_cast<uint32_t>(lanes >> 32);
    }
    for (; n > 0; --n) sum += *bytes++;
    return sum;
}

}  // namespace
#endif

void TCompThreadSafety::WriteDestBytes(const uint8_t* bytes, size_t n) {
    while (n > 0) {
        if (OutputBudget <= 0) throw EUnableToCompress("Could not compress data, will store instead");
        if (OutCursor == OutEnd) FlushOutput();
        const size_t chunk = std::min({n, static_cast<size_t>(OutEnd - OutCursor), static_cast<size_t>(OutputBudget)});
        uint32_t sum = 0;
        if (ScrambleOutput) {
            for (size_t i = 0; i < chunk; ++i) sum += OutCursor[i] = ApplyKeyByte(bytes[i]);
        } else {
            std::memcpy(OutCursor, bytes, chunk);
            sum = ByteSum(bytes, chunk);
        }
        DestSum += sum;
        OutputBudget -= static_cast<int32_t>(chunk);
        OutCursor += chunk;
        bytes += chunk;
        n -= chunk;
    }
}

void CopyStored(TCompThreadSafety& s) {
    for (;;) {
        const uint8_t b = s.ReadSourceByte();
        if (s.EndOfInput) break;
        s.WriteDestByte(b);
    }
}

struct RunnerAccess {
    static void Allocate(TCompThreadSafety& s) {
        s.inBuf_.reset(new uint8_t[kStreamBlock]);
        s.outBuf_.reset(new uint8_t[kOutputBlock]);
        s.InEnd = s.InCursor = s.inBuf_.get();
        s.OutCursor = s.outBuf_.get();
        s.OutEnd = s.outBuf_.get() + kOutputBlock;
    }
    static void Release(TCompThreadSafety& s) {
        s.inBuf_.reset();
        s.outBuf_.reset();
        s.InEnd = s.InCursor = s.OutEnd = s.OutCursor = nullptr;
    }
};

namespace {
// Frees both buffers however the codec ends.
struct BufferGuard {
    TCompThreadSafety& s;
    ~BufferGuard() { RunnerAccess::Release(s); }
};
}  // namespace

void ProcessStream(TCompThreadSafety& s, const ProcessOptions& options, TStream& dest,
                   TStream& source, int32_t sourceSize, int32_t uncompressedSize,
                   TCompressionMethod method, uint32_t& checksum, bool expanding, bool keyedData) {
    s.Progress = options.OnShowProgress;
    s.OutputBudget = INT32_MAX;  // nothing written yet, also when the run stops at once
    if (s.Progress) {
        int32_t percent = 0;
        s.Progress(percent);
        if (percent == -1) return;
    }
    s.Source = &source;
    s.Dest = &dest;
    RunnerAccess::Allocate(s);
    BufferGuard guard{s};

    s.EndOfInput = false;
    s.FirstByte = true;
    s.PrevByte = 0;
    s.InRun = false;
    s.RunCount = 0;
    s.SourceRemaining = sourceSize;
    s.ReadChunk = kStreamBlock;
    s.SourceSum = 0;
    s.DestSum = 0;
    s.BytesRead = 0;
    // In 64 bits: a large reserve of either sign must not overflow the budget.
    s.OutputBudget = expanding ? INT32_MAX
                               : static_cast<int32_t>(std::clamp<int64_t>(
                                     int64_t{sourceSize} - options.BudgetReserve, INT32_MIN, INT32_MAX));
    s.ScrambleOutput = !expanding && options.Key != 0;
    s.UnscrambleInput = expanding && options.Key != 0 && keyedData;
    const uint32_t key = static_cast<uint32_t>(options.Key);
    for (int i = 0; i < 4; ++i) s.KeyBytes[i] = static_cast<uint8_t>(key >> (8 * i));
    s.KeyIndex = 0;

    const CodecEntry codec = CodecFor(method);
    if (expanding) {
        if (codec.decode) codec.decode(s, uncompressedSize);
    } else {
        if (codec.encode) codec.encode(s);
    }

    checksum = expanding ? s.DestSum : s.SourceSum;
    if (s.OutCursor != s.OutBuffer())
        dest.WriteBuffer(s.OutBuffer(), static_cast<int32_t>(s.OutCursor - s.OutBuffer()));
    RunnerAccess::Release(s);
    if (s.Progress) {
        int32_t percent = 100;
        s.Progress(percent);
    }
}

}  // namespace zov::compress
