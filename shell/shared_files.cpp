#include "shell/shared_files.h"

#include "sys/system.h"

namespace zov {

bool AddSharedFileUse(const std::string& path, bool existedBefore) {
    sys::System& os = sys::Sys();
    uint32_t uses = 0;
    if (!os.RegGetDword(sys::RegRoot::LocalMachine, kSharedDllsKey, path, uses)) uses = existedBefore ? 1 : 0;
    return os.RegSetDword(sys::RegRoot::LocalMachine, kSharedDllsKey, path, uses + 1);
}

std::optional<uint32_t> ReleaseSharedFileUse(const std::string& path) {
    sys::System& os = sys::Sys();
    uint32_t uses = 0;
    if (!os.RegGetDword(sys::RegRoot::LocalMachine, kSharedDllsKey, path, uses)) return std::nullopt;
    if (uses <= 1) {
        os.RegDeleteValue(sys::RegRoot::LocalMachine, kSharedDllsKey, path);
        return 0u;
    }
    if (!os.RegSetDword(sys::RegRoot::LocalMachine, kSharedDllsKey, path, uses - 1)) return std::nullopt;
    return uses - 1;
}

}  // namespace zov
