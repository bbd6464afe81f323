#pragma once
// Windows paths on the emulated machine: drive letters are folders named by the lower-case
// letter below the machine's root, and names are matched without regard to case.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zov::sys::emu {

// True for a path the host owns: it starts with "/" and has no backslash. Only a machine
// that takes host paths (a builder tool's) reads them as such; to the others "/tmp/x" is
// "\tmp\x" on the current drive, as it is to Windows.
bool IsHostPath(const std::string& path);

// GetFullPathName's answer against the current directory `currentDir` ("C:\dir"): separators
// made "\", "." and ".." resolved, a trailing "\" kept, trailing dots and spaces of the last
// name dropped; a device name gives "\\.\NAME" and a "\\?\" path comes back as it is.
std::string FullPathName(const std::string& path, const std::string& currentDir);

// Finds a name in a folder that no long name matches (the 8.3 alias of an entry).
using AliasLookup = std::function<std::optional<std::filesystem::path>(
    const std::filesystem::path& dir, const std::string& name)>;

struct HostLookup {
    std::filesystem::path host;
    uint32_t error = 0;  // ERROR_ACCESS_DENIED when a link on the way leads out of the machine
};

// The host file for a canonical Windows path ("X:\a\b") below `root`, the machine's folder
// in its canonical host form: each existing component is found without regard to case,
// then through `alias`; missing ones keep the spelling given. A symbolic link on the way is
// followed only when its target lies inside the machine.
HostLookup HostPath(const std::filesystem::path& root, const std::string& fullPath,
                    const AliasLookup& alias = nullptr);

// The names of a path between its separators ("\\" or "/"), empty ones left out.
std::vector<std::string> SplitComponents(const std::string& text);

std::string UpperAscii(std::string s);

}  // namespace zov::sys::emu
