#include "ui/labels.h"

#include "ui/application.h"

namespace zov::ui {

TLabel::TLabel(TWinControl* parent) : TControl(parent, TControlKind::Graphic) {
    parentColor_ = true;
    SetBounds(0, 0, 65, 13);
}

void TLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    AdjustBounds();
}

void TLabel::CaptionChanged() {
    TControl::CaptionChanged();
    AdjustBounds();
}

void TLabel::FontChanged(bool inherited) {
    TControl::FontChanged(inherited);
    AdjustBounds();
}

void TLabel::AdjustBounds() {
    if (!autoSize_ || WordWrap) return;
    const TPoint size = App().Backend().TextExtent(Font(), Caption());
    SetBounds(Left(), Top(), size.X + ShadowExtent(), size.Y + ShadowExtent());
}

void TLabel::DrawCaption(TCanvas& canvas, int dx, int dy, TColor color) {
    uint32_t flags = tfNoPrefix;
    if (WordWrap) flags |= tfWordBreak;
    if (Alignment == TAlignment::taCenter) flags |= tfCenter;
    if (Alignment == TAlignment::taRightJustify) flags |= tfRight;
    canvas.Font = Font();
    canvas.Font.Color = color;
    canvas.DrawText({dx, dy, Width() + dx, Height() + dy}, Caption(), flags);
}

void TLabel::Paint(TCanvas& canvas) {
    if (!Transparent) {
        canvas.BrushStyle = TBrushStyle::bsSolid;
        canvas.BrushColor = Color();
        canvas.FillRect({0, 0, Width(), Height()});
    }
    if (Enabled()) {
        DrawCaption(canvas, 0, 0, Font().Color);
    } else {
        DrawCaption(canvas, 1, 1, clBtnHighlight);
        DrawCaption(canvas, 0, 0, clBtnShadow);
    }
}

void TShadowLabel::SetShadowColor(TColor color) {
    if (color == shadowColor_) return;
    shadowColor_ = color;
    Invalidate();
}

void TShadowLabel::SetShadowSize(int pixels) {
    if (pixels == shadowSize_) return;
    shadowSize_ = pixels;
    AdjustBounds();
    Invalidate();
}

void TShadowLabel::Paint(TCanvas& canvas) {
    if (!Transparent) {
        canvas.BrushStyle = TBrushStyle::bsSolid;
        canvas.BrushColor = Color();
        canvas.FillRect({0, 0, Width(), Height()});
    }
    int dx = shadowSize_, dy = shadowSize_;
    if (ShadowPos == TShadowPosition::spLeftTop || ShadowPos == TShadowPosition::spLeftBottom) dx = -dx;
    if (ShadowPos == TShadowPosition::spLeftTop || ShadowPos == TShadowPosition::spRightTop) dy = -dy;
    DrawCaption(canvas, dx, dy, shadowColor_);
    DrawCaption(canvas, 0, 0, Enabled() ? Font().Color : clBtnShadow);
}

}  // namespace zov::ui
