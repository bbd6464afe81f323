#pragma once
// The size and CRC-32 of every segment a builder wrote, kept in a section of install.cfg
// ("disk.001=1440000,1A2B3C4D"), so that a reader can tell a damaged or cut disk from a
// good one before it uses a byte of it. Readers that do not know the section ignore it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zov::segment {

inline constexpr const char* kSegCheckSection = "Disk Check";

struct TSegCheck {
    int64_t Size = 0;
    uint32_t Crc = 0;
};
struct TSegCheckEntry {
    std::string Name;  // the segment's file name
    TSegCheck Check;
};
// A list rather than a map: install.exe has no other use for a map's code.
using TSegChecks = std::vector<TSegCheckEntry>;

// The check of a segment file, its name compared without regard to case; null when none.
const TSegCheck* FindSegCheck(const TSegChecks& checks, const std::string& fileName);

// CRC-32 (the polynomial of zip and PNG) over `data`, continuing from `crc` (0 to start).
uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t size);

std::string SegCheckValue(const TSegCheck& check);
bool ParseSegCheck(const std::string& value, TSegCheck& check);

// The section of an install.cfg; entries that do not parse are left out.
TSegChecks ReadSegChecks(const std::string& cfgPath);

}  // namespace zov::segment
