#pragma once
// A medium's install.cfg starts with its "Disk Check" section, whose first entry holds the
// size and CRC-32 of the text after that section ("install.cfg=2045,1A2B3C4D"), so that the
// setup can refuse a copy that was cut short or changed before it installs a part of the
// product. The section comes first so that a cut at any later byte leaves the check in place.
#include <string>

#include "segment/seg_check.h"

namespace zov {

inline constexpr const char* kConfigCheckKey = "install.cfg";

// The text without the "Disk Check" section's header and entries, wherever the section is;
// blank and comment lines stay. What a builder writes the section in front of.
std::string TextWithoutDiskCheck(const std::string& text);

// What a builder writes: the "Disk Check" section with install.cfg's own check first (the
// size and CRC-32 of the text from its first section header after the first line on), then
// `entries` (its other lines, each ending in a line break), then `text` (install.cfg without
// the section, ending in a line break).
std::string WithDiskCheck(const std::string& entries, const std::string& text);

// Empty when the install.cfg at `cfgPath` is whole, or carries no check because it does not
// start with the section (an older builder wrote it); otherwise what is wrong, naming the
// file. A file that cannot be read is left to the reader.
std::string ConfigFileFault(const std::string& cfgPath);

}  // namespace zov
