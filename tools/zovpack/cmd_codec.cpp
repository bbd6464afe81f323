// zovpack decode / encode: one raw codec stream, no container, for checks against other
// programs.
#include <climits>
#include <cstdio>

#include "compress/Compress.h"
#include "tools/zovpack/commands.h"
#include "tools/zovpack/host_paths.h"
#include "tools/zovpack/output_file.h"
#include "tools/zovpack/progress_bar.h"
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

int RunCodec(const std::string& in, const std::string& out, TCompressionMethod method,
             bool expanding, int32_t uncompressedSize) {
    RequireCodec(method, expanding);
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
    component.ProcessStream(output.Stream(), *source, sourceSize,
                            expanding ? uncompressedSize : sourceSize, method, checksum, expanding,
                            false);
    const int64_t written = output.Stream().Size();
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
        throw EUsage("usage: zovpack decode -m none|rle|lzh|lh5 --size N IN OUT");
    return RunCodec(p.positional[0], p.positional[1], ParseMethod(p.Get("-m")), true,
                    ParseSize(p.Get("--size")));
}

int CmdEncode(const Args& args) {
    const ParsedArgs p = ParseArgs(args, {"-m"});
    if (p.positional.size() != 2 || !p.Has("-m"))
        throw EUsage("usage: zovpack encode -m none|rle|lzh|lh5 IN OUT");
    return RunCodec(p.positional[0], p.positional[1], ParseMethod(p.Get("-m")), false, 0);
}

}  // namespace zov::zovpack
