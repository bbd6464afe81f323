// The entry of every program on the medium, in place of the C run-time's start-up code: that
// one also prepares thread-local storage, console modes, wildcard expansion and math error
// hooks these programs do not use, and brings 1.5 KB of code and ten imports along.
#include <windows.h>

#include <cstdlib>

extern "C" {
struct StartupInfo {
    int newMode;
};
int __cdecl __getmainargs(int* argc, char*** argv, char*** env, int wildcards, StartupInfo* info);
void __cdecl __set_app_type(int type);
void __main();  // the constructors of static objects (and the unwind records' registration)
void _pei386_runtime_relocator();
char** __cdecl __p__acmdln();  // the command line, as the C library keeps it
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

int __cdecl atexit(void (*function)()) {
    return _onexit(reinterpret_cast<_onexit_t>(reinterpret_cast<void*>(function))) ? 0 : -1;
}

__attribute__((used, noreturn)) void WinMainCRTStartup() {
    constexpr int kWindowsProgram = 2;  // the C library reports its errors in a message box
    __set_app_type(kWindowsProgram);
    asm volatile("fninit");  // the processor's floating-point defaults, as the C run-time sets them
    _pei386_runtime_relocator();
    int argc;
    char** argv;
    char** env;
    StartupInfo info{};
    __getmainargs(&argc, &argv, &env, 0, &info);  // __argc and __argv for the programs
    __main();
    // The command line after the program's name, parts of which may be quoted.
    char* rest = *__p__acmdln();
    for (bool quoted = false; *rest && (quoted || static_cast<unsigned char>(*rest) > ' '); ++rest)
        if (*rest == '"') quoted = !quoted;
    while (*rest && static_cast<unsigned char>(*rest) <= ' ') ++rest;
    std::exit(WinMain(GetModuleHandleA(nullptr), nullptr, rest, SW_SHOWDEFAULT));
}
}
