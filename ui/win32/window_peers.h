#pragma once
// The on-screen side of controls: windows of the backend's own class for forms and
// containers (they paint themselves and the window-less controls they hold), system
// controls for the rest, and invalidation for window-less controls.
#include <memory>

#include "ui/control.h"
#include "ui/form.h"
#include "ui/win32/windows_ui.h"

namespace zov::ui::win32 {

extern const char kWindowClass[];

// Registers the backend's window class.
void RegisterWindowClass();
// The window styles of a form.
void FormStyles(const TForm& form, DWORD& style, DWORD& exStyle);

class TWindowPeer : public TControlPeer {
public:
    explicit TWindowPeer(TControl& control) : control_(control) {}
    ~TWindowPeer() override;

    HWND Window() const { return hwnd_; }
    TControl& Control() { return control_; }
    static TWindowPeer* FromWindow(HWND hwnd);

    void Changed(uint32_t what) override;
    // A message to the window; system controls pass what they do not handle on.
    virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    // Notifications a system control sends to its parent, passed on to its peer.
    virtual void Command(WORD) {}
    virtual LRESULT Notify(const NMHDR&) { return 0; }
    virtual HBRUSH ControlColor(HDC dc);
    virtual void DrawItem(const DRAWITEMSTRUCT&) {}

protected:
    // Takes the window over: finds its peer by it, gives it the control's font and puts it
    // last among its siblings, so that creation order is tab order.
    void Attach(HWND hwnd, bool subclass);
    virtual void Sync(uint32_t) {}
    HWND hwnd_ = nullptr;
    TControl& control_;
    WNDPROC oldProc_ = nullptr;
};

// The top-level window that holds a window: up the parents while the window is a child (what
// GetAncestor's GA_ROOT does on Windows 98 and NT 4.0 SP4 on, without needing them).
HWND RootWindow(HWND hwnd);
// Gives the keyboard focus to a control of the form that holds `inside`: `preferred` when it
// can take it, else the form's default button, else its first control in tab order.
void FocusInForm(HWND inside, HWND preferred = nullptr);

// The window of the control's parent.
HWND ParentWindow(TControl& control);

std::unique_ptr<TControlPeer> CreateWindowPeer(TControl& control);

}  // namespace zov::ui::win32
