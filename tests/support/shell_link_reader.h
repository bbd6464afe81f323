#pragma once
// Reads back the parts of a shell link (.lnk) file that the setup sets, from its bytes in the
// Shell Link Binary File Format, whichever system wrote it.
#include <cstdint>
#include <optional>
#include <string>

namespace zov::test {

struct ShellLinkInfo {
    uint32_t flags = 0;
    uint32_t showCommand = 0;
    int iconIndex = 0;
    std::string localBasePath;  // the target, from the LinkInfo
    std::string name;           // description
    std::string relativePath;
    std::string workingDir;
    std::string arguments;
    std::string iconLocation;
};

// nullopt when the bytes are not a shell link or are cut short.
std::optional<ShellLinkInfo> ParseShellLink(const std::string& bytes);

}  // namespace zov::test
