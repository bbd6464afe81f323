#include "ui/win32/window_peers.h"

#include "ui/application.h"
#include "ui/caption_gradient.h"
#include "ui/win32/dc_canvas.h"
#include "ui/win32/gdi_resources.h"
#include "ui/win32/native_peers.h"

namespace zov::ui::win32 {

const char kWindowClass[] = "ZovWindow";

namespace {

const char kPeerProperty[] = "ZovPeer";

LRESULT CALLBACK PeerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (TWindowPeer* peer = TWindowPeer::FromWindow(hwnd)) return peer->Handle(message, wParam, lParam);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A window of the backend's class: paints its background, its frame and the window-less
// controls it holds into a bitmap first, so nothing flickers; clicks on those controls
// go to them, clicks on the free area to the window's own control.
class TContainerPeer : public TWindowPeer {
public:
    explicit TContainerPeer(TControl& control) : TWindowPeer(control) {}

    void Create(HWND parent, DWORD style, DWORD exStyle) {
        const TControl& c = control_;
        if (!c.Visible()) style &= ~WS_VISIBLE;
        if (!c.Enabled()) style |= WS_DISABLED;
        HWND hwnd = CreateWindowExA(exStyle, kWindowClass, c.Caption().c_str(), style, c.Left(), c.Top(),
                                    c.Width(), c.Height(), parent, nullptr, GetModuleHandleA(nullptr), nullptr);
        Attach(hwnd, false);
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_ERASEBKGND:
                return 1;
            case WM_PAINT:
                Paint();
                return 0;
            case WM_SETFOCUS:
                // A container shows no focus: it passes it on to a control that does.
                FocusInForm(hwnd_, lastFocus_);
                return 0;
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK:
                SetCapture(hwnd_);
                pressed_ = Hit(lParam);
                pressedFree_ = pressed_ == nullptr;
                return 0;
            case WM_LBUTTONUP:
                if (GetCapture() == hwnd_) {
                    ReleaseCapture();
                    Release(lParam);
                }
                return 0;
            case WM_SETCURSOR:
                if (LOWORD(lParam) == HTCLIENT) {
                    POINT p;
                    GetCursorPos(&p);
                    ScreenToClient(hwnd_, &p);
                    TControl* c = static_cast<TWinControl&>(control_).GraphicControlAt(p.x, p.y);
                    SetCursor(LoadCursorA(nullptr, c && c->Cursor == TCursor::crHandPoint ? IDC_HAND : IDC_ARROW));
                    return TRUE;
                }
                break;
            case WM_COMMAND:
                if (lParam)
                    if (TWindowPeer* child = FromWindow(reinterpret_cast<HWND>(lParam))) child->Command(HIWORD(wParam));
                return 0;
            case WM_NOTIFY: {
                const auto* header = reinterpret_cast<const NMHDR*>(lParam);
                if (TWindowPeer* child = FromWindow(header->hwndFrom)) return child->Notify(*header);
                return 0;
            }
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLOREDIT:
            case WM_CTLCOLORBTN:
                if (TWindowPeer* child = FromWindow(reinterpret_cast<HWND>(lParam)))
                    return reinterpret_cast<LRESULT>(child->ControlColor(reinterpret_cast<HDC>(wParam)));
                break;
            case WM_DRAWITEM: {
                const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
                if (TWindowPeer* child = FromWindow(item->hwndItem)) child->DrawItem(*item);
                return TRUE;
            }
        }
        return TWindowPeer::Handle(message, wParam, lParam);
    }

protected:
    void Paint() {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        RECT client;
        GetClientRect(hwnd_, &client);
        TDCCanvas screen(dc, client.right, client.bottom);
        try {
            std::unique_ptr<TCanvas> buffer = screen.CreateBitmap(client.right, client.bottom);
            PaintAll(*buffer, client);
            screen.Draw(0, 0, *buffer);
        } catch (const EOutOfResources&) {
            PaintAll(screen, client);
        }
        EndPaint(hwnd_, &ps);
    }

