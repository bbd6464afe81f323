#pragma once
// The dialogs portable logic may put in front of the user, and the message pump that keeps
// windows painting during long work. Windows shows the real dialogs; tests install a
// script of the prompts they expect; a program without a user interface (the builder's
// tool, a fuzz target) gets a headless answerer that declines every question.
#include <cstdint>
#include <memory>
#include <string>

namespace zov::ui {

// The icon and kind of a message box.
enum class TMsgDlgType : uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Buttons of a message box; a box offers a set of them.
enum TMsgDlgButtons : uint32_t {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    // Not a button: No, not the first button, is the default (for questions whose safe
    // answer is No).
    mbDefaultNo = 1u << 7,
};
constexpr TMsgDlgButtons operator|(TMsgDlgButtons a, TMsgDlgButtons b) {
    return static_cast<TMsgDlgButtons>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}

// The button that closed a dialog (the values Windows uses for IDOK, IDCANCEL, ...).
enum TModalResult : int32_t {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
};

// The answer a button gives.
TModalResult ResultOf(TMsgDlgButtons button);
// The text of a set of buttons for reports, e.g. "OK+Cancel".
std::string ButtonsText(TMsgDlgButtons buttons);

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal message box; returns the button pressed.
    virtual TModalResult MessageDlg(const std::string& text, const std::string& caption,
                                    TMsgDlgButtons buttons, TMsgDlgType type) = 0;
    // A modal one-line text query, showing the arrow cursor while it is up. OK returns
    // true with `value` holding the text; Cancel returns false and leaves `value` alone.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt,
                            std::string& value) = 0;
    // Lets pending window messages run (painting, clicks), then returns.
    virtual void ProcessMessages() = 0;
    // The system's folder picker, opened at `dir`; OK returns true with the chosen folder
    // in `dir`. Without a window system there is nothing to pick.
    virtual bool SelectDirectory(const std::string& title, std::string& dir) {
        (void)title;
        (void)dir;
        return false;
    }
};

// Declines everything: Cancel when offered, else No, else Abort, else the first button;
// input queries are cancelled. Pumping does nothing.
class HeadlessDialogs : public Dialogs {
public:
    TModalResult MessageDlg(const std::string& text, const std::string& caption,
                            TMsgDlgButtons buttons, TMsgDlgType type) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
    void ProcessMessages() override {}
};

// The dialogs every portable routine uses; the program's entry or a test installs them.
Dialogs& Dlg();
void SetDialogs(Dialogs* dialogs);

// The real dialogs on Windows, headless ones elsewhere.
std::unique_ptr<Dialogs> MakeDefaultDialogs();

}  // namespace zov::ui
