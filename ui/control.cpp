#include "ui/control.h"

#include <algorithm>

#include "ui/application.h"
#include "ui/backend.h"
#include "ui/form.h"

namespace zov::ui {

TControl::TControl(TWinControl* parent, TControlKind kind) : parent_(parent), kind_(kind) {
    if (parent_) {
        font_ = parent_->Font();
        parent_->controls_.push_back(this);
    }
}

TControl::~TControl() {
    peer_.reset();
    if (parent_) {
        auto& list = parent_->controls_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

TForm* TControl::Form() {
    TControl* c = this;
    while (c->parent_) c = c->parent_;
    return c->kind_ == TControlKind::Form ? static_cast<TForm*>(c) : nullptr;
}

void TControl::ApplyBounds(int left, int top, int width, int height, bool tellPeer) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    const bool resized = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (tellPeer) Changed(chBounds);
    if (parent_ && align_ != TAlign::alNone) parent_->AlignControls();
    if (resized) Resized();
}

void TControl::SetBounds(int left, int top, int width, int height) {
    ApplyBounds(left, top, width, height, true);
}

void TControl::BoundsFromSystem(int left, int top, int width, int height) {
    ApplyBounds(left, top, width, height, false);
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Changed(chVisible);
    if (parent_ && align_ != TAlign::alNone) parent_->AlignControls();
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Changed(chEnabled);
}

void TControl::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    CaptionChanged();
}

TColor TControl::Color() const {
    return parentColor_ && parent_ ? parent_->Color() : color_;
}

void TControl::SetColor(TColor color) {
    if (!parentColor_ && color == color_) return;
    parentColor_ = false;
    color_ = color;
    Changed(chColor);
}

void TControl::SetFont(const TFont& font) {
    parentFont_ = false;
    if (font == font_) return;
    font_ = font;
    FontChanged(false);
}

void TControl::FontChanged(bool) { Changed(chFont); }

void TControl::SetAlign(TAlign align) {
    if (align == align_) return;
    align_ = align;
    if (parent_) parent_->AlignControls();
}

void TControl::Click() {
    if (OnClick) OnClick();
}

void TControl::CreatePeers() {
    if (!peer_) peer_ = App().Backend().CreatePeer(*this);
    TWinControl* container = AsContainer();
    if (!container) return;
    // A copy: creating a peer never adds controls, but keep the walk independent of it.
    const std::vector<TControl*> children = container->Controls();
    for (TControl* child : children) child->CreatePeers();
}

TWinControl::~TWinControl() {
    // Children are members of the form declared after their parent and are gone by now;
    // any left (declared before it) must not point back here.
    for (TControl* child : controls_) child->parent_ = nullptr;
}

void TWinControl::FontChanged(bool inherited) {
    TControl::FontChanged(inherited);
    for (TControl* child : controls_) {
        if (!child->parentFont_) continue;
        child->font_ = Font();
        child->FontChanged(true);
    }
}

void TWinControl::AlignControls() {
    if (aligning_) return;
    aligning_ = true;
    TRect r = ClientArea();
    auto place = [&](TAlign which) {
        for (TControl* c : controls_) {
            if (c->align_ != which || !c->visible_) continue;
            switch (which) {
                case TAlign::alTop:
                    c->SetBounds(r.Left, r.Top, r.Width(), c->height_);
                    r.Top += c->height_;
                    break;
                case TAlign::alBottom:
                    c->SetBounds(r.Left, r.Bottom - c->height_, r.Width(), c->height_);
                    r.Bottom -= c->height_;
                    break;
                case TAlign::alLeft:
                    c->SetBounds(r.Left, r.Top, c->width_, r.Height());
                    r.Left += c->width_;
                    break;
                case TAlign::alRight:
                    c->SetBounds(r.Right - c->width_, r.Top, c->width_, r.Height());
                    r.Right -= c->width_;
                    break;
                case TAlign::alClient:
                    c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
                    break;
                case TAlign::alNone:
                    break;
            }
        }
    };
    for (TAlign a : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient})
        place(a);
    aligning_ = false;
}

TControl* TWinControl::GraphicControlAt(int x, int y) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (c->Kind() == TControlKind::Graphic && c->visible_ && c->BoundsRect().Contains(x, y))
            return c;
    }
    return nullptr;
}

}  // namespace zov::ui
