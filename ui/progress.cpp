#include "ui/progress.h"

#include <algorithm>
#include <string>

#include "sys/decimal.h"

namespace zov::ui {

TGauge::TGauge(TWinControl* parent) : TControl(parent, TControlKind::Graphic) {
    SetBounds(0, 0, 100, 100);
}

void TGauge::SetMinValue(int value) {
    if (value == min_) return;
    min_ = value;
    SetProgress(progress_);
    Invalidate();
}

void TGauge::SetMaxValue(int value) {
    if (value == max_) return;
    max_ = value;
    SetProgress(progress_);
    Invalidate();
}

void TGauge::SetProgress(int value) {
    value = std::max(min_, std::min(value, max_));
    if (value == progress_) return;
    progress_ = value;
    Invalidate();
}

int TGauge::PercentDone() const {
    if (max_ <= min_) return 0;
    return static_cast<int>(static_cast<int64_t>(progress_ - min_) * 100 / (max_ - min_));
}

void TGauge::Paint(TCanvas& canvas) {
    TRect r{0, 0, Width(), Height()};
    canvas.BrushStyle = TBrushStyle::bsSolid;
    if (BorderStyle == TBorderStyle::bsSingle) {
        canvas.BrushColor = Color();
        canvas.FillRect(r);
        r = {1, 1, Width() - 1, Height() - 1};
    }
    const int filled = max_ > min_
        ? static_cast<int>(static_cast<int64_t>(progress_ - min_) * r.Width() / (max_ - min_))
        : 0;
    const TRect done{r.Left, r.Top, r.Left + filled, r.Bottom};
    const TRect rest{r.Left + filled, r.Top, r.Right, r.Bottom};
    canvas.BrushColor = ForeColor;
    canvas.FillRect(done);
    canvas.BrushColor = BackColor;
    canvas.FillRect(rest);
    if (!ShowText) return;
    // The percentage in the back colour over the filled part and in the fore colour over
    // the rest, so it reads on both.
    const std::string text = DecimalText(PercentDone()) + "%";
    canvas.Font = Font();
    const TPoint size = canvas.TextExtent(text);
    const int x = r.Left + (r.Width() - size.X) / 2, y = r.Top + (r.Height() - size.Y) / 2;
    canvas.Font.Color = BackColor;
    canvas.TextRect(done, x, y, text);
    canvas.Font.Color = ForeColor;
    canvas.TextRect(rest, x, y, text);
}

TProgressBar::TProgressBar(TWinControl* parent) : TControl(parent, TControlKind::ProgressBar) {
    SetBounds(0, 0, 150, 16);
}

void TProgressBar::SetRange(int min, int max) {
    if (min == min_ && max == max_) return;
    min_ = min;
    max_ = std::max(min, max);
    position_ = std::max(min_, std::min(position_, max_));
    Changed(chState);
}

void TProgressBar::SetPosition(int value) {
    value = std::max(min_, std::min(value, max_));
    if (value == position_) return;
    position_ = value;
    Changed(chState);
}

}  // namespace zov::ui
