#include "tests/support/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace zov::test {
namespace {
std::string Printable(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}
}  // namespace

ScriptedDialogs::ScriptedDialogs() { ui::SetDialogs(this); }

ScriptedDialogs::~ScriptedDialogs() {
    ui::SetDialogs(nullptr);
    for (const Prompt& p : script_)
        ADD_FAILURE() << "expected prompt never shown: \"" << Printable(p.text) << "\" ("
                      << p.caption << ")";
}

ScriptedDialogs& ScriptedDialogs::ExpectMessage(std::string text, std::string caption,
                                                ui::TMsgDlgType type, ui::TMsgDlgButtons buttons,
                                                ui::TModalResult answer,
                                                std::function<void()> whileShown) {
    Prompt p;
    p.text = std::move(text);
    p.caption = std::move(caption);
    p.type = type;
    p.buttons = buttons;
    p.answer = answer;
    p.whileShown = std::move(whileShown);
    script_.push_back(std::move(p));
    return *this;
}

ScriptedDialogs& ScriptedDialogs::ExpectInput(std::string caption, std::string prompt,
                                              std::string initial,
                                              std::optional<std::string> typed) {
    Prompt p;
    p.input = true;
    p.text = std::move(prompt);
    p.caption = std::move(caption);
    p.initial = std::move(initial);
    p.typed = std::move(typed);
    script_.push_back(std::move(p));
    return *this;
}

ui::TModalResult ScriptedDialogs::MessageDlg(const std::string& text, const std::string& caption,
                                             ui::TMsgDlgButtons buttons, ui::TMsgDlgType type) {
    const std::string shown = "message box \"" + Printable(text) + "\" (" + caption + ", " +
                              ui::ButtonsText(buttons) + ")";
    if (script_.empty() || script_.front().input) {
        ADD_FAILURE() << "unexpected " << shown;
        return ui::HeadlessDialogs().MessageDlg(text, caption, buttons, type);
    }
    Prompt p = std::move(script_.front());
    script_.pop_front();
    const bool same = p.text == text && p.caption == caption && p.buttons == buttons && p.type == type;
    if (!same) {
        ADD_FAILURE() << "expected message box \"" << Printable(p.text) << "\" (" << p.caption
                      << ", " << ui::ButtonsText(p.buttons) << ", type "
                      << static_cast<int>(p.type) << ") but got " << shown << ", type "
                      << static_cast<int>(type);
        return ui::HeadlessDialogs().MessageDlg(text, caption, buttons, type);
    }
    if (p.whileShown) p.whileShown();
    return p.answer;
}

bool ScriptedDialogs::InputQuery(const std::string& caption, const std::string& prompt,
                                 std::string& value) {
    const std::string shown = "input query \"" + prompt + "\" (" + caption + ") showing \"" + value + "\"";
    if (script_.empty() || !script_.front().input) {
        ADD_FAILURE() << "unexpected " << shown;
        return false;
    }
    Prompt p = std::move(script_.front());
    script_.pop_front();
    if (p.text != prompt || p.caption != caption || p.initial != value) {
        ADD_FAILURE() << "expected input query \"" << p.text << "\" (" << p.caption
                      << ") showing \"" << p.initial << "\" but got " << shown;
        return false;
    }
    if (!p.typed) return false;
    value = *p.typed;
    return true;
}

void ScriptedDialogs::ProcessMessages() {
    ++pumps_;
    if (OnPump) OnPump();
}

}  // namespace zov::test
