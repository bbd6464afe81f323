#pragma once
// What `zovpack cfg` prints about an install.cfg: the settings as the setup reads them.
// The checks of its lists are the setup's own (install/cfg_entries.h).
#include <string>

#include "install/setup_config.h"

namespace zov::zovpack {

// The settings as `zovpack cfg` prints them: one member per field, then the screen's look.
std::string SettingsJson(const TSetupSettings& settings, const TScreenLook& look);

}  // namespace zov::zovpack
