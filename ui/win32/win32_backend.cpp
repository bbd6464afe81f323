#include "ui/win32/win32_backend.h"

#include <vector>

#include "ui/application.h"
#include "ui/buttons.h"
#include "ui/colors.h"
#include "ui/form.h"
#include "ui/screen.h"
#include "ui/timer.h"
#include "ui/win32/common_controls.h"
#include "ui/win32/gdi_resources.h"
#include "ui/win32/gdiplus_pictures.h"
#include "ui/win32/window_peers.h"
#include "ui/win32/windows_ui.h"

namespace zov::ui::win32 {
namespace {

std::vector<std::pair<UINT_PTR, TTimer*>> timers;  // system timer id, timer

void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    for (const auto& [running, timer] : timers) {
        if (running != id) continue;
        TTimer* fired = timer;
        App().Dispatch([fired] { fired->Fire(); });
        return;
    }
}

uint32_t SystemColor(int index) { return GetSysColor(index); }

BOOL CALLBACK DisableWindow(HWND hwnd, LPARAM list) {
    if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
        EnableWindow(hwnd, FALSE);
    }
    return TRUE;
}

// Enter and Escape go to the form first: they press its default or cancel button, which
// the system's dialog keys cannot do for owner-drawn buttons.
bool FormKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE)) return false;
    TWindowPeer* root = TWindowPeer::FromWindow(RootWindow(msg.hwnd));
    if (!root || root->Control().Kind() != TControlKind::Form) return false;
    TWindowPeer* focused = TWindowPeer::FromWindow(msg.hwnd);
    return static_cast<TForm&>(root->Control())
        .DialogKey(msg.wParam == VK_RETURN ? TDialogKey::dkEnter : TDialogKey::dkEscape,
                   focused ? &focused->Control() : nullptr);
}

// A radio group selects as the arrow keys move through it, as in every dialog.
bool RadioKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam < VK_LEFT || msg.wParam > VK_DOWN) return false;
    TWindowPeer* peer = TWindowPeer::FromWindow(msg.hwnd);
    if (!peer || peer->Control().Kind() != TControlKind::RadioButton) return false;
    if (TRadioButton* next = static_cast<TRadioButton&>(peer->Control()).Neighbour(msg.wParam >= VK_RIGHT))
        App().Dispatch([next] {
            next->Click();
            next->SetFocus();
        });
    return true;
}

void Deliver(MSG& msg) {
    // Tab, the arrow keys and access keys move between a form's controls.
    if (msg.hwnd && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        if (FormKey(msg) || RadioKey(msg)) return;
        // Not for a control hidden since the key was typed (a page turned by the key before
        // its character came): the search for an access key would never end.
        HWND root = RootWindow(msg.hwnd);
        if (root && IsWindowVisible(msg.hwnd) && TWindowPeer::FromWindow(root) && IsDialogMessageA(root, &msg)) return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

class TWin32Backend : public TBackend {
public:
    TWin32Backend() {
        InitCommonControlsAtRunTime();
        RegisterWindowClass();
        SetSystemColorSource(SystemColor);
        Screen().Width = GetSystemMetrics(SM_CXSCREEN);
        Screen().Height = GetSystemMetrics(SM_CYSCREEN);
        HDC screen = GetDC(nullptr);
        Screen().PixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    ~TWin32Backend() override {
        for (auto& [id, timer] : timers) KillTimer(nullptr, id);
        timers.clear();
        ShutdownGdiplus();
    }

    std::unique_ptr<TControlPeer> CreatePeer(TControl& control) override { return CreateWindowPeer(control); }

    void HandleMessage() override {
        MSG msg;
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            App().Terminate();
            return;
        }
        Deliver(msg);
    }

    bool ProcessMessages() override {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // left for the main loop
                break;
            }
            Deliver(msg);
        }
        return true;
    }

    void Wake() override { PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0); }
    void Terminate() override { PostQuitMessage(0); }

    void SetTimer(TTimer& timer, bool running) override {
        for (auto it = timers.begin(); it != timers.end(); ++it) {
            if (it->second != &timer) continue;
            KillTimer(nullptr, it->first);
            timers.erase(it);
            break;
        }
        if (!running) return;
        const UINT_PTR id = ::SetTimer(nullptr, 0, timer.Interval(), TimerProc);
        if (id) timers.emplace_back(id, &timer);
    }

    TPoint FrameExtent(const TForm& form) override {
        DWORD style = 0, exStyle = 0;
        FormStyles(form, style, exStyle);
        RECT r{0, 0, 100, 100};
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
        return {r.right - r.left - 100, r.bottom - r.top - 100};
    }

    void BeginModal(TForm&) override {
        // Keys typed before the window opens were meant for the one before it: an Escape
        // for the preparation must not cancel the wizard.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        }
        disabled_.emplace_back();
        EnumThreadWindows(GetCurrentThreadId(), DisableWindow, reinterpret_cast<LPARAM>(&disabled_.back()));
    }
    void EndModal(TForm&) override {
        if (disabled_.empty()) return;
        for (HWND hwnd : disabled_.back())
            if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
        disabled_.pop_back();
    }

    std::unique_ptr<TPictureData> DecodePicture(const std::string& bytes) override {
        return DecodeWithGdiplus(bytes);
    }

    std::string ResourceBytes(const std::string& name) override {
        HMODULE module = GetModuleHandleA(nullptr);
        HRSRC found = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
        if (!found) return {};
        HGLOBAL loaded = LoadResource(module, found);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data) return {};
        return std::string(static_cast<const char*>(data), SizeofResource(module, found));
    }

    bool Animates() const override { return true; }

    TPoint TextExtent(const TFont& font, const std::string& text) override {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, FontHandle(font));
        SIZE size{};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return {size.cx, size.cy};
    }

private:
    std::vector<std::vector<HWND>> disabled_;
};

}  // namespace

std::unique_ptr<TBackend> MakeWin32Backend() { return std::make_unique<TWin32Backend>(); }

}  // namespace zov::ui::win32
