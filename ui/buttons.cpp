#include "ui/buttons.h"

#include <vector>

namespace zov::ui {

TFlatButton::TFlatButton(TWinControl* parent) : TControl(parent, TControlKind::Button) {
    SetBounds(0, 0, 75, 25);
}

void TFlatButton::PaintFace(TCanvas& canvas, bool hot, bool down, bool focused) {
    TRect r{0, 0, Width(), Height()};
    canvas.BrushStyle = TBrushStyle::bsSolid;
    canvas.BrushColor = Color();
    canvas.FillRect(r);
    const bool pressed = down;
    if (Enabled() && (hot || down)) {
        TRect frame = r;
        if (pressed)
            Frame3D(canvas, frame, clBtnShadow, clBtnHighlight, 1);
        else
            Frame3D(canvas, frame, clBtnHighlight, clBtnShadow, 1);
    }
    const int shift = pressed ? 1 : 0;
    canvas.Font = Font();
    const TPoint text = canvas.TextExtent(Caption());
    const int glyphWidth = Glyph ? Glyph->Width + 4 : 0;
    const int left = (Width() - glyphWidth - text.X) / 2 + shift;
    if (Glyph) DrawGlyph(canvas, *Glyph, left, (Height() - Glyph->Height) / 2 + shift, Enabled());
    TRect textRect{left + glyphWidth, shift, Width() + shift, Height() + shift};
    if (Enabled()) {
        canvas.DrawText(textRect, Caption(), tfVCenter | tfSingleLine);
    } else {
        canvas.Font.Color = clBtnHighlight;
        canvas.DrawText({textRect.Left + 1, 1, textRect.Right + 1, textRect.Bottom + 1}, Caption(),
                        tfVCenter | tfSingleLine);
        canvas.Font.Color = clBtnShadow;
        canvas.DrawText(textRect, Caption(), tfVCenter | tfSingleLine);
    }
    if (focused) {
        // A dotted frame inside the face, as the system draws round a focused button.
        canvas.PenColor = clWindowText;
        const int right = Width() - 4, bottom = Height() - 4;
        for (int x = 3; x <= right; x += 2) {
            canvas.Line(x, 3, x + 1, 3);
            canvas.Line(x, bottom, x + 1, bottom);
        }
        for (int y = 3; y <= bottom; y += 2) {
            canvas.Line(3, y, 3, y + 1);
            canvas.Line(right, y, right, y + 1);
        }
    }
}

TCheckBox::TCheckBox(TWinControl* parent) : TControl(parent, TControlKind::CheckBox) {
    parentColor_ = true;
    SetBounds(0, 0, 97, 17);
}

void TCheckBox::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    Changed(chState);
}

void TCheckBox::Click() {
    SetChecked(!checked_);
    TControl::Click();
}

TRadioButton::TRadioButton(TWinControl* parent) : TControl(parent, TControlKind::RadioButton) {
    parentColor_ = true;
    SetBounds(0, 0, 113, 17);
}

void TRadioButton::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    Changed(chState);
    if (!checked || !Parent()) return;
    for (TControl* sibling : Parent()->Controls())
        if (sibling != this && sibling->Kind() == TControlKind::RadioButton)
            static_cast<TRadioButton*>(sibling)->SetChecked(false);
}

void TRadioButton::Click() {
    SetChecked(true);
    TControl::Click();
}

TRadioButton* TRadioButton::Neighbour(bool forward) const {
    if (!Parent()) return nullptr;
    const std::vector<TControl*>& all = Parent()->Controls();
    const size_t n = all.size();
    size_t at = 0;
    while (all[at] != this) ++at;
    for (size_t step = 1; step < n; ++step) {
        TControl* c = all[(at + (forward ? step : n - step)) % n];
        if (c->Kind() == TControlKind::RadioButton && c->Visible() && c->Enabled()) return static_cast<TRadioButton*>(c);
    }
    return nullptr;
}

}  // namespace zov::ui
