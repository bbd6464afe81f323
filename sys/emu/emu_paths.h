#pragma once
// Windows paths on the emulated machine: drive letters are folders named by the lower-case
// letter below the machine's root, and names are matched without regard to case.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zov::sys::emu {

// Makes a Windows path absolute against `currentDir` ("C:\dir") and removes ".", ".." and
// repeated separators. "/" and "\" both separate. Result: "X:\a\b" (the root is "X:\").
std::string FullWindowsPath(const std::string& path, const std::string& currentDir);

// True for a path the host owns: it starts with "/" and has no backslash.
bool IsHostPath(const std::string& path);

// GetFullPathName's answer: FullWindowsPath, but a trailing "\\" stays and trailing dots and
// spaces of the last name go, as Windows does.
std::string FullPathName(const std::string& path, const std::string& currentDir);

// Finds a name in a folder that no long name matches (the 8.3 alias of an entry).
using AliasLookup = std::function<std::optional<std::filesystem::path>(
    const std::filesystem::path& dir, const std::string& name)>;

// The host file for a full Windows path: each existing component is found without regard
// to case, then through `alias`; missing ones keep the spelling given.
std::filesystem::path HostPath(const std::filesystem::path& root, const std::string& fullPath,
                               const AliasLookup& alias = nullptr);

// The names of a path between its separators ("\\" or "/"), empty ones left out.
std::vector<std::string> SplitComponents(const std::string& text);

std::string UpperAscii(std::string s);

}  // namespace zov::sys::emu
