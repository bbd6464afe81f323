#include "tools/zovpack/cfg_lint.h"

#include <map>
#include <set>

#include "install/setup_config.h"
#include "sys/paths.h"
#include "tools/zovpack/tool_files.h"

namespace zov::zovpack {
namespace {

const char* const kMain = "SETUP - MAIN";

// The numeric keys of "Setup - Main" with the value the setup takes when theirs does not
// convert.
std::map<std::string, std::string> NumericDefaults() {
    const TSetupSettings s;
    const TScreenLook look;
    std::map<std::string, std::string> d = {
        {"INSTALL DISKS", std::to_string(s.InstallDisks)},
        {"ADD TO PROGRAM FILES", "0 (false)"},
        {"SHOW WARNING SCREEN", "1 (true)"},
        {"SHOW RE-BOOT", "1 (true)"},
        {"WORK STATION PROMPT", "0 (false)"},
        {"ALIGN CENTER", "0 (false)"},
        {"ALIGN LEFT", "1 (true)"},
        {"ALIGN RIGHT", "0 (false)"},
        {"DITHER FROM", std::to_string(look.DitherFrom)},
        {"DITHER TO", std::to_string(look.DitherTo)},
    };
    for (const auto* h : {&look.Header, &look.Header2}) {
        const std::string prefix = h == &look.Header ? "HEADER" : "HEADER2";
        d[prefix + " FONT SIZE"] = std::to_string(h->FontSize);
        d[prefix + " FONT COLOR"] = std::to_string(h->FontColor);
        d[prefix + " FONT SHADOW"] = std::to_string(h->ShadowColor);
    }
    return d;
}

const std::set<std::string>& TextKeys() {
    static const std::set<std::string> keys = {"INSTALL DIR", "LAUNCH", "FOLDER", "BITMAP FILE",
                                               "HEADER", "HEADER FONT NAME", "HEADER2",
                                               "HEADER2 FONT NAME"};
    return keys;
}

const std::set<std::string>& KnownSections() {
    static const std::set<std::string> sections = {
        kMain, "DIRECTORIES", "FILES", "FILES - OVERWRITE", "DESKTOP", "INI - SETUP",
        "WORKSTATION", "AUTOEXEC.BAT", "DISK CHECK"};
    return sections;
}

// Sections whose entries are read one value per key, in file order.
bool IsValueList(const std::string& section) {
    return section == "DIRECTORIES" || section == "FILES" || section == "DESKTOP" || section == "INI - SETUP" ||
           section == "WORKSTATION";
}

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

}  // namespace

std::vector<std::string> LintConfigText(const std::string& bytes) {
    std::vector<std::string> w;
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        return {"the file is UTF-16 text; the setup reads ANSI text only, finds no setting and "
                "takes every default"};
    if (bytes.find('\0') != std::string::npos)
        return {"the file holds NUL bytes: it is binary or UTF-16 text; the setup reads ANSI "
                "text only and may take every default"};
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
        w.push_back("the file starts with a UTF-8 byte order mark; the setup takes it as part of "
                    "the first line and does not see the section that line opens");

    const auto defaults = NumericDefaults();
    std::set<std::string> seen;
    std::set<std::string> keys;  // upper-cased, of the current list section
    std::string section;   // upper-cased; empty before the first header
    std::string sectionName;
    bool ignored = false;  // a repeated section, which the setup does not read
    int lineNo = 0;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string text = Trim(line);
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        if (text.empty() || text[0] == ';') continue;
        if (text[0] == '[') {
            const size_t close = text.find(']');
            const std::string name = Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            section = UpperCase(name);
            sectionName = name;
            ignored = !seen.insert(section).second;
            keys.clear();
            if (ignored)
                w.push_back(where + "a second [" + Printable(name) +
                            "] section; the setup reads only the first and ignores this one");
            else if (!KnownSections().count(section))
                w.push_back(where + "unknown section [" + Printable(name) + "]; the setup ignores it");
            continue;
        }
        if (!ignored && IsValueList(section)) {
            const size_t eq = text.find('=');
            if (eq == std::string::npos) {
                w.push_back(where + "\"" + Printable(text) + "\" in [" + Printable(sectionName) +
                            "] has no \"=\"; the setup does not read it as an entry");
                continue;
            }
            const std::string keyText = Trim(text.substr(0, eq));
            if (!keys.insert(UpperCase(keyText)).second)
                w.push_back(where + "key \"" + Printable(keyText) + "\" is repeated in [" + Printable(sectionName) +
                            "]; the setup reads the first one's value for both");
            continue;
        }
        if (ignored || section != kMain) {
            if (section == "FILES - OVERWRITE" && !ignored) {
                const std::string key = UpperCase(Trim(text.substr(0, text.find('='))));
                const bool numbered = key.rfind("FILE #", 0) == 0 && key.size() > 6 &&
                                      key.find_first_not_of("0123456789", 6) == std::string::npos;
                if (!numbered)
                    w.push_back(where + "unknown key \"" + Printable(Trim(text.substr(0, text.find('=')))) +
                                "\" in [Files - OverWrite]; the setup asks only for \"File #\" and a number");
            }
            continue;
        }
        const size_t eq = text.find('=');
        const std::string keyText = Trim(text.substr(0, eq));
        const std::string key = UpperCase(keyText);
        const std::string value = eq == std::string::npos ? "" : Trim(text.substr(eq + 1));
        const auto numeric = defaults.find(key);
        if (numeric != defaults.end()) {
            if (!value.empty() && !ParseConfigInteger(value))
                w.push_back(where + "\"" + Printable(keyText) + "=" + Printable(value) +
                            "\" is not a 32-bit number; the setup uses the default, " + numeric->second);
        } else if (!TextKeys().count(key)) {
            w.push_back(where + "unknown key \"" + Printable(keyText) +
                        "\" in [Setup - Main]; the setup ignores it");
        }
    }
    return w;
}

}  // namespace zov::zovpack
