#pragma once
// <windows.h> for this folder only. Its function-name macros (DeleteFile for DeleteFileA,
// ...) would rename the System methods of the same names, so they are taken back here and
// the code calls the ANSI functions by their full names.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#undef CreateDirectory
#undef DeleteFile
#undef ExitWindows
#undef GetCurrentDirectory
#undef GetDiskFreeSpace
#undef GetFileAttributes
#undef GetFullPathName
#undef GetProfileString
#undef GetShortPathName
#undef GetWindowsDirectory
#undef RegCreateKey
#undef RegDeleteKey
#undef RegDeleteValue
#undef RegEnumKey
#undef RemoveDirectory
#undef SetCurrentDirectory
#undef SetFileAttributes
#undef ShellExecute
#undef WriteProfileSection
#undef WriteProfileString
#undef Yield
