#pragma once
// FindFirstFile's wildcard match: "*" and "?" without regard to case; "*.*" matches every
// name, a pattern ending in "*." only names without an extension.
#include <string>

namespace zov::sys::emu {

bool MatchesFindPattern(const std::string& pattern, const std::string& name);

}  // namespace zov::sys::emu
