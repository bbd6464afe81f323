#include "ui/canvas.h"

namespace zov::ui {

void Frame3D(TCanvas& canvas, TRect& rect, TColor topLeft, TColor bottomRight, int width) {
    const TPenStyle pen = canvas.PenStyle;
    const TColor penColor = canvas.PenColor;
    canvas.PenStyle = TPenStyle::psSolid;
    for (int i = 0; i < width; ++i) {
        const int right = rect.Right - 1, bottom = rect.Bottom - 1;
        canvas.PenColor = topLeft;
        canvas.Line(rect.Left, bottom, rect.Left, rect.Top);
        canvas.Line(rect.Left, rect.Top, right, rect.Top);
        canvas.PenColor = bottomRight;
        canvas.Line(right, rect.Top, right, bottom);
        canvas.Line(right, bottom, rect.Left - 1, bottom);
        rect = {rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1};
    }
    canvas.PenStyle = pen;
    canvas.PenColor = penColor;
}

}  // namespace zov::ui
