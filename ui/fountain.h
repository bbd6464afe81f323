#pragma once
// TFountainFill: a window-less, opaque control that fills itself with a colour gradient
// of up to 255 bands, through a logical palette on palette screens and an off-screen
// bitmap so the bands appear at once.
#include <cstdint>
#include <memory>

#include "ui/control.h"
#include "ui/fountain_geometry.h"

namespace zov::ui {

class TFountainFill : public TControl {
public:
    explicit TFountainFill(TWinControl* parent);
    ~TFountainFill() override;

    TColor FromColor() const { return fromColor_; }
    void SetFromColor(TColor color);
    TColor ToColor() const { return toColor_; }
    void SetToColor(TColor color);
    int Steps() const { return steps_; }
    // Kept between 1 and 255.
    void SetSteps(int steps);
    TFountainStyle Style() const { return style_; }
    void SetStyle(TFountainStyle style);
    bool UsePalette() const { return usePalette_; }
    void SetUsePalette(bool use);
    // Stored only; the next paint draws straight onto the screen instead of a bitmap.
    bool DrawOnScreen = false;

    // The palette held now, if any (made at paint time, dropped by every change).
    const TPalette* Palette() const { return palette_.get(); }

    void Paint(TCanvas& canvas) override;

private:
    bool IsFlat() const;
    void DropPalette();
    void MakePalette(TCanvas& canvas);
    void SelectPalette(TCanvas& canvas);
    void DrawGradient(TCanvas& canvas);

    TColor fromColor_ = clAqua;
    TColor toColor_ = clBlack;
    int steps_ = 20;
    TFountainStyle style_ = TFountainStyle::fsHorizontal;
    bool usePalette_ = true;
    std::unique_ptr<TPalette> palette_;
};

}  // namespace zov::ui
