#pragma once
// Paints a form's title bar as a gradient between two colours, with the caption text in
// a colour of its own; one set of colours for the active window, one for the inactive.
#include <string>

#include "ui/canvas.h"
#include "ui/types.h"

namespace zov::ui {

class TForm;

class TCaptionGradient {
public:
    explicit TCaptionGradient(TForm& form);
    ~TCaptionGradient();
    TCaptionGradient(const TCaptionGradient&) = delete;
    TCaptionGradient& operator=(const TCaptionGradient&) = delete;

    TColor ActiveStartColor() const { return activeStart_; }
    TColor ActiveEndColor() const { return activeEnd_; }
    TColor ActiveTextColor() const { return activeText_; }
    void SetActiveStartColor(TColor color);
    void SetActiveEndColor(TColor color);
    void SetActiveTextColor(TColor color);
    TColor InactiveStartColor = clGray;
    TColor InactiveEndColor = clSilver;
    TColor InactiveTextColor = clSilver;
    int NumColors = 64;

    // Draws the bar: bands from left to right, then the text at its left, vertically
    // centred, in `font` with the text colour.
    void PaintCaption(TCanvas& canvas, const TRect& bar, bool active, const std::string& text,
                      const TFont& font) const;
    // The close box at the bar's end: a raised button with a black cross.
    void PaintCloseBox(TCanvas& canvas, const TRect& box) const;

private:
    void Changed();
    TForm& form_;
    TColor activeStart_ = clNavy;
    TColor activeEnd_ = clBlue;
    TColor activeText_ = clWhite;
};

}  // namespace zov::ui
