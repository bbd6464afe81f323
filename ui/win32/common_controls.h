#pragma once
// The common controls' later functions, found at run time: InitCommonControlsEx and
// _TrackMouseEvent came with the common controls of Internet Explorer 3, which a plain
// Windows 95 or NT 4.0 lacks. Without them the programs still run, with the controls every
// Windows has and without the hover look of the flat buttons.
#include "ui/win32/windows_ui.h"

namespace zov::ui::win32 {

// Registers the window classes of the common controls the programs use.
void InitCommonControlsAtRunTime();

// Asks for WM_MOUSELEAVE when the mouse leaves `window`; false when the system cannot.
bool TrackMouseLeave(HWND window);

}  // namespace zov::ui::win32
