#pragma once
// Windows paths on the emulated machine: drive letters are folders named by the lower-case
// letter below the machine's root, and names are matched without regard to case.
#include <filesystem>
#include <string>

namespace zov::sys::emu {

// Makes a Windows path absolute against `currentDir` ("C:\dir") and removes ".", ".." and
// repeated separators. "/" and "\" both separate. Result: "X:\a\b" (the root is "X:\").
std::string FullWindowsPath(const std::string& path, const std::string& currentDir);

// True for a path the host owns: it starts with "/" and has no backslash.
bool IsHostPath(const std::string& path);

// The host file for a full Windows path: each existing component is found without regard
// to case; missing ones keep the spelling given.
std::filesystem::path HostPath(const std::filesystem::path& root, const std::string& fullPath);

std::string UpperAscii(std::string s);

}  // namespace zov::sys::emu
