// install.exe's entry: a safe DLL search path first, then the Win32 window layer and the
// stages.
#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "install/setup_entry.h"
#include "ui/win32/win32_backend.h"

namespace {

// Libraries are looked for in the system directory only, never beside the program (a
// download folder may hold planted DLLs). Systems without SetDefaultDllDirectories (it came
// with Windows 8 and an update for Vista and 7) at least leave the current directory out,
// from XP SP1 on; older ones have neither and keep their search order.
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

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    CoInitialize(nullptr);
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i) args.push_back(__argv[i]);
    const int code = zov::RunSetupCommandLine(args, [] { return zov::ui::win32::MakeWin32Backend(); });
    CoUninitialize();
    return code;
}
