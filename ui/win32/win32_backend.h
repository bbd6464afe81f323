#pragma once
// The Win32 backend: real windows for the controls, GDI painting, GDI+ pictures.
#include <memory>

#include "ui/backend.h"

namespace zov::ui::win32 {

// Registers the window classes, reads the screen's size and colours. Call once, before
// the first form is created.
std::unique_ptr<TBackend> MakeWin32Backend();

}  // namespace zov::ui::win32
