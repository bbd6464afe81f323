#pragma once
// A medium's install.cfg carries, first in its "Disk Check" section, the size and CRC-32 of
// its own text without that section ("install.cfg=2045,1A2B3C4D"), so that the setup can
// refuse a copy that was cut short or changed before it installs a part of the product.
// The section comes first so that a cut at any later byte leaves the check in place.
#include <string>

#include "segment/seg_check.h"

namespace zov {

inline constexpr const char* kConfigCheckKey = "install.cfg";

// The text without the "Disk Check" section's header and key lines; blank and comment lines
// stay, wherever they are. The check is made over this text, so a builder may rewrite the
// section without changing what it measures.
std::string TextWithoutDiskCheck(const std::string& text);

// The size and CRC-32 of TextWithoutDiskCheck(text).
segment::TSegCheck ConfigTextCheck(const std::string& text);

// What a builder writes: the "Disk Check" section with install.cfg's own check first, then
// `entries` (its other lines, each ending in a line break), then `text` (install.cfg without
// the section, ending in a line break).
std::string WithDiskCheck(const std::string& entries, const std::string& text);

// Empty when `text` (install.cfg's bytes, read from `cfgPath`) is whole, or carries no check
// because an older builder wrote it (no "install.cfg" entry, and the file does not start with
// the section); otherwise what is wrong, naming the file.
std::string ConfigTextFault(const std::string& cfgPath, const std::string& text);

// The same for the file itself; a file that cannot be read is left to the reader.
std::string ConfigFileFault(const std::string& cfgPath);

}  // namespace zov
