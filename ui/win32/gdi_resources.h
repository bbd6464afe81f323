#pragma once
// Shared GDI objects of the backend: fonts and solid brushes made once per look, and the
// conversion of window-layer colours to COLORREF.
#include "ui/font.h"
#include "ui/win32/windows_ui.h"

namespace zov::ui::win32 {

// System colours resolved; palette-relative colours kept as they are.
COLORREF ToColorRef(TColor color);
HFONT FontHandle(const TFont& font);
HBRUSH BrushHandle(TColor color);
// The system's caption font for the title-bar painter (the small one for tool windows).
TFont CaptionFont(bool small);

}  // namespace zov::ui::win32
