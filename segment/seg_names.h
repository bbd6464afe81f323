#pragma once
// Names of segment files and the small path rules the segment layer applies to Windows
// paths ("\" separates, ":" ends a drive).
#include <cstdint>
#include <string>

namespace zov::segment {

inline constexpr const char* kDefaultSegBaseName = "SegData";
inline constexpr const char* kDefaultSegDir = "a:\\";
inline constexpr int32_t kDefaultSegSize = 1440000;
inline constexpr int32_t kMinSegSize = 16384;
inline constexpr const char* kTempArchiveExt = ".$A$";

std::string LowerAscii(std::string text);
bool SameTextAscii(const std::string& a, const std::string& b);

// Everything up to and including the last "\" or ":" (empty when there is none).
std::string DirectoryPart(const std::string& path);
// What follows the last "\" or ":".
std::string FileNamePart(const std::string& path);
// The path without one trailing "\".
std::string WithoutTrailingBackslash(std::string path);

// The stored form of an assigned base name: its file-name part ("/" also counts as a
// separator here, so no value can point into another directory), lower-cased; "SegData"
// for an empty result.
std::string NormalizeSegBaseName(const std::string& value);

// The extension of segment `number`: `segExt` when set, else the number padded with "0" to
// three digits (1000 and above keep all their digits).
std::string SegExtension(const std::string& segExt, uint16_t number);
std::string SegFileName(const std::string& baseName, const std::string& segExt, uint16_t number);
// `dir` without one trailing "\", then "\" and the segment's file name.
std::string SegFilePath(const std::string& dir, const std::string& baseName,
                        const std::string& segExt, uint16_t number);

}  // namespace zov::segment
