// The codec runner: buffering, sums, key scrambling, progress and the output budget,
// driven through the stored method.
#include <gtest/gtest.h>

#include <climits>
#include <numeric>
#include <vector>

#include "compress/codec_runner.h"
#include "compress/codecs.h"

namespace zov::compress {
namespace {

// Remembers the size of every write that reaches the stream.
class RecordingStream : public TMemoryStream {
public:
    int32_t Write(const void* buffer, int32_t count) override {
        writes.push_back(count);
        return TMemoryStream::Write(buffer, count);
    }
    std::vector<int32_t> writes;
};

std::vector<uint8_t> Pattern(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return v;
}

uint32_t Sum(const std::vector<uint8_t>& v) {
    return std::accumulate(v.begin(), v.end(), uint32_t{0});
}

struct RunResult {
    std::vector<uint8_t> output;
    std::vector<int32_t> writes;
    std::vector<int32_t> progress;  // every value the handler was called with
    uint32_t checksum = 0xDEADBEEF;
    int64_t sourcePosition = 0;
};

// One stored-method run; `abortAt` makes the handler answer -1 on that call (0-based).
RunResult RunStored(const std::vector<uint8_t>& input, bool expanding, int32_t key = 0,
              bool keyedData = false, int abortAt = -1, int32_t reserve = 0) {
    TMemoryStream source(input);
    RecordingStream dest;
    TCompThreadSafety state;
    RunResult run;
    ProcessOptions options;
    options.Key = key;
    options.BudgetReserve = reserve;
    options.OnShowProgress = [&](int32_t& percent) {
        run.progress.push_back(percent);
        if (static_cast<int>(run.progress.size()) - 1 == abortAt) percent = -1;
    };
    ProcessStream(state, options, dest, source, static_cast<int32_t>(input.size()),
                  static_cast<int32_t>(input.size()), coNone, run.checksum, expanding, keyedData);
    run.output = dest.Bytes();
    run.writes = dest.writes;
    run.sourcePosition = source.Position();
    return run;
}

TEST(CodecRunner, EmptySourceWritesNothingAndReportsStartAndEnd) {
    const RunResult run = RunStored({}, true);
    EXPECT_TRUE(run.output.empty());
    EXPECT_TRUE(run.writes.empty());
    EXPECT_EQ(run.checksum, 0u);
    EXPECT_EQ(run.progress, (std::vector<int32_t>{0, 100}));
}

TEST(CodecRunner, OutputIsWrittenInWholeBlocksAndTheRestAtTheEnd) {
    constexpr int32_t block = kOutputBlock;
    EXPECT_EQ(RunStored(Pattern(block), true).writes, (std::vector<int32_t>{block}));
    EXPECT_EQ(RunStored(Pattern(block + 1), true).writes, (std::vector<int32_t>{block, 1}));
    const std::vector<uint8_t> input = Pattern(2 * block + 3616);
    const RunResult run = RunStored(input, true);
    EXPECT_EQ(run.writes, (std::vector<int32_t>{block, block, 3616}));
    EXPECT_EQ(run.output, input);
    EXPECT_EQ(run.checksum, Sum(input));
}

TEST(CodecRunner, ProgressIsReportedOncePerInputBlock) {
    EXPECT_EQ(RunStored(Pattern(20000), true).progress,
              (std::vector<int32_t>{0, 40, 81, 100, 100}));
    const RunResult big = RunStored(Pattern(250000), true);
    ASSERT_GE(big.progress.size(), 2u);
    EXPECT_EQ(big.progress[1], 3);  // 8192 div (250000 div 100)
    EXPECT_EQ(big.progress.size(), 2u + (250000 + 8191) / 8192);
    EXPECT_EQ(big.progress.back(), 100);
}

TEST(CodecRunner, AbortAtTheFirstReportTouchesNothing) {
    const RunResult run = RunStored(Pattern(1000), true, 0, false, /*abortAt=*/0);
    EXPECT_EQ(run.progress, (std::vector<int32_t>{0}));
    EXPECT_TRUE(run.output.empty());
    EXPECT_EQ(run.sourcePosition, 0);
    EXPECT_EQ(run.checksum, 0xDEADBEEFu);  // not assigned
}

TEST(CodecRunner, AbortWhileReadingMakesTheInputLookExhausted) {
    const RunResult run = RunStored(Pattern(20000), true, 0, false, /*abortAt=*/2);
    // The second block was read but is not handed out; the run ends normally.
    EXPECT_EQ(run.progress, (std::vector<int32_t>{0, 40, 81, 100}));
    EXPECT_EQ(run.output, std::vector<uint8_t>(Pattern(8192)));
    EXPECT_EQ(run.sourcePosition, 16384);
    EXPECT_EQ(run.checksum, Sum(Pattern(8192)));
}

TEST(CodecRunner, KeyBytesScrambleTheOutputInTurn) {
    const std::vector<uint8_t> plain = Pattern(10000);
    const int32_t key = 0x44332211;
    const RunResult scrambled = RunStored(plain, false, key);
    ASSERT_EQ(scrambled.output.size(), plain.size());
    const uint8_t k[4] = {0x11, 0x22, 0x33, 0x44};
    for (size_t i = 0; i < plain.size(); ++i)
        ASSERT_EQ(scrambled.output[i], plain[i] ^ k[i % 4]) << "byte " << i;
    EXPECT_EQ(scrambled.checksum, Sum(plain)) << "compressing sums the bytes read";

    const RunResult back = RunStored(scrambled.output, true, key, /*keyedData=*/true);
    EXPECT_EQ(back.output, plain);
    EXPECT_EQ(back.checksum, Sum(plain)) << "expanding sums the bytes written";

    EXPECT_EQ(RunStored(scrambled.output, true, key, /*keyedData=*/false).output,
              scrambled.output);
}

TEST(CodecRunner, KeyZeroNeverScrambles) {
    const std::vector<uint8_t> plain = Pattern(300);
    EXPECT_EQ(RunStored(plain, false, 0).output, plain);
    EXPECT_EQ(RunStored(plain, true, 0, /*keyedData=*/true).output, plain);
}

TEST(CodecRunner, BudgetRunsOutAtTheFirstByteBeyondIt) {
    const std::vector<uint8_t> input = Pattern(20000);
    try {
        RunStored(input, false, 0, false, -1, /*reserve=*/1);
        FAIL() << "no EUnableToCompress";
    } catch (const EUnableToCompress& e) {
        EXPECT_STREQ(e.what(), "Could not compress data, will store instead");
    }
    // With no reserve the stored copy fits exactly; a negative reserve widens the budget.
    EXPECT_EQ(RunStored(input, false).output, input);
    EXPECT_EQ(RunStored(input, false, 0, false, -1, INT32_MIN).output, input);
}

// Expands `input` as a stored entry of `sourceSize` bytes.
RunResult RunSized(const std::vector<uint8_t>& input, int32_t sourceSize) {
    TMemoryStream source(input);
    TMemoryStream dest;
    TCompThreadSafety state;
    RunResult run;
    ProcessStream(state, {}, dest, source, sourceSize, sourceSize, coNone, run.checksum, true, false);
    run.output = dest.Bytes();
    run.sourcePosition = source.Position();
    return run;
}

TEST(CodecRunner, ShortSourceEndsTheRun) {
    const std::vector<uint8_t> input = Pattern(5000);
    const RunResult run = RunSized(input, 9000);
    EXPECT_EQ(run.output, input);
    EXPECT_EQ(run.checksum, Sum(input));
}

TEST(CodecRunner, SourceSizeLimitsWhatIsRead) {
    const std::vector<uint8_t> input = Pattern(9000);
    const RunResult run = RunSized(input, 8500);
    EXPECT_EQ(run.output, std::vector<uint8_t>(input.begin(), input.begin() + 8500));
    EXPECT_EQ(run.sourcePosition, 8500);
}

TEST(CodecRunner, UnknownMethodRunsNoCodec) {
    TMemoryStream source(Pattern(100));
    TMemoryStream dest;
    TCompThreadSafety state;
    uint32_t checksum = 7;
    ProcessStream(state, {}, dest, source, 100, 100, static_cast<TCompressionMethod>(9), checksum,
                  true, false);
    EXPECT_TRUE(dest.Bytes().empty());
    EXPECT_EQ(checksum, 0u);
}

}  // namespace
}  // namespace zov::compress
