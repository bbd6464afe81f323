#pragma once
// The unattended setup (/S): the same start-up, expansion, install and clean-up as the
// windows run, with no window shown and nothing asked. Each question takes its default
// button, a missing segment fails the run, the licence counts as accepted and the
// shortcuts are those the wizard offers checked.
#include "install/setup_switches.h"
#include "install/wizard/install_engine.h"
#include "ui/dialogs.h"

namespace zov {

// Answers every question with its default button and logs it: Yes where offered, else
// Cancel, else OK. Input queries are cancelled.
class TUnattendedDialogs : public ui::Dialogs {
public:
    explicit TUnattendedDialogs(TInstallLog* log) : log_(log) {}
    ui::TModalResult MessageDlg(const std::string& text, const std::string& caption, ui::TMsgDlgButtons buttons,
                                ui::TMsgDlgType type) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    void ProcessMessages() override {}

private:
    TInstallLog* log_;
};

// Runs the whole setup from the current directory (or the switches' setup directory);
// returns the exit code. Needs an application (a headless one will do) for its timers-free
// message pumping.
int RunUnattendedSetup(const TSetupSwitches& switches, TInstallLog* log);

}  // namespace zov
