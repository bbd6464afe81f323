#pragma once
// Text labels painted by their parent, plain or with a drop shadow.
#include <cstdint>

#include "ui/control.h"

namespace zov::ui {

class TLabel : public TControl {
public:
    explicit TLabel(TWinControl* parent);

    TAlignment Alignment = TAlignment::taLeftJustify;
    bool WordWrap = false;
    bool Transparent = false;  // no background: what lies below shows through
    // Takes the size of its one-line caption whenever the caption or the font changes.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);

    void Paint(TCanvas& canvas) override;

protected:
    void CaptionChanged() override;
    void FontChanged(bool inherited) override;
    void AdjustBounds();
    virtual int ShadowExtent() const { return 0; }
    // Draws the caption moved by (dx, dy) in one colour.
    void DrawCaption(TCanvas& canvas, int dx, int dy, TColor color);

private:
    bool autoSize_ = false;
};

// Where the shadow falls, seen from the text.
enum class TShadowPosition : uint8_t { spLeftTop, spLeftBottom, spRightBottom, spRightTop };

// A label drawn twice: first in the shadow colour, moved by the shadow size, then in the
// font colour at its place.
class TShadowLabel : public TLabel {
public:
    explicit TShadowLabel(TWinControl* parent) : TLabel(parent) {}

    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor color);
    int ShadowSize() const { return shadowSize_; }
    void SetShadowSize(int pixels);
    TShadowPosition ShadowPos = TShadowPosition::spRightBottom;

    void Paint(TCanvas& canvas) override;

protected:
    int ShadowExtent() const override { return shadowSize_; }

private:
    TColor shadowColor_ = clBtnHighlight;
    int shadowSize_ = 1;
};

}  // namespace zov::ui
