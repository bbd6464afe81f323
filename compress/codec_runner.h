#pragma once
// The codec runner: every codec reads its input and writes its output one byte at a time
// through one TCompThreadSafety, which owns the stream buffers (8192 bytes in, 32768 out),
// the checksums, the key scrambling, progress reports and the output budget.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "sys/event.h"
#include "sys/exception.h"
#include "sys/stream.h"

namespace zov::compress {

enum TCompressionMethod : uint8_t { coNone = 0, coRLE = 1, coLZH = 2, coCustom = 3, coLZH5 = 4 };
constexpr int kMethodCount = 5;

// procedure(var PercentageDone: Integer); setting -1 aborts.
using TShowProgressEvent = TEvent<void(int32_t& PercentageDone)>;

ZOV_EXCEPTION(EUnableToCompress);  // "Could not compress data, will store instead"

constexpr int32_t kStreamBlock = 8192;
// The output buffer: a write to a file per 32 KB (its system call showed under Wine at 8 KB).
constexpr int32_t kOutputBlock = 32768;

// All state of one codec run. Codec-specific state lives in objects the codec creates for
// the length of its run; nothing is global but constant tables.
class TCompThreadSafety {
public:
    // Runner fields.
    bool FirstByte = false;   // RLE encoder: no input byte handled yet
    bool EndOfInput = false;  // set when ReadSourceByte could not deliver
    bool InRun = false;       // RLE encoder
    uint8_t* InEnd = nullptr;
    uint8_t* InCursor = nullptr;
    uint8_t* OutEnd = nullptr;
    uint8_t* OutCursor = nullptr;
    TStream* Source = nullptr;
    TStream* Dest = nullptr;
    uint8_t PrevByte = 0;     // RLE
    int32_t RunCount = 0;     // RLE
    uint32_t SourceSum = 0;   // bytes delivered, before unscrambling
    uint32_t DestSum = 0;     // bytes stored, after scrambling
    int32_t SourceRemaining = 0;
    int32_t ReadChunk = kStreamBlock;
    int32_t BytesRead = 0;
    bool UnscrambleInput = false;
    bool ScrambleOutput = false;
    uint8_t KeyBytes[4] = {0, 0, 0, 0};
    int16_t KeyIndex = 0;
    int32_t OutputBudget = 0;
    TShowProgressEvent Progress;

    // The next source byte; 0 with EndOfInput set when none is left.
    uint8_t ReadSourceByte() {
        if (InCursor == InEnd && !Refill()) return 0;
        uint8_t b = *InCursor++;
        SourceSum += b;
        if (UnscrambleInput) b = ApplyKeyByte(b);
        return b;
    }

    void WriteDestByte(uint8_t b) {
        if (OutputBudget <= 0) throw EUnableToCompress("Could not compress data, will store instead");
        --OutputBudget;
        if (OutCursor == OutEnd) FlushOutput();
        if (ScrambleOutput) b = ApplyKeyByte(b);
        *OutCursor++ = b;
        DestSum += b;
    }

    // Stores n bytes exactly as n calls of WriteDestByte would, a buffer at a time.
    void WriteDestBytes(const uint8_t* bytes, size_t n);

    uint8_t ApplyKeyByte(uint8_t b) {
        b ^= KeyBytes[KeyIndex];
        KeyIndex = static_cast<int16_t>((KeyIndex + 1) & 3);
        return b;
    }

    // Expanding: the bytes the run has written so far.
    int64_t ExpandedBytes() const { return int64_t{INT32_MAX} - OutputBudget; }

    // Bytes still buffered for reading (codecs with their own fast paths may take them).
    uint8_t* InBuffer() { return inBuf_.get(); }
    uint8_t* OutBuffer() { return outBuf_.get(); }

private:
    friend struct RunnerAccess;
    bool Refill();       // step 1-3 of ReadSourceByte; false at the end of input
    void FlushOutput();  // writes the full output buffer
    // Gives up the time slice at every kYieldEvery-th buffer read or written (about a
    // millisecond of work), so that other programs and windows stay responsive without a
    // system call per buffer.
    void YieldNow();
    static constexpr uint8_t kYieldEvery = 8;
    uint8_t buffersSinceYield_ = 0;
    std::unique_ptr<uint8_t[]> inBuf_;
    std::unique_ptr<uint8_t[]> outBuf_;
};

struct ProcessOptions {
    int32_t Key = 0;
    int32_t BudgetReserve = 0;  // compressing: output may be at most source size - reserve
    TShowProgressEvent OnShowProgress;
};

// One codec run, as TCompress::ProcessStream does it. `checksum` receives the sum of the
// uncompressed bytes on normal completion.
void ProcessStream(TCompThreadSafety& state, const ProcessOptions& options, TStream& dest,
                   TStream& source, int32_t sourceSize, int32_t uncompressedSize,
                   TCompressionMethod method, uint32_t& checksum, bool expanding, bool keyedData);

}  // namespace zov::compress
