#pragma once
// <windows.h> and the common controls for the Win32 backend only. The DrawText macro
// would rename the canvas method of that name, so it is taken back and the code calls
// DrawTextA by its full name; GDI functions that share a name with a canvas method are
// called with "::".
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#undef DrawText
