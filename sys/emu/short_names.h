#pragma once
// 8.3 names as Windows makes them for long file names: "long file name.txt" becomes
// "LONGFI~1.TXT", the next such name in the folder "LONGFI~2.TXT", and so on.
#include <string>

namespace zov::sys::emu {

// True for a name that needs no short form: one to eight characters, optionally a dot and
// one to three more, none of them a space or a character that 8.3 names forbid. Lower case
// is allowed, as Windows keeps such names unchanged.
bool IsLegal83(const std::string& name);

// The short name with numeric tail `n` (1, 2, ...) for a long name.
std::string ShortNameCandidate(const std::string& longName, int n);

}  // namespace zov::sys::emu
