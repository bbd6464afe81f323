#include "tools/zovpack/host_paths.h"

#include <filesystem>

#include "sys/system.h"

namespace zov::zovpack {

void InstallToolSystem() {
    static std::unique_ptr<sys::System> system = sys::MakeDefaultSystem();
    sys::SetSystem(system.get());
}

std::string ToolPath(const std::string& argument) {
#ifdef _WIN32
    // A bare name would send the profile functions to the Windows directory.
    return argument.empty() ? argument : sys::Sys().GetFullPathName(argument);
#else
    if (argument.empty()) return argument;
    return std::filesystem::absolute(argument).lexically_normal().string();
#endif
}

}  // namespace zov::zovpack
