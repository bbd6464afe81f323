// zovpack decode / encode: one raw codec stream, no container, for checks against other
// programs.
#include <algorithm>
#include <climits>
#include <cstdio>

#include "compress/Compress.h"
#include "tools/zovpack/commands.h"
#include "tools/zovpack/host_paths.h"
#include "tools/zovpack/output_file.h"
#include "tools/zovpack/progress_bar.h"
#include "tools/zovpack/tool_files.h"
#include "tools/zovpack/tool_options.h"

namespace zov::zovpack {
namespace {

using namespace zov::compress;

void RequireCodec(TCompressionMethod method, bool expanding) {
    const CodecEntry codec = CodecFor(method);
    if (expanding ? codec.decode == nullptr : codec.encode == nullptr)
        throw EUsage(std::string("this build has no ") + (expanding ? "decoder" : "encoder") +
                     " for method " + MethodOptionName(method));
}

// Passes on at most `room` bytes and drops the rest: a decoded stream ends at its size,
// whatever follows in the input.
class CappedStream : public TStream {
public:
    CappedStream(TStream& inner, int64_t room) : inner_(inner), room_(room) {}
    int32_t Read(void*, int32_t) override { return 0; }
    int32_t Write(const void* buffer, int32_t count) override {
        const auto n = static_cast<int32_t>(std::min<int64_t>(count, room_));
        if (n > 0) inner_.WriteBuffer(buffer, n);
        room_ -= n;
        return count;
    }
    int64_t Seek(int64_t offset, sys::SeekOrigin origin) override { return inner_.Seek(offset, origin); }

private:
    TStream& inner_;
    int64_t room_;
};

int RunCodec(const std::string& in, const std::string& out, TCompressionMethod method,
             bool expanding, int32_t uncompressedSize) {
    RequireCodec(method, expanding);
    RequireRegularFile(ToolPath(in), in);
    auto source = TFileStream::OpenRead(ToolPath(in));
    const int64_t size = source->Size();
    if (size > INT32_MAX) throw EUsage(in + " is larger than 2 GB");
    const int32_t sourceSize = static_cast<int32_t>(size);

    TCompress component;
    ProgressBar bar;
    component.OnShowProgress = [&](int32_t& percent) { bar.Show(percent, in); };
    // A raw stream may come out longer than its input; nothing falls back to storing here.
    component.BudgetReserve = sourceSize - INT32_MAX;
    OutputFile output(ToolPath(out));
    uint32_t checksum = 0;
    CappedStream capped(output.Stream(), expanding ? uncompressedSize : INT64_MAX);
    try {
        component.ProcessStream(capped, *source, sourceSize, expanding ? uncompressedSize : sourceSize,
                                method, checksum, expanding, false);
    } catch (const EWriteError&) {
        RethrowNamingFile(out);
    } catch (const EReadError&) {
        RethrowNamingFile(in);
    }
    const int64_t written = output.Stream().Size();
    if (expanding && written < uncompressedSize)
        throw EDataError("input ends early: " + std::to_string(written) + " of " +
                         std::to_string(uncompressedSize) + " bytes");
    if (expanding) {  // the sum of what was kept
        checksum = 0;
        TFileStream& kept = output.Stream();
        kept.SetPosition(0);
        uint8_t block[8192];
        for (int32_t n; (n = kept.Read(block, sizeof block)) > 0;)
            for (int32_t i = 0; i < n; ++i) checksum += block[i];
    }
    output.Commit();
    bar.Clear();
    std::printf("%s %s: %lld -> %lld bytes, checksum %08X\n", expanding ? "decoded" : "encoded",
                MethodOptionName(method).c_str(), static_cast<long long>(size),
                static_cast<long long>(written), checksum);
    return 0;
}

}  // namespace

int CmdDecode(const Args& args) {
    const ParsedArgs p = ParseArgs(args, {"-m", "--size"});
    if (p.positional.size() != 2 || !p.Has("-m") || !p.Has("--size"))
        throw EUsage("wrong arguments");
    return RunCodec(p.positional[0], p.positional[1], ParseMethod(p.Get("-m")), true,
                    ParseSize(p.Get("--size")));
}

int CmdEncode(const Args& args) {
    const ParsedArgs p = ParseArgs(args, {"-m"});
    if (p.positional.size() != 2 || !p.Has("-m"))
        throw EUsage("wrong arguments");
    return RunCodec(p.positional[0], p.positional[1], ParseMethod(p.Get("-m")), false, 0);
}

}  // namespace zov::zovpack
