#include "ui/win32/native_peers.h"

#include <string>
#include <type_traits>

#include "ui/application.h"
#include "ui/buttons.h"
#include "ui/glyphs.h"
#include "ui/progress.h"
#include "ui/text_controls.h"
#include "ui/win32/common_controls.h"
#include "ui/win32/dc_canvas.h"
#include "ui/win32/gdi_resources.h"
#include "ui/win32/window_peers.h"

namespace zov::ui::win32 {
namespace {

HWND CreateChild(TControl& c, const char* windowClass, DWORD style, DWORD exStyle, const std::string& text) {
    style |= WS_CHILD;
    if (c.Visible()) style |= WS_VISIBLE;
    if (!c.Enabled()) style |= WS_DISABLED;
    return CreateWindowExA(exStyle, windowClass, text.c_str(), style, c.Left(), c.Top(), c.Width(), c.Height(),
                           ParentWindow(c), nullptr, GetModuleHandleA(nullptr), nullptr);
}

std::string WindowText(HWND hwnd) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Paints an owner-drawn button through a bitmap.
template <class PaintFace>
void DrawButtonBuffered(const DRAWITEMSTRUCT& item, PaintFace paint) {
    const int w = item.rcItem.right - item.rcItem.left, h = item.rcItem.bottom - item.rcItem.top;
    TDCCanvas screen(item.hDC, w, h);
    try {
        std::unique_ptr<TCanvas> buffer = screen.CreateBitmap(w, h);
        paint(*buffer);
        screen.Draw(item.rcItem.left, item.rcItem.top, *buffer);
    } catch (const EOutOfResources&) {
        paint(screen);
    }
}

class TFlatButtonPeer : public TWindowPeer {
public:
    explicit TFlatButtonPeer(TFlatButton& button) : TWindowPeer(button), button_(button) {
        Attach(CreateChild(button, "BUTTON", BS_OWNERDRAW | WS_TABSTOP, 0, button.Caption()), true);
    }
    void Command(WORD code) override {
        if (code == BN_CLICKED || code == BN_DOUBLECLICKED) App().Dispatch([this] { button_.Click(); });
    }
    void DrawItem(const DRAWITEMSTRUCT& item) override {
        const bool down = (item.itemState & ODS_SELECTED) != 0, focused = (item.itemState & ODS_FOCUS) != 0;
        DrawButtonBuffered(item, [&](TCanvas& canvas) { button_.PaintFace(canvas, hot_, down, focused); });
    }
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_MOUSEMOVE && !hot_ && TrackMouseLeave(hwnd_)) {
            // Without word of the mouse leaving, the hover look would stay: none then.
            hot_ = true;
            InvalidateRect(hwnd_, nullptr, FALSE);
        } else if (message == WM_MOUSELEAVE) {
            hot_ = false;
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
        return TWindowPeer::Handle(message, wParam, lParam);
    }

private:
    TFlatButton& button_;
    bool hot_ = false;
};

template <class T>
class TCheckPeer : public TWindowPeer {
public:
    TCheckPeer(T& control, DWORD style) : TWindowPeer(control), check_(control) {
        Attach(CreateChild(control, "BUTTON", style | WS_TABSTOP, 0, control.Caption()), false);
        Sync(chState);
    }
    void Command(WORD code) override {
        if (code == BN_CLICKED) App().Dispatch([this] { check_.Click(); });
    }

protected:
    void Sync(uint32_t) override {
        SendMessageA(hwnd_, BM_SETCHECK, check_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
        // Only the selected radio button is a tab stop: Tab enters the group at the choice.
        if constexpr (std::is_same_v<T, TRadioButton>) {
            const LONG style = GetWindowLongA(hwnd_, GWL_STYLE);
            SetWindowLongA(hwnd_, GWL_STYLE, check_.Checked() ? style | WS_TABSTOP : style & ~WS_TABSTOP);
        }
    }

private:
    T& check_;
};

// The user's typing is not read back: the setup's memos are read-only.
class TMemoPeer : public TWindowPeer {
public:
    explicit TMemoPeer(TMemo& memo) : TWindowPeer(memo), memo_(memo) {
        DWORD style = ES_MULTILINE | ES_AUTOVSCROLL;
        // A read-only text without a border is only a text: the keyboard passes it by.
        if (!memo.ReadOnly || memo.BorderStyle == TBorderStyle::bsSingle) style |= WS_TABSTOP;
        if (memo.ReadOnly) style |= ES_READONLY;
        if (memo.ScrollBars == TScrollStyle::ssVertical) style |= WS_VSCROLL;
        if (!memo.WordWrap) style |= ES_AUTOHSCROLL;
        const DWORD exStyle = memo.BorderStyle == TBorderStyle::bsSingle ? WS_EX_CLIENTEDGE : 0;
        Attach(CreateChild(memo, "EDIT", style, exStyle, ""), memo.ReadOnly);
        Sync(chItems);
    }
    // A text that cannot be changed has no use for Tab: the key moves on to the next control.
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
        const LRESULT result = TWindowPeer::Handle(message, wParam, lParam);
        return message == WM_GETDLGCODE ? result & ~(DLGC_WANTTAB | DLGC_WANTALLKEYS) : result;
    }

protected:
    void Sync(uint32_t what) override {
        if (!(what & chItems)) return;
        std::string text = memo_.Lines().Text();
        if (text.size() >= 2) text.resize(text.size() - 2);  // no line break after the last line
        SetWindowTextA(hwnd_, text.c_str());
    }

private:
    TMemo& memo_;
};

class TCheckListPeer : public TWindowPeer {
public:
    explicit TCheckListPeer(TCheckListBox& list) : TWindowPeer(list), list_(list) {
        Attach(CreateChild(list, WC_LISTVIEWA,
                           LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                           WS_EX_CLIENTEDGE, ""),
               false);
        SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                     LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH;
        column.cx = list.Width() - GetSystemMetrics(SM_CXVSCROLL) - 4;
        SendMessageA(hwnd_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
        Sync(chItems);
    }
    LRESULT Notify(const NMHDR& header) override {
        if (header.code != LVN_ITEMCHANGED || updating_) return 0;
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (!(change.uChanged & LVIF_STATE) || !((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK))
            return 0;
        const bool checked = ((change.uNewState & LVIS_STATEIMAGEMASK) >> 12) == 2;
        const auto index = static_cast<size_t>(change.iItem);
        if (index < list_.Items().Count() && checked != list_.Checked(index))
            App().Dispatch([this, index] { list_.ClickCheck(index); });
        return 0;
    }

protected:
    void Sync(uint32_t what) override {
        updating_ = true;
        if (what & chItems) {
            SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0);
            for (size_t i = 0; i < list_.Items().Count(); ++i) {
                LVITEMA item{};
                item.mask = LVIF_TEXT;
                item.iItem = static_cast<int>(i);
                item.pszText = const_cast<char*>(list_.Items()[i].c_str());
                SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
            }
            // The first line has the focus from the start: the list shows where the keyboard
            // is, and Space toggles that line before any arrow key is pressed.
            LVITEMA first{};
            first.stateMask = first.state = LVIS_FOCUSED | LVIS_SELECTED;
            if (list_.Items().Count()) SendMessageA(hwnd_, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
        }
        for (size_t i = 0; i < list_.Items().Count(); ++i) {
            LVITEMA item{};
            item.stateMask = LVIS_STATEIMAGEMASK;
            item.state = INDEXTOSTATEIMAGEMASK(list_.Checked(i) ? 2 : 1);
            SendMessageA(hwnd_, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
        }
        updating_ = false;
    }

private:
    TCheckListBox& list_;
    bool updating_ = false;
};

class TProgressPeer : public TWindowPeer {
public:
    explicit TProgressPeer(TProgressBar& bar) : TWindowPeer(bar), bar_(bar) {
        Attach(CreateChild(bar, PROGRESS_CLASSA, 0, 0, ""), false);
        Sync(chState);
    }

protected:
    void Sync(uint32_t) override {
        SendMessageA(hwnd_, PBM_SETRANGE32, static_cast<WPARAM>(bar_.Min()), bar_.Max());
        SendMessageA(hwnd_, PBM_SETPOS, static_cast<WPARAM>(bar_.Position()), 0);
    }

private:
    TProgressBar& bar_;
};

// An edit box and a browse button with a folder glyph, in a window of the backend's
// class that takes their notifications.
class TDirectoryEditPeer : public TWindowPeer {
public:
    explicit TDirectoryEditPeer(TDirectoryEdit& edit) : TWindowPeer(edit), edit_(edit) {
        Attach(CreateChild(edit, kWindowClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, ""), false);
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        text_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", edit.Text().c_str(),
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0, hwnd_, nullptr,
                                instance, nullptr);
        browse_ = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0, 0, 0,
                                  hwnd_, nullptr, instance, nullptr);
        SendMessageA(text_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(edit.Font())), FALSE);
        Layout();
        AddHint();
    }
    ~TDirectoryEditPeer() override {
        if (tip_) DestroyWindow(tip_);
    }
    void Changed(uint32_t what) override {
        if (what & chText) {
            if (WindowText(text_) != edit_.Text()) SetWindowTextA(text_, edit_.Text().c_str());
            what &= ~chText;
        }
        TWindowPeer::Changed(what);
        if (what & chBounds) Layout();
    }
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_COMMAND: {
                const auto from = reinterpret_cast<HWND>(lParam);
                if (from == text_ && HIWORD(wParam) == EN_CHANGE) edit_.CaptionFromSystem(WindowText(text_));
                if (from == browse_ && HIWORD(wParam) == BN_CLICKED) App().Dispatch([this] { edit_.Browse(); });
                return 0;
            }
            case WM_DRAWITEM: {
                const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
                const bool down = (item.itemState & ODS_SELECTED) != 0;
                DrawButtonBuffered(item, [&](TCanvas& canvas) { PaintBrowse(canvas, item, down); });
                return TRUE;
            }
            case WM_CTLCOLOREDIT:
                return reinterpret_cast<LRESULT>(ControlColor(reinterpret_cast<HDC>(wParam)));
            case WM_SETFOCUS:
                // Given the focus, the control hands it to its edit box, the path selected so
                // that what the user types replaces it.
                SetFocus(text_);
                SendMessageA(text_, EM_SETSEL, 0, -1);
                return 0;
            case WM_ERASEBKGND: {
                RECT r;
                GetClientRect(hwnd_, &r);
                const TColor back = edit_.Parent() ? edit_.Parent()->Color() : clBtnFace;
                FillRect(reinterpret_cast<HDC>(wParam), &r, BrushHandle(back));
                return 1;
            }
        }
        return TWindowPeer::Handle(message, wParam, lParam);
    }

