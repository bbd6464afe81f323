#include "ui/fountain.h"

#include <algorithm>
#include <vector>

#include "ui/colors.h"

namespace zov::ui {
namespace {
constexpr uint16_t kPaletteVersion = 0x300;
}

TFountainFill::TFountainFill(TWinControl* parent) : TControl(parent, TControlKind::Graphic) {
    SetBounds(0, 0, 50, 50);
}

TFountainFill::~TFountainFill() = default;

void TFountainFill::DropPalette() { palette_.reset(); }

void TFountainFill::SetFromColor(TColor color) {
    if (color == fromColor_) return;
    fromColor_ = color;
    DropPalette();
    Invalidate();
}

void TFountainFill::SetToColor(TColor color) {
    if (color == toColor_) return;
    toColor_ = color;
    DropPalette();
    Invalidate();
}

void TFountainFill::SetSteps(int steps) {
    steps = std::clamp(steps, 1, 255);
    if (steps == steps_) return;
    steps_ = steps;
    DropPalette();
    Invalidate();
}

void TFountainFill::SetStyle(TFountainStyle style) {
    if (style == style_) return;
    style_ = style;
    Invalidate();
}

void TFountainFill::SetUsePalette(bool use) {
    if (use == usePalette_) return;
    usePalette_ = use;
    DropPalette();
    Invalidate();
}

bool TFountainFill::IsFlat() const {
    return steps_ < 2 || ColorToRGB(fromColor_) == ColorToRGB(toColor_);
}

void TFountainFill::MakePalette(TCanvas& canvas) {
    if (IsFlat()) return;
    const uint32_t from = ColorToRGB(fromColor_), to = ColorToRGB(toColor_);
    std::vector<TPaletteEntry> entries;
    for (int i = 0; i < steps_; ++i) {
        const uint32_t c = FountainBandColor(from, to, i, steps_);
        entries.push_back({RedOf(c), GreenOf(c), BlueOf(c), 0});
    }
    palette_ = canvas.CreatePalette(kPaletteVersion, entries);
}

void TFountainFill::SelectPalette(TCanvas& canvas) {
    if (!palette_) return;
    canvas.SelectPalette(palette_.get(), false);
    canvas.RealizePalette();
}

void TFountainFill::Paint(TCanvas& canvas) {
    if (usePalette_ && !palette_) MakePalette(canvas);
    if (!DrawOnScreen) {
        try {
            std::unique_ptr<TCanvas> bitmap = canvas.CreateBitmap(Width(), Height());
            TPalette* previous = nullptr;
            if (palette_) {
                previous = bitmap->SelectPalette(palette_.get(), false);
                bitmap->RealizePalette();
            }
            DrawGradient(*bitmap);
            if (palette_) bitmap->SelectPalette(previous, true);
            canvas.CopyMode = TCopyMode::cmSrcCopy;
            SelectPalette(canvas);
            canvas.Draw(0, 0, *bitmap);
            return;
        } catch (const EOutOfResources&) {
            // Drawn straight onto the surface below.
        }
    }
    SelectPalette(canvas);
    DrawGradient(canvas);
}

void TFountainFill::DrawGradient(TCanvas& canvas) {
    const TPenStyle pen = canvas.PenStyle;
    const TColor brush = canvas.BrushColor;
    const TBrushStyle brushStyle = canvas.BrushStyle;
    canvas.BrushStyle = TBrushStyle::bsSolid;
    const int w = Width(), h = Height();
    if (IsFlat()) {
        canvas.BrushColor = fromColor_;
        canvas.FillRect({0, 0, w, h});
        canvas.BrushColor = brush;
        return;
    }
    canvas.PenStyle = TPenStyle::psClear;
    const uint32_t from = ColorToRGB(fromColor_), to = ColorToRGB(toColor_);
    for (int i = 0; i < steps_; ++i) {
        const uint32_t c = FountainBandColor(from, to, i, steps_);
        canvas.BrushColor = palette_ ? PaletteRelative(c) : static_cast<TColor>(c);
        const TRect r = FountainBandRect(style_, w, h, i, steps_);
        if (style_ == TFountainStyle::fsCircular)
            canvas.Ellipse(r);
        else
            canvas.FillRect(r);
    }
    canvas.PenStyle = pen;
    canvas.BrushColor = brush;
    canvas.BrushStyle = brushStyle;
}

}  // namespace zov::ui
