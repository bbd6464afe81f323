#include "install/setup_config.h"

#include <cctype>

#include "install/cfg_entries.h"
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

constexpr const char* kMain = "Setup - Main";

// The profile functions of one file, with the reader's buffer sizes. Names come as C strings
// and become strings here, once, rather than at each of the reader's many calls.
class ConfigFile {
public:
    explicit ConfigFile(const std::string& path) : path_(path), os_(sys::Sys()) {}

    std::string String(const char* section, const char* key, const std::string& def) {
        return os_.GetProfileString(path_, section, key, def, kConfigValueBuffer);
    }
    int32_t Integer(const char* key, int32_t def, const char* section = kMain) {
        const std::string text = String(section, key, std::string());
        if (text.empty()) return def;
        return ParseConfigInteger(text).value_or(def);
    }
    bool Bool(const char* key, bool def) { return Integer(key, def ? 1 : 0) != 0; }
    // Every key name of the section: the buffer grows until the names fit, since the
    // profile functions cut a list that does not.
    std::vector<std::string> KeyNames(const char* section) {
        for (uint32_t size = kConfigKeyNameBuffer;; size *= 2) {
            std::vector<std::string> names = os_.GetProfileKeyNames(path_, section, size);
            size_t used = 1;
            for (const std::string& name : names) used += name.size() + 1;
            if (used + 1 < size || size >= kConfigKeyNameBufferLimit) return names;
        }
    }
    std::vector<std::string> Values(const char* section) {
        std::vector<std::string> values;
        for (const std::string& key : KeyNames(section)) values.push_back(String(section, key.c_str(), std::string()));
        return values;
    }

private:
    std::string path_;
    sys::System& os_;
};

void ReadHeader(ConfigFile& cfg, const std::string& prefix, THeaderLook& look) {
    look.Text = cfg.String(kMain, prefix.c_str(), look.Text);
    look.FontName = cfg.String(kMain, (prefix + " Font Name").c_str(), look.FontName);
    look.FontSize = cfg.Integer((prefix + " Font Size").c_str(), look.FontSize);
    look.FontColor = cfg.Integer((prefix + " Font Color").c_str(), look.FontColor);
    look.ShadowColor = cfg.Integer((prefix + " Font Shadow").c_str(), look.ShadowColor);
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
    const std::string none;

    s.InstallDisks = cfg.Integer("Install Disks", 0);
    s.InstallDir = cfg.String(kMain, "Install Dir", none);
    s.LaunchCommand = cfg.String(kMain, "Launch", none);
    s.ProgramFolder = cfg.String(kMain, "Folder", "Accessories");
    s.AddToProgramFiles = cfg.Bool("Add to Program Files", false);
    s.ShowWarningScreen = cfg.Bool("Show Warning Screen", true);
    s.ShowReboot = cfg.Bool("Show Re-Boot", true);
    s.WorkStationPrompt = cfg.Bool("Work Station Prompt", false);
    s.BitmapFile = cfg.String(kMain, "Bitmap File", none);
    s.AlignCenter = cfg.Bool("Align Center", false);
    s.AlignLeft = cfg.Bool("Align Left", true);
    s.AlignRight = cfg.Bool("Align Right", false);

    s.Publisher = cfg.String(kMain, "Publisher", none);
    s.Version = cfg.String(kMain, "Version", none);
    s.AboutUrl = cfg.String(kMain, "About URL", none);
    s.ProductIcon = cfg.String(kMain, "Icon", none);

    look.DitherFrom = cfg.Integer("Dither From", look.DitherFrom);
    look.DitherTo = cfg.Integer("Dither To", look.DitherTo);
    ReadHeader(cfg, "Header", look.Header);
    ReadHeader(cfg, "Header2", look.Header2);
    const bool titled = !cfg.String(kMain, "Header", none).empty();

    s.Directories = cfg.Values("Directories");

    s.Files.clear();
    const std::vector<std::string> files = cfg.Values("Files");
    for (size_t n = 0; n < files.size(); ++n) {
        // The overwrite mark goes by position, whatever the entry's key is called.
        const bool ask = cfg.Integer(("File #" + DecimalText(n)).c_str(), 0, "Files - OverWrite") != 0;
        s.Files.push_back(files[n] + (ask ? "~X" : "~"));
    }

    s.Shortcuts = cfg.Values("Desktop");
    s.IniEntries = cfg.Values("INI - Setup");
    s.WorkStationFiles = cfg.Values("WorkStation");
    s.AutoexecLines = cfg.KeyNames("AUTOEXEC.BAT");
    if (!titled) look.Header.Text = DerivedTitle(TScreenLook{}.Header.Text, s);
}

std::string DerivedTitle(const std::string& builtIn, const TSetupSettings& settings) {
    std::string name = settings.InstallDir;
    if (name.empty() && !settings.Files.empty()) name = ParseFileEntry(settings.Files.front()).Name();
    // A "\" would make the registration a key below another one.
    for (char& c : name)
        if (c == '\\') c = '/';
    return name.empty() ? builtIn : builtIn + " (" + name + ")";
}

}  // namespace zov
