#pragma once
// What every shipped program does first (program_runtime.cpp also replaces the run-time
// library's error paths in each of them).

namespace zov {

// Libraries are looked for in the system directory only, never beside the program (a
// download folder may hold planted DLLs). Systems without SetDefaultDllDirectories at
// least leave the current directory out.
void RestrictDllSearch();

}  // namespace zov
