#pragma once
// Progress displays: the gauge (painted by its parent, with the percentage in its middle)
// and the system's progress bar.
#include "ui/containers.h"
#include "ui/control.h"

namespace zov::ui {

class TGauge : public TControl {
public:
    explicit TGauge(TWinControl* parent);

    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }
    int Progress() const { return progress_; }
    void SetMinValue(int value);
    void SetMaxValue(int value);
    // Kept between the minimum and the maximum.
    void SetProgress(int value);
    void AddProgress(int value) { SetProgress(progress_ + value); }
    int PercentDone() const;

    TColor ForeColor = clBlack;  // the filled part
    TColor BackColor = clWhite;  // the rest
    bool ShowText = true;
    TBorderStyle BorderStyle = TBorderStyle::bsSingle;  // a frame in the control's colour

    void Paint(TCanvas& canvas) override;

private:
    int min_ = 0, max_ = 100, progress_ = 0;
};

class TProgressBar : public TControl {
public:
    explicit TProgressBar(TWinControl* parent);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    void SetRange(int min, int max);
    // Kept between the minimum and the maximum.
    void SetPosition(int value);
    void StepBy(int delta) { SetPosition(position_ + delta); }

private:
    int min_ = 0, max_ = 100, position_ = 0;
};

}  // namespace zov::ui
