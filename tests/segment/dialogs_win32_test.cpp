// The real dialogs under Windows (Wine in CI): a second thread plays the user, finds the
// dialog by its caption, reads it and presses a button.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "ui/dialogs.h"

namespace zov::test {
namespace {

HWND WaitForWindow(const char* caption) {
    for (int i = 0; i < 400; ++i) {
        HWND w = FindWindowA(nullptr, caption);
        if (w && IsWindowVisible(w)) return w;
        Sleep(25);
    }
    return nullptr;
}

std::string ItemText(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

TEST(Win32Dialogs, InputQueryShowsTheValueAndReturnsWhatWasTyped) {
    auto dialogs = ui::MakeDefaultDialogs();
    std::string seen, prompt;
    bool framed = false, editHasFocus = false;
    std::thread user([&] {
        HWND w = WaitForWindow("Mount Segment #2");
        if (!w) return;
        HWND edit = FindWindowExA(w, nullptr, "Edit", nullptr);
        // A caption and a frame, and the keyboard in the text box, as a user expects.
        const LONG style = GetWindowLongA(w, GWL_STYLE);
        framed = (style & WS_CAPTION) == WS_CAPTION && (style & (WS_DLGFRAME | WS_THICKFRAME | WS_BORDER));
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui;
        for (int i = 0; i < 400 && !editHasFocus; ++i) {
            editHasFocus = GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &gui) && gui.hwndFocus == edit;
            if (!editHasFocus) Sleep(25);
        }
        char text[256] = {};
        GetWindowTextA(edit, text, sizeof text);
        seen = text;
        HWND label = FindWindowExA(w, nullptr, "Static", nullptr);
        GetWindowTextA(label, text, sizeof text);
        prompt = text;
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("D:\\Disk Two"));
        PostMessageA(w, WM_COMMAND, IDOK, 0);
    });
    std::string value = "a:\\";
    const bool ok = dialogs->InputQuery("Mount Segment #2", "Directory Path:", value);
    user.join();
    EXPECT_EQ(seen, "a:\\");
    EXPECT_EQ(prompt, "Directory Path:");
    EXPECT_TRUE(framed);
    EXPECT_TRUE(editHasFocus);
    EXPECT_TRUE(ok);
    EXPECT_EQ(value, "D:\\Disk Two");

    std::thread canceller([] {
        if (HWND w = WaitForWindow("Mount Segment #3")) PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    });
    value = "c:\\keep";
    EXPECT_FALSE(dialogs->InputQuery("Mount Segment #3", "Directory Path:", value));
    canceller.join();
    EXPECT_EQ(value, "c:\\keep");
}

TEST(Win32Dialogs, MessageBoxesAnswerWithThePressedButton) {
    auto dialogs = ui::MakeDefaultDialogs();
    std::thread user([] {
        if (HWND w = WaitForWindow("Error")) PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(dialogs->MessageDlg("Unable to locate \"disk.002\" on this segment!", "Error",
                                  ui::mbOK | ui::mbCancel, ui::TMsgDlgType::mtError),
              ui::mrCancel);
    user.join();

    // No and Abort is no set MessageBoxA knows: the box is built in code.
    std::string text, abortCaption;
    std::thread aborter([&] {
        HWND w = WaitForWindow("Setup");
        if (!w) return;
        text = ItemText(w, 100);
        abortCaption = ItemText(w, IDABORT);
        PostMessageA(w, WM_COMMAND, IDABORT, 0);
    });
    EXPECT_EQ(dialogs->MessageDlg("Abort Setup Process ?", "Setup", ui::mbNo | ui::mbAbort,
                                  ui::TMsgDlgType::mtWarning),
              ui::mrAbort);
    aborter.join();
    EXPECT_EQ(text, "Abort Setup Process ?");
    EXPECT_EQ(abortCaption, "&Abort");
}

}  // namespace
}  // namespace zov::test
