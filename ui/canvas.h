#pragma once
// A drawing surface. Controls paint themselves through it in their own coordinates; the
// Win32 backend draws with GDI, tests record what is drawn.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sys/exception.h"
#include "ui/font.h"
#include "ui/types.h"

namespace zov::ui {

// The system ran out of graphics resources (an off-screen bitmap could not be made).
ZOV_EXCEPTION(EOutOfResources);

enum class TPenStyle : uint8_t { psSolid, psClear };
enum class TBrushStyle : uint8_t { bsSolid, bsClear };
enum class TCopyMode : uint8_t { cmSrcCopy };

// Text layout flags of DrawText.
enum TTextFlags : uint32_t {
    tfLeft = 0,
    tfCenter = 1u << 0,
    tfRight = 1u << 1,
    tfVCenter = 1u << 2,
    tfWordBreak = 1u << 3,
    tfSingleLine = 1u << 4,
    tfNoPrefix = 1u << 5,  // "&" is drawn, not taken as an accelerator mark
};

struct TPaletteEntry {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    uint8_t Flags = 0;
    bool operator==(const TPaletteEntry&) const = default;
};

// A logical palette made by a canvas; deleting it frees it.
class TPalette {
public:
    virtual ~TPalette() = default;
};

class TPictureData;

class TCanvas {
public:
    virtual ~TCanvas() = default;

    TPenStyle PenStyle = TPenStyle::psSolid;
    TColor PenColor = clBlack;
    TBrushStyle BrushStyle = TBrushStyle::bsSolid;
    TColor BrushColor = clWhite;
    TFont Font;
    TCopyMode CopyMode = TCopyMode::cmSrcCopy;

    virtual void FillRect(const TRect& rect) = 0;      // with the brush, no outline
    virtual void Ellipse(const TRect& rect) = 0;       // filled with the brush, outlined with the pen
    virtual void Line(int x1, int y1, int x2, int y2) = 0;  // with the pen colour, end point excluded
    // Text in the font's colour with a transparent background, clipped to `clip`.
    virtual void TextRect(const TRect& clip, int x, int y, const std::string& text) = 0;
    virtual void DrawText(const TRect& rect, const std::string& text, uint32_t flags) = 0;
    virtual TPoint TextExtent(const std::string& text) = 0;
    virtual void DrawPicture(const TPictureData& picture, int frame, const TRect& dest) = 0;

    virtual std::unique_ptr<TPalette> CreatePalette(uint16_t version,
                                                    const std::vector<TPaletteEntry>& entries) = 0;
    // Selects a palette (null: the system's default one); returns the one selected before.
    virtual TPalette* SelectPalette(TPalette* palette, bool forceBackground) = 0;
    virtual void RealizePalette() = 0;
    // An off-screen bitmap compatible with this surface; raises EOutOfResources.
    virtual std::unique_ptr<TCanvas> CreateBitmap(int width, int height) = 0;
    // Copies a bitmap made by CreateBitmap to (x, y) with CopyMode.
    virtual void Draw(int x, int y, TCanvas& bitmap) = 0;

    // Moves the origin to (x, y) of the current coordinates and clips to `clip` in the new
    // ones, until the matching PopState.
    virtual void PushState(int x, int y, const TRect& clip) = 0;
    virtual void PopState() = 0;
};

// A 3-D frame of `width` pixels inside `rect`, which shrinks by it.
void Frame3D(TCanvas& canvas, TRect& rect, TColor topLeft, TColor bottomRight, int width);

}  // namespace zov::ui
