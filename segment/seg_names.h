#pragma once
// Names of segment files and the small path rules the segment layer applies.
#include <cstdint>
#include <string>

#include "sys/paths.h"

namespace zov::segment {

inline constexpr const char* kDefaultSegBaseName = "SegData";
inline constexpr const char* kDefaultSegDir = "a:\\";
inline constexpr int32_t kDefaultSegSize = 1440000;
inline constexpr int32_t kMinSegSize = 16384;

// Creates `dir` and every missing parent. Raises zov::Exception "Unable to create
// directory" for an empty name; a directory that cannot be made only returns false.
bool ForceDirectories(const std::string& dir);

// The stored form of an assigned base name: its file-name part ("/" also counts as a
// separator here, so no value can point into another directory), lower-cased; "SegData"
// for an empty result.
std::string NormalizeSegBaseName(const std::string& value);

// The extension of segment `number`: `segExt` when set, else the number padded with "0" to
// three digits (1000 and above keep all their digits).
std::string SegExtension(const std::string& segExt, uint16_t number);
std::string SegFileName(const std::string& baseName, const std::string& segExt, uint16_t number);
// `dir`, "\" unless it ends in one, and the segment's file name.
std::string SegFilePath(const std::string& dir, const std::string& baseName,
                        const std::string& segExt, uint16_t number);

}  // namespace zov::segment
