// install.exe's entry: a safe DLL search path first, then the Win32 window layer and the
// stages.
#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "install/setup_entry.h"
#include "sys/exception.h"
#include "ui/win32/win32_backend.h"

namespace {

// Libraries are looked for in the system directory only, never beside the program (a
// download folder may hold planted DLLs). Systems without SetDefaultDllDirectories at
// least leave the current directory out.
void RestrictDllSearch() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    auto set = reinterpret_cast<SetDirectories>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    if (set && set(kSearchSystem32)) return;
    SetDllDirectoryA("");
}

}  // namespace

namespace __gnu_cxx {
// The run-time library's handler names the type of an exception nobody caught, which
// brings a demangler and printf into the program (about a sixth of its size). The setup
// reports its errors itself; one that still escapes ends the program.
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// The library's container and string errors, raised as the setup's own exception: the
// library's versions would bring its exception classes and with them a second string
// implementation and printf. Every one the library may call must be here, or its own
// definitions come along and the link reports them twice.
namespace std {
void __throw_bad_alloc() { throw zov::Exception("Out of memory"); }
void __throw_bad_array_new_length() { throw zov::Exception("Out of memory"); }
void __throw_length_error(const char* what) { throw zov::Exception(what); }
void __throw_logic_error(const char* what) { throw zov::Exception(what); }
void __throw_out_of_range(const char* what) { throw zov::Exception(what); }
void __throw_out_of_range_fmt(const char* format, ...) { throw zov::Exception(format); }
void __throw_invalid_argument(const char* what) { throw zov::Exception(what); }
void __throw_bad_function_call() { throw zov::Exception("Empty function called"); }
}  // namespace std

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    CoInitialize(nullptr);
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i) args.push_back(__argv[i]);
    const int code = zov::RunSetupCommandLine(args, [] { return zov::ui::win32::MakeWin32Backend(); });
    CoUninitialize();
    return code;
}