    void PaintAll(TCanvas& canvas, const RECT& client) {
        App().Dispatch([&] {
            canvas.BrushColor = control_.Color();
            canvas.FillRect({0, 0, client.right, client.bottom});
            control_.Paint(canvas);
            for (TControl* child : static_cast<TWinControl&>(control_).Controls()) {
                if (child->Kind() != TControlKind::Graphic || !child->Visible()) continue;
                canvas.PushState(child->Left(), child->Top(), {0, 0, child->Width(), child->Height()});
                child->Paint(canvas);
                canvas.PopState();
            }
        });
    }

    TControl* Hit(LPARAM lParam) {
        const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
        return static_cast<TWinControl&>(control_).GraphicControlAt(x, y);
    }

    void Release(LPARAM lParam) {
        TControl* target = Hit(lParam);
        RECT client;
        GetClientRect(hwnd_, &client);
        const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        TControl* pressed = pressed_;
        const bool free = pressedFree_ && !target && PtInRect(&client, p);
        pressed_ = nullptr;
        pressedFree_ = false;
        if (pressed && target == pressed && pressed->Enabled())
            App().Dispatch([pressed] { pressed->Click(); });
        else if (free)
            App().Dispatch([this] { control_.Click(); });
    }

    TControl* pressed_ = nullptr;
    bool pressedFree_ = false;
    HWND lastFocus_ = nullptr;  // where the focus was when the form was last deactivated
};

class TFormPeer : public TContainerPeer {
public:
    explicit TFormPeer(TForm& form) : TContainerPeer(form), form_(form) {
        DWORD style = 0, exStyle = 0;
        FormStyles(form, style, exStyle);
        HWND owner = nullptr;
        if (TForm* main = App().MainForm(); main && main != &form && main->Peer())
            owner = static_cast<TWindowPeer*>(main->Peer())->Window();
        HWND hwnd = CreateWindowExA(exStyle, kWindowClass, form.Caption().c_str(), style, form.Left(), form.Top(),
                                    form.Width(), form.Height(), owner, nullptr, GetModuleHandleA(nullptr), nullptr);
        Attach(hwnd, false);
        if (form.CaptionPainter) KeepClassicFrame();
    }

