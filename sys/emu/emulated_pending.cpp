// Placeholders until the emulated profile files, registry and shell arrive.
#include "sys/emu/emulated_system.h"

#include <cstdlib>

namespace zov::sys::emu {

std::string EmulatedSystem::GetProfileString(const std::string&, const std::string&,
                                             const std::string&, const std::string& defaultValue,
                                             uint32_t) {
    return defaultValue;
}
std::vector<std::string> EmulatedSystem::GetProfileKeyNames(const std::string&, const std::string&,
                                                            uint32_t) {
    return {};
}
std::vector<std::string> EmulatedSystem::GetProfileSectionNames(const std::string&, uint32_t) {
    return {};
}
bool EmulatedSystem::WriteProfileString(const std::string&, const std::string&, const std::string&,
                                        const std::string&) {
    return false;
}
bool EmulatedSystem::RegCreateKey(RegRoot, const std::string&) { return false; }
bool EmulatedSystem::RegKeyExists(RegRoot, const std::string&) { return false; }
bool EmulatedSystem::RegSetString(RegRoot, const std::string&, const std::string&,
                                  const std::string&) {
    return false;
}
bool EmulatedSystem::RegGetString(RegRoot, const std::string&, const std::string&, std::string&) {
    return false;
}
std::unique_ptr<ShellLink> EmulatedSystem::CreateShellLink() { return nullptr; }
intptr_t EmulatedSystem::ShellExecute(const std::string&, const std::string&, const std::string&,
                                      const std::string&, int) {
    return 0;
}
bool EmulatedSystem::AdjustTokenPrivilege(const std::string&, bool) { return false; }
bool EmulatedSystem::ExitWindows(uint32_t) { return false; }

std::unique_ptr<System> MakeDefaultSystem() {
    const char* root = std::getenv("ZOV_MACHINE");
    return std::make_unique<EmulatedSystem>(root ? root : "/tmp/zov-machine");
}

}  // namespace zov::sys::emu

namespace zov::sys {
std::unique_ptr<System> MakeDefaultSystem() { return emu::MakeDefaultSystem(); }
}  // namespace zov::sys
