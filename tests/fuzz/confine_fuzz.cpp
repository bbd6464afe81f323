// `zovpack extract` on arbitrary archives: whatever the stored names say, no file or folder
// is ever created, written or deleted outside the target folder. The system below the tool
// aborts at the first such attempt. Input: the archive's bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "sys/emu/emulated_system.h"
#include "tests/support/forwarding_system.h"
#include "tools/zovpack/commands.h"

namespace {

namespace fs = std::filesystem;

// Deep enough that a name climbing out by a few levels still lands in the sandbox.
const fs::path kSandbox = fs::temp_directory_path() / ("zov-confine-fuzz-" + std::to_string(::getpid()));
const fs::path kTarget = kSandbox / "a" / "b" / "c" / "d" / "e" / "f" / "out";

bool InsideTarget(const std::string& path) {
    std::string host = path;
    for (char& c : host)
        if (c == '\\') c = '/';
    const fs::path normal = fs::path(host).lexically_normal();
    const fs::path rel = normal.lexically_relative(kTarget);
    // The target folder itself counts: a name may climb back to it ("x\..").
    return !rel.empty() && *rel.begin() != "..";
}

void Check(const std::string& path, const char* what) {
    if (InsideTarget(path)) return;
    std::fprintf(stderr, "%s outside the target folder: %s\n", what, path.c_str());
    std::abort();
}

class ConfinedSystem : public zov::test::ForwardingSystem {
public:
    using ForwardingSystem::ForwardingSystem;
    std::unique_ptr<zov::sys::File> OpenFile(const std::string& path, zov::sys::FileAccess access,
                                             zov::sys::FileCreate create,
                                             zov::sys::FileShare share) override {
        if (access != zov::sys::FileAccess::Read || create != zov::sys::FileCreate::OpenExisting)
            Check(path, "file written");
        return ForwardingSystem::OpenFile(path, access, create, share);
    }
    bool CreateDirectory(const std::string& path) override {
        Check(path, "folder created");
        return ForwardingSystem::CreateDirectory(path);
    }
    bool DeleteFile(const std::string& path) override {
        Check(path, "file deleted");
        return ForwardingSystem::DeleteFile(path);
    }
    bool SetFileAttributes(const std::string& path, uint32_t attributes) override {
        Check(path, "attributes set");
        return ForwardingSystem::SetFileAttributes(path, attributes);
    }
};

struct Machine {
    zov::sys::emu::EmulatedSystem emulated{kSandbox / "machine", zov::sys::emu::HostPaths::Taken};
    ConfinedSystem system{emulated};
    Machine() {
        if (!std::freopen("/dev/null", "w", stdout)) std::abort();  // the names extracted would only fill the log
        zov::sys::SetSystem(&system);
    }
    ~Machine() {
        zov::sys::SetSystem(nullptr);
        std::error_code ec;
        fs::remove_all(kSandbox, ec);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Machine machine;
    std::error_code ec;
    fs::remove_all(kSandbox / "a", ec);
    fs::create_directories(kTarget, ec);
    const fs::path archive = kSandbox / "a" / "in.zov";
    std::ofstream(archive, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    // The archive may promise gigabytes; the emulated disk refuses to fill beyond a limit.
    machine.emulated.ClearFaults();
    machine.emulated.FailWritesAfter(1 << 20);
    try {
        zov::zovpack::CmdExtract({archive.string(), "-d", kTarget.string()});
    } catch (const std::exception&) {
    }
    // Nothing but the archive, the target folder's contents and the folders on the way.
    for (const auto& entry : fs::recursive_directory_iterator(kSandbox / "a", ec)) {
        const fs::path p = entry.path();
        const bool onTheWay = entry.is_directory() && !kTarget.lexically_relative(p).empty() &&
                              *kTarget.lexically_relative(p).begin() != "..";
        if (p == archive || onTheWay || InsideTarget(p.string())) continue;
        std::fprintf(stderr, "left outside the target folder: %s\n", p.c_str());
        std::abort();
    }
    return 0;
}
