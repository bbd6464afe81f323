#pragma once
// The setup's questions for tests that script their boxes: the overwrite question and the
// confirmations go to the scripted dialogs (ui::Dlg), a failure of one file, link or count
// is passed over (as the unattended setup does) unless `askFailures` puts it to the script,
// and no disk is ever there.
#include "install/setup_prompts.h"
#include "ui/dialogs.h"

namespace zov::test {

class TTestPrompts : public TSetupPrompts {
public:
    explicit TTestPrompts(bool askFailures = false) : askFailures_(askFailures) {}

    bool Overwrite(const std::string& name) override {
        return ui::Dlg().MessageDlg("File Already Exists (" + name + "). Overwrite?", "Confirm", ui::mbYes | ui::mbNo,
                                    ui::TMsgDlgType::mtConfirmation) == ui::mrYes;
    }
    TFailureChoice OnFailure(const std::string& what, const sys::Failure& failure) override {
        if (!askFailures_) return TFailureChoice::Ignore;
        switch (ui::Dlg().MessageDlg(what + "\r\r" + failure.Describe(), "Error",
                                     ui::mbAbort | ui::mbRetry | ui::mbIgnore, ui::TMsgDlgType::mtError)) {
            case ui::mrRetry: return TFailureChoice::Retry;
            case ui::mrIgnore: return TFailureChoice::Ignore;
            default: return TFailureChoice::Abort;
        }
    }
    bool Confirm(const std::string& text, const std::string& caption) override {
        return ui::Dlg().MessageDlg(text, caption, ui::mbYes | ui::mbNo | ui::mbDefaultNo,
                                    ui::TMsgDlgType::mtConfirmation) == ui::mrYes;
    }
    void Message(const std::string& text, const std::string& caption, TMessageKind) override {
        ui::Dlg().MessageDlg(text, caption, ui::mbOK, ui::TMsgDlgType::mtInformation);
    }
    bool InsertDisk(uint16_t, const std::string&, std::string&) override { return false; }
    bool RetryDisk(uint16_t, const std::string&) override { return false; }
    void Pump() override { ui::Dlg().ProcessMessages(); }

private:
    bool askFailures_;
};

}  // namespace zov::test
