#pragma once
// The known name a misspelt one was most likely meant to be.
#include <string>
#include <vector>

namespace zov::zovpack {

// The name of `known` nearest to `name` (without regard to case) by the letters one would
// add, drop, change or swap to get there, when that is few enough for a slip: at most one
// in three letters. "" when none is that near.
std::string NearestName(const std::string& name, const std::vector<std::string>& known);

}  // namespace zov::zovpack
