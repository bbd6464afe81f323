#pragma once
// What every program on the medium does first; shipped_runtime.cpp, linked into each of
// them, also replaces parts of the C++ run-time library.
#include <cstddef>

namespace zov {

namespace runtime {
// The run-time library's record of a thrown exception, which lies before the thrown object
// in the allocation that shipped_runtime.cpp makes for it: the library's own business,
// measured for the one library the programs are built with (tests/runtime checks it).
constexpr std::size_t kExceptionRecord = 0x60;
}  // namespace runtime

// Libraries are looked for in the system directory only, never beside the program (a
// download folder may hold planted DLLs). Systems without SetDefaultDllDirectories (it came
// with Windows 8 and an update for Vista and 7) at least leave the current directory out,
// from XP SP1 on; older ones have neither and keep their search order.
void RestrictDllSearch();

}  // namespace zov
