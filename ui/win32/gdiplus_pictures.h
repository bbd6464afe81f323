#pragma once
// Pictures through the flat GDI+ interface, loaded from the system directory at first use
// (never from beside the program). Still pictures and every frame of an animated GIF.
#include <memory>
#include <string>

#include "ui/backend.h"
#include "ui/win32/windows_ui.h"

namespace zov::ui::win32 {

// Raises EInvalidGraphic when GDI+ cannot read the bytes or is missing.
std::unique_ptr<TPictureData> DecodeWithGdiplus(const std::string& bytes);
// Draws a picture DecodeWithGdiplus made.
void DrawGdiplusPicture(HDC dc, const TPictureData& picture, int frame, const RECT& dest);
void ShutdownGdiplus();

}  // namespace zov::ui::win32
