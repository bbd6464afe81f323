#pragma once
// Dialogs for tests: a script of the prompts a test expects, in order, with the answers a
// user would give. Any prompt the script does not expect next fails the test and is
// declined; prompts left unshown at the end fail it too.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialogs.h"

namespace zov::test {

class ScriptedDialogs : public ui::Dialogs {
public:
    ScriptedDialogs();   // installs itself as the dialogs of the program
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // A message box; `whileShown` runs before the answer (the user mending things while
    // the box is up).
    ScriptedDialogs& ExpectMessage(std::string text, std::string caption, ui::TMsgDlgType type,
                                   ui::TMsgDlgButtons buttons, ui::TModalResult answer,
                                   std::function<void()> whileShown = {});
    // An input query that must show `initial`; `typed` answers OK with that text, no value
    // answers Cancel.
    ScriptedDialogs& ExpectInput(std::string caption, std::string prompt, std::string initial,
                                 std::optional<std::string> typed);

    ui::TModalResult MessageDlg(const std::string& text, const std::string& caption,
                                ui::TMsgDlgButtons buttons, ui::TMsgDlgType type) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
    void ProcessMessages() override;

    size_t Pending() const { return script_.size(); }
    int Pumps() const { return pumps_; }
    // Runs at every pump (a click arriving while messages are processed).
    std::function<void()> OnPump;
    // The folder picker's answer: the folder chosen; none for Cancel.
    std::optional<std::string> Picked;
    bool SelectDirectory(const std::string&, std::string& dir) override {
        if (Picked) dir = *Picked;
        return Picked.has_value();
    }

private:
    struct Prompt {
        bool input = false;
        std::string text;     // message text, or the query's prompt
        std::string caption;
        ui::TMsgDlgType type = ui::TMsgDlgType::mtCustom;
        ui::TMsgDlgButtons buttons = ui::mbOK;
        ui::TModalResult answer = ui::mrNone;
        std::string initial;
        std::optional<std::string> typed;
        std::function<void()> whileShown;
    };
    std::deque<Prompt> script_;
    int pumps_ = 0;
};

}  // namespace zov::test
