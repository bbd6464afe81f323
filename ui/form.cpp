#include "ui/form.h"

#include "ui/application.h"
#include "ui/backend.h"
#include "ui/buttons.h"
#include "ui/colors.h"
#include "ui/screen.h"

namespace zov::ui {

TForm::TForm() : TWinControl(nullptr, TControlKind::Form) {
    TControl::SetVisible(false);
    SetColor(clBtnFace);
    SetBounds(0, 0, 320, 240);
}

TForm::~TForm() = default;

TRect TForm::ClientArea() const {
    const TPoint frame = App().Backend().FrameExtent(*this);
    return {0, 0, Width() - frame.X, Height() - frame.Y};
}

void TForm::SetClientSize(int width, int height) {
    const TPoint frame = App().Backend().FrameExtent(*this);
    SetBounds(Left(), Top(), width + frame.X, height + frame.Y);
}

void TForm::Resized() {
    AlignControls();
    if (OnResize) OnResize();
}

void TForm::SetVisible(bool visible) {
    if (visible == Visible()) {
        if (visible) SetFocus();
        return;
    }
    if (!visible) {
        TControl::SetVisible(false);
        if (OnHide) OnHide();
        return;
    }
    if (WindowState == TWindowState::wsMaximized)
        SetBounds(0, 0, Screen().Width, Screen().Height);
    else if (Position == TPosition::poScreenCenter)
        SetBounds((Screen().Width - Width()) / 2, (Screen().Height - Height()) / 2, Width(), Height());
    CreatePeers();
    TControl::SetVisible(true);
    // Shown first, so that the handler's message pumps paint the window.
    App().Dispatch([this] {
        if (OnShow) OnShow();
    });
}

void TForm::SetModalResult(TModalResult result) {
    modalResult_ = result;
    if (modal_ && result != mrNone) App().Backend().Wake();
}

bool TForm::QueryAndClose() {
    bool canClose = true;
    TCloseAction action = TCloseAction::caHide;
    App().Dispatch([&] {
        if (OnCloseQuery) OnCloseQuery(canClose);
        if (canClose && OnClose) OnClose(action);
    });
    return canClose && action != TCloseAction::caNone;
}

TModalResult TForm::ShowModal() {
    if (Visible() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
    modal_ = true;
    modalResult_ = mrNone;
    App().Backend().BeginModal(*this);
    Show();
    for (;;) {
        if (App().Terminated()) {
            modalResult_ = mrCancel;
            break;
        }
        if (modalResult_ != mrNone) {
            if (QueryAndClose()) break;
            modalResult_ = mrNone;
        }
        App().HandleMessage();
    }
    // The other windows take input again before this one goes, so one of them is activated.
    App().Backend().EndModal(*this);
    Hide();
    modal_ = false;
    return modalResult_;
}

namespace {

// The first button below `parent`, in creation order, that is shown, enabled and matches.
template <class Match>
TFlatButton* FindButton(TWinControl& parent, Match match) {
    for (TControl* child : parent.Controls()) {
        if (!child->Visible()) continue;
        if (TWinControl* inner = child->AsContainer()) {
            if (TFlatButton* found = FindButton(*inner, match)) return found;
        } else if (child->Kind() == TControlKind::Button && child->Enabled()) {
            auto* button = static_cast<TFlatButton*>(child);
            if (match(*button)) return button;
        }
    }
    return nullptr;
}

}  // namespace

TControl* TForm::DefaultButton() {
    return FindButton(*this, [](const TFlatButton& b) { return b.Default; });
}

bool TForm::DialogKey(TDialogKey key, TControl* focused) {
    bool taken = false;
    App().Dispatch([&] { taken = OnDialogKey && OnDialogKey(key); });
    if (taken) return true;
    TControl* button = nullptr;
    if (key == TDialogKey::dkEnter)
        button = focused && focused->Kind() == TControlKind::Button && focused->Showing() && focused->Enabled()
                     ? focused
                     : DefaultButton();
    else
        button = FindButton(*this, [](const TFlatButton& b) { return b.Cancel; });
    if (!button) return false;
    App().Dispatch([button] { button->Click(); });
    return true;
}

void TForm::UserClose() {
    if (OnUserClose && OnUserClose()) return;
    Close();
}

void TForm::Close() {
    if (modal_) {
        SetModalResult(mrCancel);
        return;
    }
    if (!QueryAndClose()) return;
    if (App().MainForm() == this)
        App().Terminate();
    else
        Hide();
}

}  // namespace zov::ui
