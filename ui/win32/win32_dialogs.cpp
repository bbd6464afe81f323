// The real dialogs: MessageBoxA for the button sets it knows, and small dialogs built in
// memory (no resource script) for the input query and for other button sets.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "ui/dialogs.h"

namespace zov::ui {
namespace {

// A dialog template assembled in memory. Texts are set after creation with the ANSI
// calls, so the template carries empty titles only.
class DialogTemplate {
public:
    DialogTemplate(short cx, short cy) {
        const DWORD style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        PutDword(style);
        PutDword(0);          // extended style
        countAt_ = words_.size();
        words_.push_back(0);  // item count, patched by Add
        PutShort(0);
        PutShort(0);
        PutShort(cx);
        PutShort(cy);
        words_.push_back(0);  // no menu
        words_.push_back(0);  // default class
        words_.push_back(0);  // empty title
        words_.push_back(8);  // point size
        for (const char* p = "MS Shell Dlg"; *p; ++p) words_.push_back(static_cast<WORD>(*p));
        words_.push_back(0);
    }

    // `kind` is the predefined class atom: 0x0080 button, 0x0081 edit, 0x0082 static.
    void Add(WORD kind, WORD id, DWORD style, short x, short y, short cx, short cy) {
        if (words_.size() % 2) words_.push_back(0);  // items start on a DWORD boundary
        PutDword(style | WS_CHILD | WS_VISIBLE);
        PutDword(0);
        PutShort(x);
        PutShort(y);
        PutShort(cx);
        PutShort(cy);
        words_.push_back(id);
        words_.push_back(0xFFFF);
        words_.push_back(kind);
        words_.push_back(0);  // empty title
        words_.push_back(0);  // no creation data
        ++words_[countAt_];
    }

    INT_PTR Run(DLGPROC proc, LPARAM param) {
        return DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                                       reinterpret_cast<LPCDLGTEMPLATEA>(words_.data()),
                                       GetActiveWindow(), proc, param);
    }

private:
    void PutDword(DWORD v) {
        words_.push_back(LOWORD(v));
        words_.push_back(HIWORD(v));
    }
    void PutShort(short v) { words_.push_back(static_cast<WORD>(v)); }

    std::vector<WORD> words_;
    size_t countAt_ = 0;
};

constexpr WORD kButtonClass = 0x0080, kEditClass = 0x0081, kStaticClass = 0x0082;
constexpr WORD kTextId = 100, kEditId = 101, kIconId = 102;

struct QueryState {
    const std::string* caption;
    const std::string* prompt;
    std::string* value;
};

INT_PTR CALLBACK QueryProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* q = reinterpret_cast<QueryState*>(lParam);
        SetWindowLongPtrA(dlg, DWLP_USER, lParam);
        SetWindowTextA(dlg, q->caption->c_str());
        SetDlgItemTextA(dlg, kTextId, q->prompt->c_str());
        SetDlgItemTextA(dlg, kEditId, q->value->c_str());
        SetDlgItemTextA(dlg, IDOK, "OK");
        SetDlgItemTextA(dlg, IDCANCEL, "Cancel");
        SendDlgItemMessageA(dlg, kEditId, EM_SETSEL, 0, -1);
        SetFocus(GetDlgItem(dlg, kEditId));
        return FALSE;  // focus set here
    }
    if (msg == WM_COMMAND) {
        const WORD id = LOWORD(wParam);
        if (id == IDOK) {
            auto* q = reinterpret_cast<QueryState*>(GetWindowLongPtrA(dlg, DWLP_USER));
            HWND edit = GetDlgItem(dlg, kEditId);
            std::string text(static_cast<size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
            text.resize(static_cast<size_t>(GetWindowTextA(edit, text.data(), static_cast<int>(text.size()))));
            *q->value = text;
            EndDialog(dlg, IDOK);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
    }
    return FALSE;
}

const char* ButtonCaption(TMsgDlgButtons button) {
    switch (button) {
        case mbYes: return "&Yes";
        case mbNo: return "&No";
        case mbOK: return "OK";
        case mbCancel: return "Cancel";
        case mbAbort: return "&Abort";
        case mbRetry: return "&Retry";
        case mbIgnore: return "&Ignore";
        case mbDefaultNo: break;  // a flag, not a button
    }
    return "";
}

struct BoxState {
    const std::string* text;
    const std::string* caption;
    TMsgDlgButtons buttons;
    TMsgDlgType type;
};

LPCSTR IconFor(TMsgDlgType type) {
    switch (type) {
        case TMsgDlgType::mtWarning: return IDI_WARNING;
        case TMsgDlgType::mtError: return IDI_ERROR;
        case TMsgDlgType::mtInformation: return IDI_INFORMATION;
        case TMsgDlgType::mtConfirmation: return IDI_QUESTION;
        case TMsgDlgType::mtCustom: break;
    }
    return nullptr;
}

INT_PTR CALLBACK BoxProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* b = reinterpret_cast<BoxState*>(lParam);
        SetWindowLongPtrA(dlg, DWLP_USER, lParam);
        SetWindowTextA(dlg, b->caption->c_str());
        SetDlgItemTextA(dlg, kTextId, b->text->c_str());
        for (TMsgDlgButtons button : {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore})
            if (b->buttons & button) SetDlgItemTextA(dlg, ResultOf(button), ButtonCaption(button));
        if (LPCSTR icon = IconFor(b->type))
            SendDlgItemMessageA(dlg, kIconId, STM_SETICON,
                                reinterpret_cast<WPARAM>(LoadIconA(nullptr, icon)), 0);
        return TRUE;
    }
    if (msg == WM_COMMAND) {
        auto* b = reinterpret_cast<BoxState*>(GetWindowLongPtrA(dlg, DWLP_USER));
        const WORD id = LOWORD(wParam);
        for (TMsgDlgButtons button : {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore}) {
            if ((b->buttons & button) && ResultOf(button) == id) {
                EndDialog(dlg, id);
                return TRUE;
            }
        }
    }
    return FALSE;
}

