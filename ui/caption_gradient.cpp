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
