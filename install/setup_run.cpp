#include "install/setup_run.h"

namespace zov {

TEndOffer EndOfferFor(const TSetupSettings& settings) {
    TEndOffer offer;
    offer.RebootShown = settings.ShowReboot;
    offer.LaunchOffered = LaunchAvailable(settings);
    offer.Preselected = offer.LaunchOffered ? TSetupEnd::Launch
                        : settings.ShowReboot ? TSetupEnd::Reboot
                                              : TSetupEnd::Return;
    offer.SkipWelcome = !settings.ShowWarningScreen;
    return offer;
}

int TSetupRun::ExitCode() const {
    // A cancel after a finished install changes nothing of what was installed.
    if (Report && !(Cancelled && Report->End == TInstallEnd::Completed)) return Report->ExitCode();
    return Cancelled || Failed ? 1 : 0;
}

}  // namespace zov