// A box for button sets MessageBoxA cannot show (for example No and Abort).
TModalResult BuiltBox(const std::string& text, const std::string& caption, TMsgDlgButtons buttons,
                      TMsgDlgType type) {
    constexpr short kWidth = 230, kTextLeft = 40, kCharsPerLine = 44;
    short lines = 0;
    size_t run = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\r' || text[i] == '\n') {
            lines = static_cast<short>(lines + 1 + static_cast<short>(run / kCharsPerLine));
            run = 0;
            if (i + 1 < text.size() && text[i] == '\n' && text[i + 1] == '\r') ++i;
        } else {
            ++run;
        }
    }
    const short textHeight = static_cast<short>(lines < 2 ? 20 : lines * 9);
    const short buttonsTop = static_cast<short>(12 + textHeight + 8);

    std::vector<TMsgDlgButtons> shown;
    for (TMsgDlgButtons button : {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore})
        if (buttons & button) shown.push_back(button);
    DialogTemplate tpl(kWidth, static_cast<short>(buttonsTop + 22));
    tpl.Add(kStaticClass, kIconId, SS_ICON, 10, 10, 20, 20);
    tpl.Add(kStaticClass, kTextId, SS_LEFT | SS_NOPREFIX, kTextLeft, 12,
            static_cast<short>(kWidth - kTextLeft - 10), textHeight);
    short x = static_cast<short>(kWidth - 10 - static_cast<short>(shown.size()) * 56 + 6);
    for (size_t i = 0; i < shown.size(); ++i) {
        const DWORD style = WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        tpl.Add(kButtonClass, static_cast<WORD>(ResultOf(shown[i])), style, x, buttonsTop, 50, 14);
        x = static_cast<short>(x + 56);
    }
    BoxState state{&text, &caption, buttons, type};
    const INT_PTR answer = tpl.Run(BoxProc, reinterpret_cast<LPARAM>(&state));
    return answer > 0 ? static_cast<TModalResult>(answer) : mrNone;
}

// The folder picker opens at the folder given to it.
int CALLBACK BrowseStartsAt(HWND hwnd, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED) SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, start);
    return 0;
}

class Win32Dialogs : public Dialogs {
public:
    TModalResult MessageDlg(const std::string& text, const std::string& caption,
                            TMsgDlgButtons buttons, TMsgDlgType type) override {
        UINT style = (buttons & mbDefaultNo) ? MB_DEFBUTTON2 : 0;
        switch (static_cast<uint32_t>(buttons) & ~static_cast<uint32_t>(mbDefaultNo)) {
            case mbOK: style |= MB_OK; break;
            case mbOK | mbCancel: style |= MB_OKCANCEL; break;
            case mbYes | mbNo: style |= MB_YESNO; break;
            case mbYes | mbNo | mbCancel: style |= MB_YESNOCANCEL; break;
            case mbRetry | mbCancel: style |= MB_RETRYCANCEL; break;
            case mbAbort | mbRetry | mbIgnore: style |= MB_ABORTRETRYIGNORE; break;
            default: return BuiltBox(text, caption, buttons, type);
        }
        switch (type) {
            case TMsgDlgType::mtWarning: style |= MB_ICONWARNING; break;
            case TMsgDlgType::mtError: style |= MB_ICONERROR; break;
            case TMsgDlgType::mtInformation: style |= MB_ICONINFORMATION; break;
            case TMsgDlgType::mtConfirmation: style |= MB_ICONQUESTION; break;
            case TMsgDlgType::mtCustom: break;
        }
        HWND owner = GetActiveWindow();
        if (!owner) style |= MB_TASKMODAL;
        return static_cast<TModalResult>(MessageBoxA(owner, text.c_str(), caption.c_str(), style));
    }

    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override {
        DialogTemplate tpl(180, 64);
        tpl.Add(kStaticClass, kTextId, SS_LEFT | SS_NOPREFIX, 8, 8, 164, 10);
        tpl.Add(kEditClass, kEditId, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 8, 20, 164, 12);
        tpl.Add(kButtonClass, IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 38, 42, 50, 14);
        tpl.Add(kButtonClass, IDCANCEL, WS_TABSTOP | BS_PUSHBUTTON, 92, 42, 50, 14);
        std::string typed = value;
        QueryState state{&caption, &prompt, &typed};
        HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        const INT_PTR answer = tpl.Run(QueryProc, reinterpret_cast<LPARAM>(&state));
        SetCursor(previous);
        if (answer != IDOK) return false;
        value = typed;
        return true;
    }

    bool SelectDirectory(const std::string& title, std::string& dir) override {
        BROWSEINFOA info{};
        info.hwndOwner = GetActiveWindow();
        info.lpszTitle = title.c_str();
        info.ulFlags = BIF_RETURNONLYFSDIRS;
        info.lpfn = BrowseStartsAt;
        info.lParam = reinterpret_cast<LPARAM>(dir.c_str());
        LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
        if (!chosen) return false;
        char path[MAX_PATH];
        const bool ok = SHGetPathFromIDListA(chosen, path) != FALSE;
        CoTaskMemFree(chosen);
        if (ok) dir = path;
        return ok;
    }

    void ProcessMessages() override {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the main loop
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
};

}  // namespace

std::unique_ptr<Dialogs> MakeDefaultDialogs() { return std::make_unique<Win32Dialogs>(); }

}  // namespace zov::ui
