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

}  // namespace zov
