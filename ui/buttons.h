#pragma once
// Buttons: flat push buttons with a glyph, check boxes, and radio buttons that form one
// group with the other radio buttons of their parent.
#include "ui/control.h"
#include "ui/glyphs.h"

namespace zov::ui {

class TFlatButton : public TControl {
public:
    explicit TFlatButton(TWinControl* parent);

    const TGlyph* Glyph = nullptr;  // drawn left of the caption
    // Enter presses a default button, Escape a cancel button, when it is shown and enabled.
    bool Default = false;
    bool Cancel = false;

    // The face: flat, raised while the pointer is over it, sunken while pressed.
    void PaintFace(TCanvas& canvas, bool hot, bool down, bool focused);
    void Paint(TCanvas& canvas) override { PaintFace(canvas, false, false, false); }
};

class TCheckBox : public TControl {
public:
    explicit TCheckBox(TWinControl* parent);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    // The user's click: the mark flips, then OnClick.
    void Click() override;

private:
    bool checked_ = false;
};

class TRadioButton : public TControl {
public:
    explicit TRadioButton(TWinControl* parent);
    bool Checked() const { return checked_; }
    // Selecting one clears the other radio buttons of the same parent.
    void SetChecked(bool checked);
    // The user's click: selects this one, then OnClick.
    void Click() override;
    // The next (or previous) radio button of the group that is shown and enabled, in
    // creation order and wrapping round: where an arrow key goes. Null when there is none.
    TRadioButton* Neighbour(bool forward) const;

private:
    bool checked_ = false;
};

}  // namespace zov::ui
