#pragma once
// One run of the setup as its windows share it: the settings read from install.cfg, what
// they offer for the end of the install, the user's choices and the end the wizard left
// chosen. The main screen owns it and writes the settings and the offer; the wizard reads
// them and writes the choices; the main screen's close acts on the end choice. The windows
// meet here instead of in one another's controls.
#include "install/setup_config.h"
#include "install/setup_switches.h"
#include "install/wizard/install_engine.h"

namespace zov {

// What the ready page offers for after the install, as install.cfg sets it up.
struct TEndOffer {
    bool RebootShown = true;                     // the restart choice is there
    bool LaunchOffered = false;                  // the launch choice can be chosen
    TSetupEnd Preselected = TSetupEnd::Reboot;
    bool SkipWelcome = false;                    // the wizard opens past its welcome page
};

// Launch when there is a program to launch; otherwise restart when the restart choice is
// shown, else return to Windows.
TEndOffer EndOfferFor(const TSetupSettings& settings);

struct TSetupRun {
    TSetupSettings Settings;
    TEndOffer Offer;
    TInstallChoices Choices;            // as the wizard's pages held them at Install
    TSetupEnd End = TSetupEnd::Return;  // the wizard's end choice when it closed
};

}  // namespace zov
