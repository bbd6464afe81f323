#pragma once
// install.cfg: the settings record and the reader that fills it through the Windows
// profile functions.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zov {

struct TSetupSettings {
    int32_t InstallDisks = 0;
    std::string SourceDir;
    std::string TempDir;
    std::string WindowsRoot;
    std::string LaunchCommand;
    std::string BitmapFile;
    std::string StartDir;
    std::vector<std::string> Directories;
    std::vector<std::string> Files;
    std::vector<std::string> Shortcuts;
    std::vector<std::string> IniEntries;
    std::vector<std::string> WorkStationFiles;
    std::vector<std::string> AutoexecLines;
    std::string ProgramFolder = "Accessories";
    std::string InstallDir;
    bool AddToProgramFiles = false;
    bool WorkStationPrompt = false;
    bool AlignCenter = false;
    bool AlignRight = false;
    bool AlignLeft = true;
    bool ShowWarningScreen = true;
    bool ShowReboot = true;
    // What Windows' list of programs shows of the product; empty when not given.
    std::string Publisher;
    std::string Version;
    std::string AboutUrl;
    std::string ProductIcon;  // a tagged path, optionally "," and the icon's index
};

// A colour: 0x00BBGGRR, or a system colour constant with the high bit set.
using TColor = int32_t;

// The look of one header label on the main screen.
struct THeaderLook {
    std::string Text;
    std::string FontName;
    int32_t FontSize = 0;  // points
    TColor FontColor = 0;
    TColor ShadowColor = 0;
};

// What the reader writes straight into the main screen's gradient and header labels. A new
// record holds the controls' design values, which are the defaults of the keys.
struct TScreenLook {
    TColor DitherFrom = 0xFF0000;  // blue
    TColor DitherTo = 0;           // black
    THeaderLook Header{"ZOV - Zovrand 32Bit", "Impact", 26, 0, 0xFFFFFF};
    THeaderLook Header2{"Setup will guide you through the installation.", "Times New Roman", 10, 0,
                        0xFFFFFF};
};

constexpr uint32_t kConfigValueBuffer = 1024;     // values: at most 1023 characters
constexpr uint32_t kConfigKeyNameBuffer = 8192;   // key names of one list section, at first
constexpr uint32_t kConfigKeyNameBufferLimit = 1u << 26;  // ... and at most

// Reads `cfgPath` into `settings` (lists emptied first) and `look`. A missing or unreadable
// file leaves every default; nothing is reported. Without a Header (or with an empty one) the
// title is ProductTitle's.
void ReadSetupConfig(const std::string& cfgPath, TSetupSettings& settings, TScreenLook& look);

// The title of a medium without a Header. The title names the product's registration, so two
// products must not share it: the built-in one followed by the Install Dir, or without one
// the first [Files] entry's name, both stable across installs of the same medium.
std::string DerivedTitle(const std::string& builtIn, const TSetupSettings& settings);

// Converts as the integer keys are read: signed decimal, "$" hexadecimal, or "0x"/"0X"
// followed by at least one digit. No value when the text does not convert.
std::optional<int32_t> ParseConfigInteger(const std::string& text);

// The launch option is offered when "Launch" is set and does not name a SETUP. program.
bool LaunchAvailable(const TSetupSettings& settings);

}  // namespace zov
