#pragma once
// The per-archive file list: fixed-width records, each holding one stored name that ends
// at a zero byte or is filled up with spaces.
#include <cstdint>
#include <string>
#include <vector>

namespace zov::segment {

// The name in one record (the last record of a list may be shorter than the width).
std::string NameFromRecord(const uint8_t* record, size_t length);

// The narrowest width that holds every name with a terminating zero (at most 8191).
// Raises zov::Exception for a name that no record can hold or that could not be read back
// (empty, longer than 8191 bytes, with a zero byte or trailing spaces).
int32_t FileListWidth(const std::vector<std::string>& names);

// The list file: one zero-filled record of `width` bytes per name.
std::vector<uint8_t> BuildFileList(const std::vector<std::string>& names, int32_t width);

}  // namespace zov::segment