private:
    void Layout() {
        const int h = edit_.Height(), button = h;
        MoveWindow(text_, 0, 0, edit_.Width() - button - 2, h, TRUE);
        MoveWindow(browse_, edit_.Width() - button, 0, button, h, TRUE);
    }
    void PaintBrowse(TCanvas& canvas, const DRAWITEMSTRUCT& item, bool down) {
        const int w = item.rcItem.right - item.rcItem.left, h = item.rcItem.bottom - item.rcItem.top;
        canvas.BrushColor = clBtnFace;
        canvas.FillRect({0, 0, w, h});
        TRect frame{0, 0, w, h};
        if (down)
            Frame3D(canvas, frame, clBtnShadow, clBtnHighlight, 1);
        else
            Frame3D(canvas, frame, clBtnHighlight, cl3DDkShadow, 1);
        const int shift = down ? 1 : 0;
        DrawGlyph(canvas, kGlyphFolder, (w - kGlyphFolder.Width) / 2 + shift, (h - kGlyphFolder.Height) / 2 + shift,
                  edit_.Enabled());
    }
    void AddHint() {
        if (edit_.Hint.empty()) return;
        tip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleA(nullptr),
                               nullptr);
        TOOLINFOA tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(browse_);
        tool.lpszText = const_cast<char*>(edit_.Hint.c_str());
        SendMessageA(tip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }

    TDirectoryEdit& edit_;
    HWND text_ = nullptr;
    HWND browse_ = nullptr;
    HWND tip_ = nullptr;
};

}  // namespace

std::unique_ptr<TControlPeer> CreateNativePeer(TControl& control) {
    switch (control.Kind()) {
        case TControlKind::Button:
            return std::make_unique<TFlatButtonPeer>(static_cast<TFlatButton&>(control));
        case TControlKind::CheckBox:
            return std::make_unique<TCheckPeer<TCheckBox>>(static_cast<TCheckBox&>(control), BS_CHECKBOX);
        case TControlKind::RadioButton:
            return std::make_unique<TCheckPeer<TRadioButton>>(static_cast<TRadioButton&>(control), BS_RADIOBUTTON);
        case TControlKind::Memo:
            return std::make_unique<TMemoPeer>(static_cast<TMemo&>(control));
        case TControlKind::CheckList:
            return std::make_unique<TCheckListPeer>(static_cast<TCheckListBox&>(control));
        case TControlKind::ProgressBar:
            return std::make_unique<TProgressPeer>(static_cast<TProgressBar&>(control));
        case TControlKind::DirectoryEdit:
            return std::make_unique<TDirectoryEditPeer>(static_cast<TDirectoryEdit&>(control));
        default:
            return nullptr;
    }
}

}  // namespace zov::ui::win32
