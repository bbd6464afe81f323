#pragma once
// What the programs on the medium share: the safe DLL search they do first (dll_search.cpp),
// and what the project's own run-time (shipped_runtime.cpp) knows of the C++ library.
#include <cstddef>

namespace zov {

namespace runtime {
// The run-time library's record of a thrown exception, which lies before the thrown object
// in the allocation that shipped_runtime.cpp makes for it: the library's own business,
// measured for the one library the programs are built with (tests/runtime checks it).
constexpr std::size_t kExceptionRecord = 0x60;

// Raises the programs' "Out of memory" error (out_of_memory.cpp): for `new`, and for the
// library's allocation failures where the project's own run-time handles them.
[[noreturn]] __attribute__((noinline)) void ThrowOutOfMemory();
}  // namespace runtime

// Libraries are looked for in the system directory only, never beside the program (a
// download folder may hold planted DLLs). Systems without SetDefaultDllDirectories (it came
// with Windows 8 and an update for Vista and 7) at least leave the current directory out,
// from XP SP1 on; older ones have neither and keep their search order.
void RestrictDllSearch();

}  // namespace zov
