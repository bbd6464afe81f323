#pragma once
// Turning colours into plain red, green and blue values.
#include <cstdint>

#include "ui/types.h"

namespace zov::ui {

// The plain 0x00BBGGRR value of a colour: system colours resolved, flag bytes dropped.
uint32_t ColorToRGB(TColor color);

constexpr uint32_t MakeRGB(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<uint32_t>(red) | (static_cast<uint32_t>(green) << 8) |
           (static_cast<uint32_t>(blue) << 16);
}
constexpr uint8_t RedOf(uint32_t rgb) { return static_cast<uint8_t>(rgb); }
constexpr uint8_t GreenOf(uint32_t rgb) { return static_cast<uint8_t>(rgb >> 8); }
constexpr uint8_t BlueOf(uint32_t rgb) { return static_cast<uint8_t>(rgb >> 16); }

// `text` when it stands out from `background` at least 3 to 1 (the lightness of the lighter,
// plus a little for the screen's glare, to that of the darker); else black or white, whichever
// stands out more.
TColor ReadableOn(TColor text, TColor background);

// A colour the system matches against the selected logical palette (high byte 2).
constexpr TColor PaletteRelative(uint32_t rgb) {
    return static_cast<TColor>(0x02000000u | (rgb & 0xFFFFFFu));
}

// Where system colours come from. The Win32 backend installs the system's own; without it
// the classic Windows scheme answers.
using SystemColorSource = uint32_t (*)(int index);
void SetSystemColorSource(SystemColorSource source);

}  // namespace zov::ui
