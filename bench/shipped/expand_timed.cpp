// The container's expansion as it runs in install.exe: built with the same flags and run-time
// (zov_shipped_program), it expands an archive into a folder and prints the processor time
// it took in user mode, where the codecs work, in milliseconds.
//   expand_timed.exe ARCHIVE FOLDER
#include <string>

#include "compress/Compress.h"
#include "sys/decimal.h"

#include <windows.h>  // after the project's headers, whose names it would turn into macros

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc != 3) return 2;
    zov::compress::TCompress expander;
    expander.MakeDirectories = true;
    expander.SetTargetPath(__argv[2]);
    expander.ExpandArchive(__argv[1], nullptr);
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    const unsigned long long ticks = (static_cast<unsigned long long>(user.dwHighDateTime) << 32) | user.dwLowDateTime;
    const std::string line = zov::DecimalText(static_cast<int64_t>(ticks / 10000)) + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    return 0;
}
