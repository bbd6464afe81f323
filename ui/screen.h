#pragma once
// The screen the windows appear on. The Win32 backend fills it in from the system; without
// a backend it is a virtual screen that tests size as they need.
namespace zov::ui {

struct TScreen {
    int Width = 800;
    int Height = 600;
    int PixelsPerInch = 96;
};

TScreen& Screen();

}  // namespace zov::ui
