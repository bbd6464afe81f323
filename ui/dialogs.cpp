#include "ui/dialogs.h"

namespace zov::ui {
namespace {
Dialogs* current = nullptr;
std::unique_ptr<Dialogs> fallback;

// Button order as boxes show them, with their answers and names.
struct ButtonInfo {
    TMsgDlgButtons button;
    TModalResult result;
    const char* name;
};
constexpr ButtonInfo kButtons[] = {
    {mbYes, mrYes, "Yes"},       {mbNo, mrNo, "No"},          {mbOK, mrOk, "OK"},
    {mbCancel, mrCancel, "Cancel"}, {mbAbort, mrAbort, "Abort"}, {mbRetry, mrRetry, "Retry"},
    {mbIgnore, mrIgnore, "Ignore"},
};
}  // namespace

TModalResult ResultOf(TMsgDlgButtons button) {
    for (const ButtonInfo& b : kButtons)
        if (b.button == button) return b.result;
    return mrNone;
}

std::string ButtonsText(TMsgDlgButtons buttons) {
    std::string text;
    for (const ButtonInfo& b : kButtons) {
        if (!(buttons & b.button)) continue;
        if (!text.empty()) text += '+';
        text += b.name;
    }
    return text;
}

TModalResult HeadlessDialogs::MessageDlg(const std::string&, const std::string&,
                                         TMsgDlgButtons buttons, TMsgDlgType) {
    for (TMsgDlgButtons declining : {mbCancel, mbNo, mbAbort})
        if (buttons & declining) return ResultOf(declining);
    for (const ButtonInfo& b : kButtons)
        if (buttons & b.button) return b.result;
    return mrNone;
}

bool HeadlessDialogs::InputQuery(const std::string&, const std::string&, std::string&) {
    return false;
}

Dialogs& Dlg() {
    if (current) return *current;
    if (!fallback) fallback = MakeDefaultDialogs();
    return *fallback;
}

void SetDialogs(Dialogs* dialogs) { current = dialogs; }

}  // namespace zov::ui
