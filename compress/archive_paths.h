#pragma once
// Path rules of archive expansion. Windows takes "/" as well as "\" between the parts of a
// path, so both count as separators here.
#include <string>

namespace zov::compress {

inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// Everything up to and including the last separator or drive colon ("" when there is none).
std::string DirectoryPart(const std::string& path);

// True when the ".." parts of a relative stored name lead above the directory it is placed
// in. Parts made only of dots and spaces count as "..", since Windows drops trailing dots
// and spaces from a name.
bool ClimbsOutOfDirectory(const std::string& name);

std::string UpperAscii(std::string text);

}  // namespace zov::compress
