#pragma once
// What an install-builder wants to know about an install.cfg before shipping it.
#include <string>
#include <vector>

#include "install/setup_config.h"

namespace zov::zovpack {

// The upper-cased directory tag at the start of a path ("<INSTALLDIR>\x.exe" gives
// "<INSTALLDIR>"), from its first "<" to its last ">"; empty when it has none.
std::string LeadingTag(const std::string& path);

std::vector<std::string> CheckSettings(const TSetupSettings& settings);

// The settings as `zovpack cfg` prints them: one member per field, then the screen's look.
std::string SettingsJson(const TSetupSettings& settings, const TScreenLook& look);

}  // namespace zov::zovpack
