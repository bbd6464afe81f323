#include "install/setup_config.h"

#include <cctype>

#include "sys/decimal.h"
#include "sys/paths.h"
#include "sys/system.h"

namespace zov {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The profile functions of one file, with the reader's buffer sizes.
class ConfigFile {
public:
    explicit ConfigFile(const std::string& path) : path_(path), os_(sys::Sys()) {}

    std::string String(const std::string& section, const std::string& key,
                       const std::string& def) {
        return os_.GetProfileString(path_, section, key, def, kConfigValueBuffer);
    }
    int32_t Integer(const std::string& section, const std::string& key, int32_t def) {
        const std::string text = String(section, key, "");
        if (text.empty()) return def;
        return ParseConfigInteger(text).value_or(def);
    }
    bool Bool(const std::string& section, const std::string& key, bool def) {
        return Integer(section, key, def ? 1 : 0) != 0;
    }
    // Every key name of the section: the buffer grows until the names fit, since the
    // profile functions cut a list that does not.
    std::vector<std::string> KeyNames(const std::string& section) {
        for (uint32_t size = kConfigKeyNameBuffer;; size *= 2) {
            std::vector<std::string> names = os_.GetProfileKeyNames(path_, section, size);
            size_t used = 1;
            for (const std::string& name : names) used += name.size() + 1;
            if (used + 1 < size || size >= kConfigKeyNameBufferLimit) return names;
        }
    }
    std::vector<std::string> Values(const std::string& section) {
        std::vector<std::string> values;
        for (const std::string& key : KeyNames(section)) values.push_back(String(section, key, ""));
        return values;
    }

private:
    std::string path_;
    sys::System& os_;
};

void ReadHeader(ConfigFile& cfg, const std::string& prefix, THeaderLook& look) {
    const std::string section = "Setup - Main";
    look.Text = cfg.String(section, prefix, look.Text);
    look.FontName = cfg.String(section, prefix + " Font Name", look.FontName);
    look.FontSize = cfg.Integer(section, prefix + " Font Size", look.FontSize);
    look.FontColor = cfg.Integer(section, prefix + " Font Color", look.FontColor);
    look.ShadowColor = cfg.Integer(section, prefix + " Font Shadow", look.ShadowColor);
}

}  // namespace

std::optional<int32_t> ParseConfigInteger(const std::string& input) {
    std::string text = input;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text = "$" + text.substr(2);
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size()) return std::nullopt;
    if (text[i] == '$') {
        // Hexadecimal holds a 32-bit pattern: $FFFFFFFF is -1.
        ++i;
        if (i >= text.size() || text.size() - i > 8) return std::nullopt;
        uint32_t value = 0;
        for (; i < text.size(); ++i) {
            const int d = HexDigit(text[i]);
            if (d < 0) return std::nullopt;
            value = value * 16 + static_cast<uint32_t>(d);
        }
        if (negative) value = 0u - value;
        return static_cast<int32_t>(value);
    }
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{2147483648}) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
    return static_cast<int32_t>(value);
}

bool LaunchAvailable(const TSetupSettings& settings) {
    return !settings.LaunchCommand.empty() &&
           UpperCase(settings.LaunchCommand).find("SETUP.") == std::string::npos;
}

void ReadSetupConfig(const std::string& cfgPath, TSetupSettings& s, TScreenLook& look) {
    ConfigFile cfg(cfgPath);
    const std::string main = "Setup - Main";

    s.InstallDisks = cfg.Integer(main, "Install Disks", 0);
    s.InstallDir = cfg.String(main, "Install Dir", "");
    s.LaunchCommand = cfg.String(main, "Launch", "");
    s.ProgramFolder = cfg.String(main, "Folder", "Accessories");
    s.AddToProgramFiles = cfg.Bool(main, "Add to Program Files", false);
    s.ShowWarningScreen = cfg.Bool(main, "Show Warning Screen", true);
    s.ShowReboot = cfg.Bool(main, "Show Re-Boot", true);
    s.WorkStationPrompt = cfg.Bool(main, "Work Station Prompt", false);
    s.BitmapFile = cfg.String(main, "Bitmap File", "");
    s.AlignCenter = cfg.Bool(main, "Align Center", false);
    s.AlignLeft = cfg.Bool(main, "Align Left", true);
    s.AlignRight = cfg.Bool(main, "Align Right", false);

    look.DitherFrom = cfg.Integer(main, "Dither From", look.DitherFrom);
    look.DitherTo = cfg.Integer(main, "Dither To", look.DitherTo);
    ReadHeader(cfg, "Header", look.Header);
    ReadHeader(cfg, "Header2", look.Header2);

    s.Directories = cfg.Values("Directories");

    s.Files.clear();
    const std::vector<std::string> files = cfg.Values("Files");
    for (size_t n = 0; n < files.size(); ++n) {
        // The overwrite mark goes by position, whatever the entry's key is called.
        const bool ask = cfg.Bool("Files - OverWrite", "File #" + DecimalText(n), false);
        s.Files.push_back(files[n] + (ask ? "~X" : "~"));
    }

    s.Shortcuts = cfg.Values("Desktop");
    s.IniEntries = cfg.Values("INI - Setup");
    s.WorkStationFiles = cfg.Values("WorkStation");
    s.AutoexecLines = cfg.KeyNames("AUTOEXEC.BAT");
}

}  // namespace zov
