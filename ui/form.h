#pragma once
// A top-level window: shown normally or modally, closed by code or by the user.
#include <cstdint>

#include "sys/event.h"
#include "ui/control.h"
#include "ui/dialogs.h"

namespace zov::ui {

class TCaptionGradient;

enum class TFormBorderStyle : uint8_t { bsNone, bsSingle, bsDialog, bsToolWindow };
enum TBorderIcon : uint8_t { biSystemMenu = 1u << 0 };
enum class TPosition : uint8_t { poDesigned, poScreenCenter };
enum class TWindowState : uint8_t { wsNormal, wsMaximized };
enum class TCloseAction : uint8_t { caNone, caHide };
enum class TDialogKey : uint8_t { dkEnter, dkEscape };

class TForm : public TWinControl {
public:
    TForm();
    ~TForm() override;

    // The window's look; set before the form is first shown.
    TFormBorderStyle BorderStyle = TFormBorderStyle::bsSingle;
    uint8_t BorderIcons = biSystemMenu;
    TPosition Position = TPosition::poDesigned;
    TWindowState WindowState = TWindowState::wsNormal;
    TCaptionGradient* CaptionPainter = nullptr;  // set by the painter attached to the form
    TControl* ActiveControl = nullptr;           // takes the keyboard focus when shown

    int ClientWidth() const { return ClientArea().Width(); }
    int ClientHeight() const { return ClientArea().Height(); }
    void SetClientSize(int width, int height);
    TRect ClientArea() const override;

    void SetVisible(bool visible) override;
    // Shows the form and handles events until it closes or the application terminates.
    TModalResult ShowModal();
    bool Modal() const { return modal_; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result);
    // Asks the form to close: a modal form ends its modal run; closing the main form
    // terminates the application.
    void Close();
    // Repaints the title bar and the border.
    void RepaintFrame() { Changed(chFrame); }
    // Enter or Escape pressed in the form while `focused` has the keyboard focus: Enter
    // presses the focused button, else the shown and enabled default button; Escape the
    // cancel button. OnDialogKey comes first and may take the key. Whether it was taken.
    bool DialogKey(TDialogKey key, TControl* focused);
    // The button Enter would press now; null when there is none.
    TControl* DefaultButton();

    TEvent<void()> OnShow;
    TEvent<void()> OnHide;
    TEvent<void()> OnResize;
    TEvent<void(bool& canClose)> OnCloseQuery;
    TEvent<void(TCloseAction& action)> OnClose;
    TEvent<bool(TDialogKey key)> OnDialogKey;
    // The user asked the window to close (close box, Alt+F4); true when the handler took it
    // instead of closing.
    TEvent<bool()> OnUserClose;
    void UserClose();

protected:
    void Resized() override;

private:
    bool QueryAndClose();
    bool modal_ = false;
    TModalResult modalResult_ = mrNone;
};

}  // namespace zov::ui
