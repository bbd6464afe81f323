// install.exe's entry: a safe DLL search path first, then the Win32 window layer and the
// stages.
#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "install/setup_entry.h"
#include "sys/win32/shipped_runtime.h"
#include "ui/win32/win32_backend.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    zov::RestrictDllSearch();
    CoInitialize(nullptr);
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i) args.push_back(__argv[i]);
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    const int code = zov::RunSetupCommandLine(args, [] { return zov::ui::win32::MakeWin32Backend(); }, {}, program);
    CoUninitialize();
    return code;
}
