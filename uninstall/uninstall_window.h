#pragma once
// The small window that shows the uninstall going on: what is being removed and a bar.
#include <string>

#include "install/wizard/install_engine.h"
#include "ui/form.h"
#include "ui/labels.h"
#include "ui/progress.h"

namespace zov {

class TUninstallWindow : public ui::TForm, public TInstallProgress {
public:
    TUninstallWindow();

    ui::TLabel StatusLabel{this};
    ui::TProgressBar Bar{this};

    void Begin() override;
    void SetRange(int maximum) override;
    void Advance() override;
    void Status(const std::string& text) override;
    void Pump() override;
};

}  // namespace zov
