#pragma once
// Host file operations of the emulated machine that never throw: each failure is an answer.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zov::sys::emu {

// The entries of a host folder; empty when it cannot be read.
std::vector<std::filesystem::path> FolderEntries(const std::filesystem::path& dir);

// The whole file, or nullopt when it cannot be read.
std::optional<std::string> ReadHostFile(const std::filesystem::path& file);

// Writes `bytes` to a new file beside `file`, flushes it to the disk and renames it over
// `file`: a reader, or a kill at any moment, sees the old text or the new one, never a part.
// False when `file` is there but is no regular file (a device, a link), which it never replaces.
bool ReplaceHostFile(const std::filesystem::path& file, const std::string& bytes);

}  // namespace zov::sys::emu
