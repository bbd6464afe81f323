// Linked into every program on the medium, whichever run-time they are built with.
#include <windows.h>

#include "sys/win32/shipped_runtime.h"

namespace zov {

void RestrictDllSearch() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    using SetDirectory = BOOL(WINAPI*)(LPCSTR);
    auto setDirectories = reinterpret_cast<SetDirectories>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    if (setDirectories && setDirectories(kSearchSystem32)) return;
    auto setDirectory = reinterpret_cast<SetDirectory>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (setDirectory) setDirectory("");
}

}  // namespace zov
