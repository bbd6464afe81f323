#pragma once
// Files that several products put into the Windows or the system directory carry a use
// count in the standard SharedDLLs key (a DWORD named after the file's path): each install
// adds one, each uninstall takes one away, and only the last one deletes the file.
#include <cstdint>
#include <optional>
#include <string>

namespace zov {

// Below HKEY_LOCAL_MACHINE.
constexpr const char* kSharedDllsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// The Windows directory and the system directories below it, where shared files are counted;
// compared in their full form, so "C:\WINDOWS\X\..\SYSTEM" is one of them.
bool IsSystemDirectory(const std::string& dir, const std::string& windowsDir);

// One more product uses `path`. A file that was there before the install without a count
// belongs to someone who never counted it: that owner keeps one use, so the file outlives
// this product. False when the count cannot be written (the reason is in LastError).
bool AddSharedFileUse(const std::string& path, bool existedBefore);

// One product less: the uses left, 0 when the caller may delete the file (the value is
// then removed). No count at all gives nothing: nobody can say the file is free.
std::optional<uint32_t> ReleaseSharedFileUse(const std::string& path);

}  // namespace zov
