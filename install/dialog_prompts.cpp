#include "install/dialog_prompts.h"

#include "ui/dialogs.h"

namespace zov {

bool TDialogPrompts::Overwrite(const std::string& name) {
    return ui::Dlg().MessageDlg("File Already Exists (" + name + "). Overwrite?", "Confirm", ui::mbYes | ui::mbNo,
                                ui::TMsgDlgType::mtConfirmation) == ui::mrYes;
}

TFailureChoice TDialogPrompts::OnFailure(const std::string& what, const sys::Failure& failure) {
    if (!askFailures_) return TFailureChoice::Ignore;
    switch (ui::Dlg().MessageDlg("Unable to install " + what + ":\r" + failure.text, "Error",
                                 ui::mbAbort | ui::mbRetry | ui::mbIgnore, ui::TMsgDlgType::mtError)) {
        case ui::mrRetry: return TFailureChoice::Retry;
        case ui::mrAbort: return TFailureChoice::Abort;
        default: return TFailureChoice::Ignore;
    }
}

bool TDialogPrompts::Confirm(const std::string& text, const std::string& caption) {
    return ui::Dlg().MessageDlg(text, caption, ui::mbYes | ui::mbNo | ui::mbDefaultNo,
                                ui::TMsgDlgType::mtConfirmation) == ui::mrYes;
}

void TDialogPrompts::Message(const std::string& text, const std::string& caption, TMessageKind kind) {
    const ui::TMsgDlgType type = kind == TMessageKind::Error     ? ui::TMsgDlgType::mtError
                                 : kind == TMessageKind::Warning ? ui::TMsgDlgType::mtWarning
                                                                 : ui::TMsgDlgType::mtInformation;
    ui::Dlg().MessageDlg(text, caption, ui::mbOK, type);
}

void TDialogPrompts::Pump() { ui::Dlg().ProcessMessages(); }

}  // namespace zov
