// A whole expansion run over arbitrary bytes taken as segment 1 of a set: whatever the
// records, names and archives say, the run ends with a result or an Exception, with no
// memory error on the way, and writes nowhere but its own folders. Input: the bytes of
// disk.001.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "segment/Segment.h"
#include "sys/emu/emulated_system.h"
#include "tests/support/forwarding_system.h"

namespace {

namespace fs = std::filesystem;

// Host paths are never needed here; refusing them keeps every write inside the machine.
class MachineOnly : public zov::test::ForwardingSystem {
public:
    using ForwardingSystem::ForwardingSystem;
    std::unique_ptr<zov::sys::File> OpenFile(const std::string& path, zov::sys::FileAccess access,
                                             zov::sys::FileCreate create,
                                             zov::sys::FileShare share) override {
        if (!path.empty() && path[0] == '/') return nullptr;
        return ForwardingSystem::OpenFile(path, access, create, share);
    }
    bool CreateDirectory(const std::string& path) override {
        return !path.empty() && path[0] != '/' && ForwardingSystem::CreateDirectory(path);
    }
};

struct Machine {
    fs::path root = fs::temp_directory_path() / ("zov-segment-fuzz-" + std::to_string(::getpid()));
    zov::sys::emu::EmulatedSystem emulated{root};
    MachineOnly system{emulated};
    Machine() { zov::sys::SetSystem(&system); }
    ~Machine() {
        zov::sys::SetSystem(nullptr);
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

// One input cannot write more than this (expanded file lists and archives together).
constexpr uint64_t kWriteLimit = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Machine machine;
    std::error_code ec;
    for (const char* dir : {"media", "tmp", "out"}) {
        fs::remove_all(machine.root / "c" / dir, ec);
        fs::create_directories(machine.root / "c" / dir, ec);
    }
    std::ofstream(machine.root / "c" / "media" / "disk.001", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    machine.emulated.ClearFaults();
    machine.emulated.FailWritesAfter(kWriteLimit);

    zov::segment::TSegCompEZ reader;
    reader.SetSegBaseName("disk");
    reader.SetSegDir("C:\\media");
    reader.SetSegTmpDir("C:\\tmp");
    reader.SetSegPopUp(false);
    // The input's length also chooses a segment check for disk.001: none, its true size and
    // CRC (the segment is checked as it is read), or a wrong CRC (the disk is refused).
    if (size % 3 != 0) {
        const uint32_t crc = zov::segment::Crc32Update(0, data, size);
        reader.SegChecks.push_back({"DISK.001", {static_cast<int64_t>(size), size % 3 == 1 ? crc : ~crc}});
    }
    // Files go flat into one folder under names made of safe characters only.
    reader.OnCheckFile = [](std::string& path, zov::compress::TCProcessMode) {
        std::string name;
        for (size_t i = path.find_last_of("\\/:") + 1; i < path.size() && name.size() < 40; ++i) {
            const char c = path[i];
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) name += c;
        }
        path = "C:\\out\\f" + name;
    };
    try {
        zov::segment::TNoDiskPrompts prompts;  // every disk that is missing or unusable stops the run
        reader.ExpandSegmentSet(prompts);
    } catch (const zov::Exception&) {
    }
    return 0;
}
