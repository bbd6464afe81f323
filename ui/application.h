#pragma once
// The application object: title, command line, the forms it owns, the message loop, the
// report of uncaught errors, and the message boxes the stages show.
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "sys/event.h"
#include "ui/backend.h"
#include "ui/dialogs.h"

namespace zov::ui {

class TForm;
class THeadlessBackend;

class TApplication {
public:
    // Installs itself as the application; without a backend it runs headless.
    explicit TApplication(std::unique_ptr<TBackend> backend = nullptr);
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    std::string Title;
    // The command-line parameters after the program's name.
    std::vector<std::string> Params;
    // The program's own full path ("A:\install.exe"); empty when not known.
    std::string ExeName;
    int ParamCount() const { return static_cast<int>(Params.size()); }
    // Parameter `index` counted from 1; empty when there is none.
    std::string ParamStr(int index) const;

    // Creates a form owned by the application; the first one is the main form.
    template <class T>
    T* CreateForm() {
        auto form = std::make_unique<T>();
        T* raw = form.get();
        AddForm(std::move(form));
        return raw;
    }
    void DestroyForm(TForm* form);
    TForm* MainForm() const { return mainForm_; }

    // Shows the main form and handles events until the application terminates (closing
    // the main form terminates it).
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    void HandleMessage();
    // Lets pending window messages run (painting, clicks), then returns.
    void ProcessMessages();

    // The report of an uncaught error: a message box with the error's text.
    void ShowException(const std::exception& e);
    void HandleException(const std::exception& e);
    TEvent<void(const std::exception&)> OnException;  // replaces the report when set
    // Runs an event handler; what it raises is reported, not passed on.
    template <class F>
    void Dispatch(F&& handler) {
        try {
            handler();
        } catch (const std::exception& e) {
            HandleException(e);
        }
    }

    TBackend& Backend() { return *backend_; }
    // The headless backend when the application runs without a window system, else null.
    THeadlessBackend* Headless() { return headless_; }

private:
    void AddForm(std::unique_ptr<TForm> form);

    std::unique_ptr<TBackend> backend_;
    THeadlessBackend* headless_ = nullptr;
    std::vector<std::unique_ptr<TForm>> forms_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    TApplication* previous_ = nullptr;
};

TApplication& App();

// A message box captioned by its kind ("Warning", "Error", "Information", "Confirm"; the
// application's title for mtCustom). Once the application is terminating no box is shown
// and mrNone comes back, so an ending run never waits for the user.
TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);
// A plain box with an OK button, captioned by the application's title.
void ShowMessage(const std::string& text);

}  // namespace zov::ui
