#pragma once
// A font as controls and canvases carry it.
#include <cstdint>
#include <string>

#include "ui/types.h"

namespace zov::ui {

constexpr uint8_t kAnsiCharset = 0;
constexpr uint8_t kDefaultCharset = 1;

struct TFont {
    std::string Name = "MS Sans Serif";
    int Height = 11;  // character height in pixels (8 points at 96 pixels per inch)
    TColor Color = clWindowText;
    uint8_t Charset = kDefaultCharset;
    bool Bold = false;

    // The size in points on the screen (Screen().PixelsPerInch).
    int Size() const;
    void SetSize(int points);

    bool operator==(const TFont&) const = default;
};

}  // namespace zov::ui
