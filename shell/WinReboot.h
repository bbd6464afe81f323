#pragma once
// Restart of Windows on request.
#include <cstdint>
#include <string>

namespace zov {

constexpr uint32_t EWX_REBOOT = 2;

class TWinReboot {
public:
    // Enables or disables one privilege of the process token; false when it cannot.
    bool AdjustPrivilege(const std::string& name, bool enable);
    // Asks Windows to end the session with `flags`; true when the request was accepted.
    bool Reboot(uint32_t flags);
};

}  // namespace zov
