#include "uninstall/uninstall_window.h"

#include "ui/application.h"

namespace zov {

TUninstallWindow::TUninstallWindow() {
    SetCaption("Uninstall");
    BorderStyle = ui::TFormBorderStyle::bsDialog;
    BorderIcons = 0;  // the removal runs to its end
    Position = ui::TPosition::poScreenCenter;
    SetClientSize(320, 72);
    StatusLabel.SetBounds(12, 10, 296, 18);
    Bar.SetBounds(12, 38, 296, 20);
}

void TUninstallWindow::Begin() {
    Show();
    Pump();
}

void TUninstallWindow::SetRange(int maximum) { Bar.SetRange(0, maximum); }

void TUninstallWindow::Advance() { Bar.StepBy(1); }

void TUninstallWindow::Status(const std::string& text) { StatusLabel.SetCaption(text); }

void TUninstallWindow::Pump() { ui::App().ProcessMessages(); }

}  // namespace zov