    void Changed(uint32_t what) override {
        if (what & chBounds)
            SetWindowPos(hwnd_, nullptr, form_.Left(), form_.Top(), form_.Width(), form_.Height(),
                         SWP_NOZORDER | SWP_NOACTIVATE);
        if (what & chVisible) {
            if (form_.Visible()) {
                ShowWindow(hwnd_, form_.WindowState == TWindowState::wsMaximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
                SetForegroundWindow(hwnd_);
                TControl* active = form_.ActiveControl;
                if (active && active->Peer() && active->Kind() != TControlKind::Graphic)
                    SetFocus(static_cast<TWindowPeer*>(active->Peer())->Window());
                else if (HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE))
                    SetFocus(first);
                UpdateWindow(hwnd_);
            } else {
                ShowWindow(hwnd_, SW_HIDE);
            }
        }
        if (what & chFrame) RedrawWindow(hwnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
        if (what & chFocus) SetForegroundWindow(hwnd_);
        TWindowPeer::Changed(what & ~(chBounds | chVisible | chFocus));
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_CLOSE:
                App().Dispatch([this] { form_.UserClose(); });
                return 0;
            case WM_ACTIVATE:
                if (LOWORD(wParam) == WA_INACTIVE) {
                    HWND focus = GetFocus();
                    if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
                }
                break;
            case WM_SIZE:
            case WM_MOVE: {
                RECT r;
                GetWindowRect(hwnd_, &r);
                if (!IsIconic(hwnd_)) form_.BoundsFromSystem(r.left, r.top, r.right - r.left, r.bottom - r.top);
                return 0;
            }
            case WM_NCPAINT: {
                const LRESULT result = DefWindowProcA(hwnd_, message, wParam, lParam);
                PaintCaption();
                return result;
            }
            case WM_NCACTIVATE: {
                active_ = wParam != FALSE;
                const LRESULT result = DefWindowProcA(hwnd_, message, wParam, lParam);
                PaintCaption();
                return result;
            }
            case WM_SETTEXT: {
                const LRESULT result = DefWindowProcA(hwnd_, message, wParam, lParam);
                PaintCaption();
                return result;
            }
            case WM_NCLBUTTONDOWN:
            case WM_NCLBUTTONUP:
            case WM_NCMOUSEMOVE: {
                const LRESULT result = DefWindowProcA(hwnd_, message, wParam, lParam);
                PaintCaption();
                return result;
            }
            case WM_QUERYNEWPALETTE:
                RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
                return TRUE;
            case WM_PALETTECHANGED:
                if (reinterpret_cast<HWND>(wParam) != hwnd_)
                    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
                return 0;
        }
        return TContainerPeer::Handle(message, wParam, lParam);
    }

private:
    // The painted title bar needs the frame drawn by the window itself, not by the
    // desktop compositor of newer systems.
    void KeepClassicFrame() {
        char dir[MAX_PATH];
        const UINT len = GetSystemDirectoryA(dir, MAX_PATH);
        if (len == 0 || len >= MAX_PATH - 16) return;
        HMODULE dwm = LoadLibraryA((std::string(dir) + "\\dwmapi.dll").c_str());
        if (!dwm) return;
        using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
        auto set = reinterpret_cast<SetAttribute>(reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
        const DWORD ncRenderingPolicy = 2, disabled = 1;
        if (set) set(hwnd_, ncRenderingPolicy, &disabled, sizeof(disabled));
    }

    void PaintCaption() {
        const TCaptionGradient* painter = form_.CaptionPainter;
        DWORD style = 0, exStyle = 0;
        FormStyles(form_, style, exStyle);
        if (!painter || (style & WS_CAPTION) != WS_CAPTION) return;
        const bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
        RECT window;
        GetWindowRect(hwnd_, &window);
        const int frameX = GetSystemMetrics(SM_CXFIXEDFRAME), frameY = GetSystemMetrics(SM_CYFIXEDFRAME);
        const int caption = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION) - 1;
        const int right = window.right - window.left - frameX;
        const int button = (style & WS_SYSMENU) ? GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE) : 0;
        const TRect bar{frameX, frameY, right - button, frameY + caption};
        const TRect box{right - button, frameY + 2, right - 2, frameY + caption - 2};
        if (bar.Width() <= 0) return;
        HDC dc = GetWindowDC(hwnd_);
        {
            TDCCanvas canvas(dc, window.right - window.left, window.bottom - window.top);
            App().Dispatch([&] {
                painter->PaintCaption(canvas, {bar.Left, bar.Top, right, bar.Bottom}, active_, form_.Caption(),
                                      CaptionFont(tool));
                if (button) painter->PaintCloseBox(canvas, box);
            });
        }
        ReleaseDC(hwnd_, dc);
    }

    TForm& form_;
    bool active_ = true;
};

class TPanelPeer : public TContainerPeer {
public:
    explicit TPanelPeer(TControl& control) : TContainerPeer(control) {
        Create(ParentWindow(control), WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT);
    }
};

// Window-less controls: their parent repaints where they were and where they are.
class TGraphicPeer : public TControlPeer {
public:
    explicit TGraphicPeer(TControl& control) : control_(control), last_(Bounds()) {}
    void Changed(uint32_t what) override {
        HWND parent = ParentWindow(control_);
        if (!parent) return;
        InvalidateRect(parent, &last_, FALSE);
        last_ = Bounds();
        InvalidateRect(parent, &last_, FALSE);
        if (what & chUpdate) UpdateWindow(parent);
    }

private:
    RECT Bounds() const { return {control_.Left(), control_.Top(), control_.Left() + control_.Width(), control_.Top() + control_.Height()}; }
    TControl& control_;
    RECT last_;
};

}  // namespace

HWND RootWindow(HWND hwnd) {
    while (hwnd && (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) hwnd = GetParent(hwnd);
    return hwnd;
}

void FocusInForm(HWND inside, HWND preferred) {
    HWND root = RootWindow(inside);
    if (!root || !IsWindowVisible(root)) return;
    auto takes = [root](HWND hwnd) {
        return hwnd && hwnd != root && IsChild(root, hwnd) && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd);
    };
    HWND target = takes(preferred) ? preferred : nullptr;
    if (!target)
        if (TWindowPeer* form = TWindowPeer::FromWindow(root); form && form->Control().Kind() == TControlKind::Form)
            if (TControl* button = static_cast<TForm&>(form->Control()).DefaultButton(); button && button->Peer())
                target = static_cast<TWindowPeer*>(button->Peer())->Window();
    if (!takes(target)) target = GetNextDlgTabItem(root, nullptr, FALSE);
    if (takes(target)) SetFocus(target);
}

