#include "ui/application.h"

#include <algorithm>

#include "ui/backend.h"
#include "ui/form.h"
#include "ui/headless.h"
#include "ui/screen.h"

namespace zov::ui {
namespace {
TApplication* current = nullptr;
}  // namespace

TScreen& Screen() {
    static TScreen screen;
    return screen;
}

TApplication::TApplication(std::unique_ptr<TBackend> backend) : backend_(std::move(backend)) {
    if (!backend_) {
        auto headless = std::make_unique<THeadlessBackend>();
        headless_ = headless.get();
        backend_ = std::move(headless);
    }
    previous_ = current;
    current = this;
}

TApplication::~TApplication() {
    while (!forms_.empty()) forms_.pop_back();  // newest first; the main form last
    current = previous_;
}

std::string TApplication::ParamStr(int index) const {
    if (index < 1 || index > ParamCount()) return {};
    return Params[static_cast<size_t>(index - 1)];
}

void TApplication::AddForm(std::unique_ptr<TForm> form) {
    if (!mainForm_) mainForm_ = form.get();
    forms_.push_back(std::move(form));
}

void TApplication::DestroyForm(TForm* form) {
    auto it = std::find_if(forms_.begin(), forms_.end(),
                           [form](const std::unique_ptr<TForm>& f) { return f.get() == form; });
    if (it == forms_.end()) return;
    if (mainForm_ == form) mainForm_ = nullptr;
    std::unique_ptr<TForm> gone = std::move(*it);
    forms_.erase(it);
}

void TApplication::Run() {
    if (!mainForm_) return;
    mainForm_->Show();
    while (!terminated_) HandleMessage();
}

void TApplication::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    backend_->Terminate();
}

void TApplication::HandleMessage() { backend_->HandleMessage(); }

void TApplication::ProcessMessages() {
    if (!backend_->ProcessMessages()) Dlg().ProcessMessages();
}

void TApplication::ShowException(const std::exception& e) {
    std::string text = e.what();
    if (!text.empty() && text.back() != '.') text += '.';
    Dlg().MessageDlg(text, Title, mbOK, TMsgDlgType::mtError);
}

void TApplication::HandleException(const std::exception& e) {
    if (OnException)
        OnException(e);
    else
        ShowException(e);
}

TApplication& App() {
    if (!current) {
        static TApplication fallback;  // installs itself as current
    }
    return *current;
}

TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    if (App().Terminated()) return mrNone;
    const char* caption = nullptr;
    switch (type) {
        case TMsgDlgType::mtWarning: caption = "Warning"; break;
        case TMsgDlgType::mtError: caption = "Error"; break;
        case TMsgDlgType::mtInformation: caption = "Information"; break;
        case TMsgDlgType::mtConfirmation: caption = "Confirm"; break;
        case TMsgDlgType::mtCustom: break;
    }
    return Dlg().MessageDlg(text, caption ? std::string(caption) : App().Title, buttons, type);
}

void ShowMessage(const std::string& text) { MessageDlg(text, TMsgDlgType::mtCustom, mbOK); }

}  // namespace zov::ui
