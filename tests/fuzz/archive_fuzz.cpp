// ListArchive and ExpandArchive on arbitrary bytes, on an emulated machine in a temporary
// folder: whatever the archive holds, they end with a result or an Exception, with no
// memory error on the way. Input: one byte of options, then the archive.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "compress/Compress.h"
#include "sys/emu/emulated_system.h"

namespace {

namespace fs = std::filesystem;

struct Machine {
    fs::path root = fs::temp_directory_path() / ("zov-archive-fuzz-" + std::to_string(::getpid()));
    zov::sys::emu::EmulatedSystem system{root};
    Machine() { zov::sys::SetSystem(&system); }
    ~Machine() {
        zov::sys::SetSystem(nullptr);
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

// Entries bigger than this are only listed, so that one input cannot fill the disk.
constexpr int64_t kMaxExpandedBytes = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zov::compress;
    static Machine machine;
    if (size < 1) return 0;
    const uint8_t options = data[0];
    std::error_code ec;
    fs::remove_all(machine.root / "c", ec);
    fs::create_directories(machine.root / "c" / "out", ec);
    std::ofstream(machine.root / "c" / "a.zov", std::ios::binary)
        .write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));

    TCompress c;
    c.MakeDirectories = options & 1;
    c.ExceptionOnFileError = options & 2;
    c.CheckSpaceBeforeExpand = options & 4;
    c.Key = (options & 8) ? 0x11223344 : 0;
    c.SetTargetPath("C:\\out");
    c.OnRecognize = [&](const std::string&, bool& ok) { ok = options & 16; };
    zov::TStringList list;
    try {
        c.ListArchive("C:\\a.zov", list);
    } catch (const zov::Exception&) {
        return 0;
    }
    int64_t total = 0;
    for (int i = 0; i < list.Count(); ++i) {
        const auto* info = dynamic_cast<TCompressedFileInfo*>(list.Objects(i));
        if (!info) std::abort();
        total += info->UncompressedSize < 0 ? 0 : info->UncompressedSize;
    }
    if (total > kMaxExpandedBytes) return 0;
    zov::TStringList only;
    if (options & 32 && list.Count() > 0) only.Add(list[0]);
    try {
        c.ExpandArchive("C:\\a.zov", (options & 32) ? &only : nullptr);
    } catch (const zov::Exception&) {
    }
    return 0;
}
