#pragma once
// The main screen TMainSetup: the application's main window, borderless and maximised over
// the desktop, painted with a gradient and titled with the setup's headers. It owns the
// run (the settings read from install.cfg among it), the timer that starts the stages and
// the restart component, and its show, timer and close handlers run the stages in order.
#include <string>

#include "install/setup_run.h"
#include "shell/WinReboot.h"
#include "ui/containers.h"
#include "ui/dialog_prompts.h"
#include "ui/form.h"
#include "ui/fountain.h"
#include "ui/labels.h"
#include "ui/pictures.h"
#include "ui/timer.h"

namespace zov {

class TMainSetup : public ui::TForm {
public:
    TMainSetup();
    ~TMainSetup() override;

    ui::TFountainFill MainScreen{this};
    ui::TShadowLabel Setup_Header{this};
    ui::TShadowLabel Setup_Header2{this};
    ui::TLabel Footer{this};
    ui::TPanel bitmapscreen{this};
    ui::TAnimatedImage Image3{&bitmapscreen};
    ui::TImage Image4{&bitmapscreen};
    ui::TTimer Timer1;
    TWinReboot WinReboot1;
    // The windows' questions: a missing disk is asked for as a floppy, then by the box.
    ui::TDialogPrompts Prompts{ui::TDialogPrompts::TDiskQuestion::Floppy};
    TSetupRun Run;

    // Start-up: paths, temporary directory, install.cfg, then the timer.
    void FormShow();
    // The footer and the second header follow the window's size.
    void FormResize();
    // The stage sequence: preparation window, then (unless cancelled) the wizard.
    void Timer1Timer();
    // Clean-up and the final message or the restart.
    void FormClose(ui::TCloseAction& action);
    // Deletes every file directly inside TempDir, then removes TempDir.
    void ClearTempDir();
    // Reads SourceDir + "install.cfg" into the run and applies its look to the screen.
    void ReadSetupConfig();

private:
    TScreenLook CurrentLook() const;
    void ApplyLook(const TScreenLook& look);
    void ApplySettings();
    bool startFailed_ = false;
};

// The main screen, while it exists.
inline TMainSetup* MainSetup = nullptr;

}  // namespace zov
