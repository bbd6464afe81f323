#include "sys/emu/find_pattern.h"

#include <cctype>

namespace zov::sys::emu {
namespace {

bool SameLetter(char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
}

bool Match(const char* pat, const char* name) {
    for (; *pat; ++pat, ++name) {
        if (*pat == '*') {
            while (pat[1] == '*') ++pat;
            for (const char* n = name;; ++n) {
                if (Match(pat + 1, n)) return true;
                if (*n == 0) return false;
            }
        }
        if (*name == 0) return false;
        if (*pat != '?' && !SameLetter(*pat, *name)) return false;
    }
    return *name == 0;
}

}  // namespace

bool MatchesFindPattern(const std::string& pattern, const std::string& name) {
    const size_t n = pattern.size();
    // A trailing ".*" also matches an empty extension: "*.*" matches "README".
    if (n >= 2 && pattern.compare(n - 2, 2, ".*") == 0 &&
        Match(pattern.substr(0, n - 2).c_str(), name.c_str()))
        return true;
    if (n >= 2 && pattern[n - 1] == '.' && pattern[n - 2] == '*') {
        if (name.find('.') != std::string::npos && name != "." && name != "..") return false;
        return Match(pattern.substr(0, n - 1).c_str(), name.c_str());
    }
    return Match(pattern.c_str(), name.c_str());
}

}  // namespace zov::sys::emu
