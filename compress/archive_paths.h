#pragma once
// Path rules of archive expansion. Windows takes "/" as well as "\" between the parts of a
// path, so both count as separators here.
#include <string>

#include "sys/paths.h"

namespace zov::compress {

using zov::DirectoryPart;
using zov::IsPathSeparator;

// True when the ".." parts of a relative stored name lead above the directory it is placed
// in. Parts made only of dots and spaces count as "..", since Windows drops trailing dots
// and spaces from a name.
bool ClimbsOutOfDirectory(const std::string& name);

// Makes a stored name relative, as LHA tools do: leading separators and drives ("C:") go.
// False when what is left is empty or still leads above the directory it is placed in.
bool ConfineName(std::string& name);

inline std::string UpperAscii(const std::string& text) { return UpperCase(text); }

}  // namespace zov::compress
