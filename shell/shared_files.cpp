#include "shell/shared_files.h"

#include "sys/canonical_path.h"
#include "sys/system.h"

namespace zov {
namespace {

// One file, one count: "C:\WINDOWS\SYSTEM\..\SYSTEM\x.dll" counts as "C:\WINDOWS\SYSTEM\x.dll".
std::string CountName(const std::string& path) {
    const std::string full = CanonicalText(path);
    return full.empty() ? path : full;
}

}  // namespace

bool IsSystemDirectory(const std::string& dir, const std::string& windowsDir) {
    return SamePath(dir, windowsDir) || SamePath(dir, windowsDir + "\\System") ||
           SamePath(dir, windowsDir + "\\System32");
}

bool AddSharedFileUse(const std::string& path, bool existedBefore) {
    sys::System& os = sys::Sys();
    const std::string name = CountName(path);
    uint32_t uses = 0;
    if (!os.RegGetDword(sys::RegRoot::LocalMachine, kSharedDllsKey, name, uses)) uses = existedBefore ? 1 : 0;
    return os.RegSetDword(sys::RegRoot::LocalMachine, kSharedDllsKey, name, uses + 1);
}

std::optional<uint32_t> ReleaseSharedFileUse(const std::string& path) {
    sys::System& os = sys::Sys();
    const std::string name = CountName(path);
    uint32_t uses = 0;
    if (!os.RegGetDword(sys::RegRoot::LocalMachine, kSharedDllsKey, name, uses)) return std::nullopt;
    if (uses <= 1) {
        os.RegDeleteValue(sys::RegRoot::LocalMachine, kSharedDllsKey, name);
        return 0u;
    }
    if (!os.RegSetDword(sys::RegRoot::LocalMachine, kSharedDllsKey, name, uses - 1)) return std::nullopt;
    return uses - 1;
}

}  // namespace zov