void RegisterWindowClass() {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = PeerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);
}

void FormStyles(const TForm& form, DWORD& style, DWORD& exStyle) {
    style = WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    exStyle = WS_EX_CONTROLPARENT;
    const bool systemMenu = (form.BorderIcons & biSystemMenu) != 0;
    switch (form.BorderStyle) {
        case TFormBorderStyle::bsNone:
            break;
        case TFormBorderStyle::bsSingle:
            style |= WS_CAPTION | (systemMenu ? WS_SYSMENU | WS_MINIMIZEBOX : 0);
            break;
        case TFormBorderStyle::bsDialog:
            style |= WS_CAPTION | (systemMenu ? WS_SYSMENU : 0);
            exStyle |= WS_EX_DLGMODALFRAME;
            break;
        case TFormBorderStyle::bsToolWindow:
            style |= WS_CAPTION | (systemMenu ? WS_SYSMENU : 0);
            exStyle |= WS_EX_TOOLWINDOW;
            break;
    }
}

TWindowPeer* TWindowPeer::FromWindow(HWND hwnd) {
    return hwnd ? static_cast<TWindowPeer*>(GetPropA(hwnd, kPeerProperty)) : nullptr;
}

TWindowPeer::~TWindowPeer() {
    if (!hwnd_) return;
    RemovePropA(hwnd_, kPeerProperty);
    if (oldProc_) SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
    DestroyWindow(hwnd_);
}

void TWindowPeer::Attach(HWND hwnd, bool subclass) {
    hwnd_ = hwnd;
    if (!hwnd_) return;
    SetPropA(hwnd_, kPeerProperty, this);
    if (subclass)
        oldProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PeerProc)));
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(control_.Font())), FALSE);
    if (GetParent(hwnd_) && (GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD))
        SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT TWindowPeer::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (oldProc_) return CallWindowProcA(oldProc_, hwnd_, message, wParam, lParam);
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

HBRUSH TWindowPeer::ControlColor(HDC dc) {
    SetBkColor(dc, ToColorRef(control_.Color()));
    SetTextColor(dc, ToColorRef(control_.Font().Color));
    return BrushHandle(control_.Color());
}

void TWindowPeer::Changed(uint32_t what) {
    if (!hwnd_) return;
    const TControl& c = control_;
    // A control that is disabled or hidden while it has the focus hands it on, so the
    // keyboard always has a visible place to go.
    HWND focus = GetFocus();
    const bool hadFocus = focus && (focus == hwnd_ || IsChild(hwnd_, focus));
    if (what & chBounds) MoveWindow(hwnd_, c.Left(), c.Top(), c.Width(), c.Height(), TRUE);
    if (what & chVisible) ShowWindow(hwnd_, c.Visible() ? SW_SHOWNA : SW_HIDE);
    if (what & chEnabled) EnableWindow(hwnd_, c.Enabled());
    if (what & chText) SetWindowTextA(hwnd_, c.Caption().c_str());
    if (what & chFont) SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(c.Font())), TRUE);
    if (what & (chState | chItems)) Sync(what);
    if (what & (chColor | chPaint | chFont)) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    if (what & chUpdate) RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (what & chFocus) SetFocus(hwnd_);
    if (hadFocus && (!IsWindowVisible(hwnd_) || !IsWindowEnabled(hwnd_))) FocusInForm(hwnd_);
}

HWND ParentWindow(TControl& control) {
    TWinControl* parent = control.Parent();
    if (!parent || !parent->Peer()) return nullptr;
    if (parent->Kind() == TControlKind::Graphic) return nullptr;
    return static_cast<TWindowPeer*>(parent->Peer())->Window();
}

std::unique_ptr<TControlPeer> CreateWindowPeer(TControl& control) {
    switch (control.Kind()) {
        case TControlKind::Form:
            return std::make_unique<TFormPeer>(static_cast<TForm&>(control));
        case TControlKind::Container:
            return std::make_unique<TPanelPeer>(control);
        case TControlKind::Graphic:
            return std::make_unique<TGraphicPeer>(control);
        default:
            return CreateNativePeer(control);
    }
}

}  // namespace zov::ui::win32
