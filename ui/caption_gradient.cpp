#include "ui/caption_gradient.h"

#include "ui/colors.h"
#include "ui/form.h"
#include "ui/fountain_geometry.h"

namespace zov::ui {

TCaptionGradient::TCaptionGradient(TForm& form) : form_(form) { form_.CaptionPainter = this; }

TCaptionGradient::~TCaptionGradient() {
    if (form_.CaptionPainter == this) form_.CaptionPainter = nullptr;
}

void TCaptionGradient::Changed() { form_.RepaintFrame(); }

void TCaptionGradient::SetActiveStartColor(TColor color) {
    if (color == activeStart_) return;
    activeStart_ = color;
    Changed();
}

void TCaptionGradient::SetActiveEndColor(TColor color) {
    if (color == activeEnd_) return;
    activeEnd_ = color;
    Changed();
}

void TCaptionGradient::SetActiveTextColor(TColor color) {
    if (color == activeText_) return;
    activeText_ = color;
    Changed();
}

void TCaptionGradient::PaintCaption(TCanvas& canvas, const TRect& bar, bool active,
                                    const std::string& text, const TFont& font) const {
    const uint32_t from = ColorToRGB(active ? activeStart_ : InactiveStartColor);
    const uint32_t to = ColorToRGB(active ? activeEnd_ : InactiveEndColor);
    canvas.BrushStyle = TBrushStyle::bsSolid;
    const int steps = NumColors < 1 ? 1 : NumColors;
    for (int i = 0; i < steps; ++i) {
        const TRect r = FountainBandRect(TFountainStyle::fsVertical, bar.Width(), bar.Height(), i, steps);
        canvas.BrushColor = static_cast<TColor>(FountainBandColor(from, to, i, steps));
        canvas.FillRect({bar.Left + r.Left, bar.Top + r.Top, bar.Left + r.Right, bar.Top + r.Bottom});
    }
    canvas.Font = font;
    canvas.Font.Color = active ? activeText_ : InactiveTextColor;
    canvas.DrawText({bar.Left + 4, bar.Top, bar.Right, bar.Bottom}, text,
                    tfVCenter | tfSingleLine | tfNoPrefix);
}

}  // namespace zov::ui

namespace zov::ui {

void TCaptionGradient::PaintCloseBox(TCanvas& canvas, const TRect& box) const {
    TRect face = box;
    canvas.BrushStyle = TBrushStyle::bsSolid;
    canvas.BrushColor = clBtnFace;
    canvas.FillRect(face);
    Frame3D(canvas, face, clBtnHighlight, cl3DDkShadow, 1);
    Frame3D(canvas, face, cl3DLight, clBtnShadow, 1);
    // Two strokes two pixels wide, leaving a quarter of the face free on each side.
    const int size = (face.Height() < face.Width() ? face.Height() : face.Width()) - face.Height() / 3;
    if (size < 3) return;
    const int left = face.Left + (face.Width() - size) / 2, top = face.Top + (face.Height() - size) / 2;
    canvas.PenStyle = TPenStyle::psSolid;
    canvas.PenColor = clBtnText;
    for (int dx = 0; dx < 2; ++dx) {
        canvas.Line(left + dx, top, left + dx + size, top + size);
        canvas.Line(left + dx + size - 1, top, left + dx - 1, top + size);
    }
}

}  // namespace zov::ui
