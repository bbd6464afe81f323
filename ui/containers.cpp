#include "ui/containers.h"

#include <algorithm>

namespace zov::ui {
namespace {

void PaintBackground(TControl& control, TCanvas& canvas) {
    canvas.BrushStyle = TBrushStyle::bsSolid;
    canvas.BrushColor = control.Color();
    canvas.FillRect({0, 0, control.Width(), control.Height()});
}

void Bevel(TCanvas& canvas, TRect& r, TBevelCut cut, int width) {
    if (cut == TBevelCut::bvNone) return;
    if (cut == TBevelCut::bvRaised)
        Frame3D(canvas, r, clBtnHighlight, clBtnShadow, width);
    else
        Frame3D(canvas, r, clBtnShadow, clBtnHighlight, width);
}

}  // namespace

TPanel::TPanel(TWinControl* parent) : TWinControl(parent, TControlKind::Container) {
    SetBounds(0, 0, 185, 41);
}

TRect TPanel::ClientArea() const {
    int inset = BorderStyle == TBorderStyle::bsSingle ? 1 : 0;
    if (BevelOuter != TBevelCut::bvNone) inset += BevelWidth;
    if (BevelInner != TBevelCut::bvNone) inset += BevelWidth;
    return {inset, inset, Width() - inset, Height() - inset};
}

void TPanel::Paint(TCanvas& canvas) {
    PaintBackground(*this, canvas);
    TRect r{0, 0, Width(), Height()};
    if (BorderStyle == TBorderStyle::bsSingle) Frame3D(canvas, r, clBtnShadow, clBtnHighlight, 1);
    Bevel(canvas, r, BevelOuter, BevelWidth);
    Bevel(canvas, r, BevelInner, BevelWidth);
    if (!Caption().empty()) {
        canvas.Font = Font();
        canvas.DrawText(r, Caption(), tfCenter | tfVCenter | tfSingleLine);
    }
}

TGroupBox::TGroupBox(TWinControl* parent) : TWinControl(parent, TControlKind::Container) {
    SetBounds(0, 0, 185, 105);
}

TRect TGroupBox::ClientArea() const { return {2, Font().Height + 4, Width() - 2, Height() - 2}; }

void TGroupBox::Paint(TCanvas& canvas) {
    PaintBackground(*this, canvas);
    canvas.Font = Font();
    const TPoint text = canvas.TextExtent(Caption());
    // An etched frame: a shadow line with a highlight line inside it.
    TRect outer{0, text.Y / 2, Width(), Height()};
    TRect inner{1, text.Y / 2 + 1, Width(), Height()};
    Frame3D(canvas, inner, clBtnHighlight, clBtnHighlight, 1);
    Frame3D(canvas, outer, clBtnShadow, clBtnShadow, 1);
    if (Caption().empty()) return;
    canvas.BrushColor = Color();
    canvas.FillRect({6, 0, 8 + text.X + 2, text.Y});
    canvas.DrawText({8, 0, 8 + text.X, text.Y}, Caption(), tfSingleLine | tfNoPrefix);
}

TBevel::TBevel(TWinControl* parent) : TControl(parent, TControlKind::Graphic) {
    SetBounds(0, 0, 50, 50);
}

void TBevel::Paint(TCanvas& canvas) {
    const TColor first = Style == TBevelStyle::bsLowered ? clBtnShadow : clBtnHighlight;
    const TColor second = Style == TBevelStyle::bsLowered ? clBtnHighlight : clBtnShadow;
    const TPenStyle pen = canvas.PenStyle;
    canvas.PenStyle = TPenStyle::psSolid;
    switch (Shape) {
        case TBevelShape::bsBox: {
            TRect r{0, 0, Width(), Height()};
            Frame3D(canvas, r, first, second, 1);
            break;
        }
        case TBevelShape::bsTopLine:
            canvas.PenColor = first;
            canvas.Line(0, 0, Width(), 0);
            canvas.PenColor = second;
            canvas.Line(0, 1, Width(), 1);
            break;
        case TBevelShape::bsBottomLine:
            canvas.PenColor = first;
            canvas.Line(0, Height() - 2, Width(), Height() - 2);
            canvas.PenColor = second;
            canvas.Line(0, Height() - 1, Width(), Height() - 1);
            break;
    }
    canvas.PenStyle = pen;
}

TNotebook::TNotebook(TWinControl* parent) : TWinControl(parent, TControlKind::Container) {
    SetBounds(0, 0, 150, 150);
}

TNotebook::~TNotebook() {
    for (TPage* page : pages_) page->notebook_ = nullptr;
}

void TNotebook::SetPageIndex(int index) {
    if (index == pageIndex_ || index < 0 || index >= PageCount()) return;
    TPage* old = pageIndex_ >= 0 ? pages_[static_cast<size_t>(pageIndex_)] : nullptr;
    pageIndex_ = index;
    pages_[static_cast<size_t>(index)]->Show();
    if (old) old->Hide();
    if (OnPageChanged) OnPageChanged();
}

TPage::TPage(TNotebook& notebook, const std::string& caption)
    : TWinControl(&notebook, TControlKind::Container), notebook_(&notebook) {
    Name = caption;
    SetCaption(caption);
    SetAlign(TAlign::alClient);
    notebook.pages_.push_back(this);
    if (notebook.pageIndex_ < 0)
        notebook.pageIndex_ = 0;
    else
        Hide();
}

TPage::~TPage() {
    if (!notebook_) return;
    auto& pages = notebook_->pages_;
    pages.erase(std::remove(pages.begin(), pages.end(), this), pages.end());
}

}  // namespace zov::ui
