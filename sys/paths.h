#pragma once
// The path and text rules every part of the setup shares. Paths are Windows paths; "/"
// counts as a separator as well, since Windows takes it as one.
#include <string>
#include <vector>

namespace zov {

// ASCII letters only, as file names, tags and keys are compared.
std::string UpperCase(const std::string& text);
std::string LowerCase(const std::string& text);

inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// The part after the last separator or drive colon.
std::string FileNamePart(const std::string& path);
// Everything up to and including the last separator or drive colon ("" when there is none).
std::string DirectoryPart(const std::string& path);
// Trailing separators dropped, except the one of a drive root ("C:\" stays).
std::string WithoutTrailingBackslash(const std::string& path);
// `dir` + "\" + `name`, with no doubled separator.
std::string JoinPath(const std::string& dir, const std::string& name);

bool FileExists(const std::string& path);       // exists and is not a directory
bool DirectoryExists(const std::string& path);

// Creates `dir` and every missing parent, walking up without recursion. False when a
// directory cannot be made; the system's reason is left in LastError. Every directory it
// made is added to `created`, parents first, when given.
bool ForceDirectories(const std::string& dir, std::vector<std::string>* created = nullptr);

// Deletes a file even when it is read-only (Windows refuses to delete those as they are).
bool DeleteFileForced(const std::string& path);
// Deletes every file directly inside `dir` (read-only ones too), then the directory. Does
// nothing for an empty name, which would otherwise mean the root of the current drive.
void EmptyAndRemoveDirectory(const std::string& dir);

}  // namespace zov
