#include "tools/zovpack/cfg_lint.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "install/setup_config.h"
#include "sys/paths.h"
#include "tools/zovpack/cfg_checks.h"
#include "tools/zovpack/nearest_name.h"

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

// Every key of "Setup - Main", as its name is written.
const std::vector<std::string>& MainKeys() {
    static const std::vector<std::string> keys = {
        "Install Disks", "Install Dir", "Launch", "Folder", "Add to Program Files", "Show Warning Screen",
        "Show Re-Boot", "Work Station Prompt", "Bitmap File", "Align Center", "Align Left", "Align Right",
        "Dither From", "Dither To", "Header", "Header Font Name", "Header Font Size", "Header Font Color",
        "Header Font Shadow", "Header2", "Header2 Font Name", "Header2 Font Size", "Header2 Font Color",
        "Header2 Font Shadow", "Publisher", "Version", "About URL", "Icon"};
    return keys;
}

bool Listed(const std::vector<std::string>& names, const std::string& upper) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return UpperCase(n) == upper; });
}

// Sections whose entries are read one value per key, in file order.
bool IsValueList(const std::string& section) {
    return section == "DIRECTORIES" || section == "FILES" || section == "DESKTOP" || section == "INI - SETUP" ||
           section == "WORKSTATION";
}

// The length of the UTF-8 sequence of two or more bytes at `at`; 0 when there is none.
size_t Utf8Sequence(const std::string& s, size_t at) {
    const auto c = static_cast<unsigned char>(s[at]);
    const size_t length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (length == 0 || at + length > s.size()) return 0;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(s[at + i]) & 0xC0) != 0x80) return 0;
    return length;
}

// Text of the lines the setup reads (not comments, not the builder's own section) that is
// UTF-8, or holds bytes that are no letter of Windows-1252.
void CheckCodePage(const TCfgText& text, TCfgFindings& findings) {
    bool inDiskCheck = false;
    for (size_t n = 0; n < text.Lines.size(); ++n) {
        // The byte order mark is an error of its own.
        const std::string line = n == 0 && text.Lines[0].rfind("\xEF\xBB\xBF", 0) == 0 ? text.Lines[0].substr(3) : text.Lines[n];
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == ';') continue;
        if (line[first] == '[') inDiskCheck = UpperCase(line).find("[DISK CHECK]") == first;
        if (inDiskCheck) continue;
        const int number = static_cast<int>(n) + 1;
        bool utf8 = false, undefined = false;
        for (size_t i = 0; i < line.size(); ++i) {
            const auto c = static_cast<unsigned char>(line[i]);
            if (const size_t length = Utf8Sequence(line, i)) {
                utf8 = true;
                i += length - 1;
            } else if (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) {
                undefined = true;
            }
        }
        if (utf8)
            findings.Error(number, Quoted(line) + " is UTF-8 text; the setup reads install.cfg in the system's "
                                   "ANSI code page and shows each such letter as two or three others: save the "
                                   "file as ANSI (Windows-1252 on Western systems)");
        else if (undefined)
            findings.Warning(number, Quoted(line) + " holds bytes that are no letter of Windows-1252; they read "
                                     "right only on systems whose ANSI code page has them");
    }
}

// Why the bytes are no text the setup can read at all; "" when they are.
std::string UnreadableText(const std::string& bytes) {
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        return "the file is UTF-16 text; the setup reads ANSI text only, finds no setting and takes every "
               "default: save it as ANSI (Windows-1252 on Western systems)";
    if (bytes.find('\0') != std::string::npos)
        return "the file holds NUL bytes: it is binary or UTF-16 text; the setup reads ANSI text only and may "
               "take every default: save it as ANSI";
    return "";
}

void CheckMainKey(const TCfgLine& line, const TCfgSection& main, TCfgFindings& findings) {
    static const std::map<std::string, std::string> defaults = NumericDefaults();
    const std::string key = UpperCase(line.Key);
    if (const auto numeric = defaults.find(key); numeric != defaults.end()) {
        if (line.HasEquals && !line.Value.empty() && !ParseConfigInteger(line.Value))
            findings.Warning(line.Number, Quoted(line.Key + "=" + line.Value) +
                                              " is not a 32-bit number; the setup uses the default, " + numeric->second);
        return;
    }
    if (Listed(MainKeys(), key)) return;
    const std::string near = NearestName(line.Key, MainKeys());
    const bool meant = !near.empty() && std::none_of(main.Lines.begin(), main.Lines.end(), [&](const TCfgLine& l) {
        return UpperCase(l.Key) == UpperCase(near);
    });
    if (meant)
        findings.Error(line.Number, "unknown key " + Quoted(line.Key) + " in [Setup - Main]; the setup ignores it: write " +
                                        Quoted(near));
    else
        findings.Warning(line.Number, "unknown key " + Quoted(line.Key) + " in [Setup - Main]; the setup ignores it" +
                                          (near.empty() ? "" : " (" + Quoted(near) + " is given)"));
}

void CheckListLines(const TCfgSection& section, TCfgFindings& findings) {
    std::map<std::string, int> first;  // upper-cased key, its line
    for (const TCfgLine& line : section.Lines) {
        if (!line.HasEquals) {
            findings.Error(line.Number, Quoted(line.Key) + " in [" + section.Name +
                                            "] has no \"=\", so the setup does not read it as an entry: write it as "
                                            "NAME=" + line.Key + ", with a NAME of its own");
            continue;
        }
        const auto [at, added] = first.emplace(UpperCase(line.Key), line.Number);
        if (!added)
            findings.Error(line.Number, "key " + Quoted(line.Key) + " is repeated in [" + section.Name +
                                            "] (first on line " + std::to_string(at->second) +
                                            "); the setup reads the first one's value for both: give each entry a "
                                            "name of its own");
    }
}

void CheckOverwriteLines(const TCfgText& text, const TCfgSection& section, TCfgFindings& findings) {
    const TCfgSection* files = text.Find("FILES");
    const size_t count = files ? files->Entries().size() : 0;
    for (const TCfgLine& line : section.Lines) {
        const std::string key = UpperCase(line.Key);
        const bool numbered = key.rfind("FILE #", 0) == 0 && key.size() > 6 && key.size() < 16 &&
                              key.find_first_not_of("0123456789", 6) == std::string::npos;
        if (!numbered) {
            findings.Warning(line.Number, "unknown key " + Quoted(line.Key) +
                                              " in [Files - OverWrite]; the setup asks only for \"File #\" and the "
                                              "entry's position in [Files], from 0");
            continue;
        }
        const unsigned long long n = std::stoull(key.substr(6));
        if (n >= count)
            findings.Error(line.Number, Quoted(line.Key) + " names position " + key.substr(6) + " of [Files], which has " +
                                            std::to_string(count) + (count == 1 ? " entry" : " entries") +
                                            (count ? " (File #0 to File #" + std::to_string(count - 1) + ")" : "") +
                                            ": positions count from 0");
    }
}

}  // namespace

std::string Quoted(const std::string& text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string quoted = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c > 0x7E) {
            quoted += "\\x";
            quoted += digits[c >> 4];
            quoted += digits[c & 15];
        } else {
            quoted += ch;
        }
    }
    return quoted + "\"";
}

const std::vector<std::string>& KnownSectionNames() {
    static const std::vector<std::string> sections = {
        "Setup - Main", "Directories", "Files", "Files - OverWrite", "Desktop", "INI - Setup",
        "WorkStation", "AUTOEXEC.BAT", "Disk Check"};
    return sections;
}

std::set<std::string> CheckConfigStructure(const TCfgText& text, TCfgFindings& findings) {
    std::set<std::string> misspelt;
    for (const TCfgSection& section : text.Sections) {
        if (section.Repeated) {
            findings.Error(section.Number, "a second [" + section.Name + "] section; the setup reads only the first (line " +
                                               std::to_string(text.Find(section.Upper)->Number) +
                                               ") and ignores this one: move its entries there");
            continue;
        }
        if (Listed(KnownSectionNames(), section.Upper)) {
            if (section.Upper == kMain)
                for (const TCfgLine& line : section.Lines) CheckMainKey(line, section, findings);
            else if (IsValueList(section.Upper))
                CheckListLines(section, findings);
            else if (section.Upper == "FILES - OVERWRITE")
                CheckOverwriteLines(text, section, findings);
            continue;
        }
        const std::string near = NearestName(section.Name, KnownSectionNames());
        if (!near.empty() && !text.Find(UpperCase(near))) {
            misspelt.insert(UpperCase(near));
            findings.Error(section.Number, "[" + section.Name + "] is not a section the setup reads, and its entries "
                                           "are not installed: write [" + near + "]");
        } else {
            findings.Warning(section.Number, "unknown section [" + section.Name + "]; the setup ignores it");
        }
    }
    return misspelt;
}

std::vector<TCfgFinding> TCfgFindings::InLineOrder() const {
    std::vector<TCfgFinding> sorted = all_;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const TCfgFinding& a, const TCfgFinding& b) { return a.Line < b.Line; });
    return sorted;
}

std::vector<TCfgFinding> CheckConfigText(const std::string& bytes) {
    if (const std::string why = UnreadableText(bytes); !why.empty()) return {{0, true, why}};
    TCfgFindings findings;
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
        findings.Error(1, "the file starts with a UTF-8 byte order mark; the setup takes it as part of the first "
                          "line and does not see the section that line opens: save the file as ANSI, without the mark");
    const TCfgText text = ParseCfgText(bytes);
    CheckCodePage(text, findings);
    const std::set<std::string> misspelt = CheckConfigStructure(text, findings);
    CheckConfigEntries(text, misspelt, findings);
    return findings.InLineOrder();
}

std::string FindingLine(const std::string& file, const TCfgFinding& finding) {
    return file + (finding.Line ? ":" + std::to_string(finding.Line) : "") +
           (finding.Error ? ": error: " : ": warning: ") + finding.Text;
}

int PrintConfigFindings(const std::string& file, const std::vector<TCfgFinding>& findings) {
    int errors = 0;
    for (const TCfgFinding& finding : findings) {
        std::fprintf(stderr, "%s\n", FindingLine(file, finding).c_str());
        errors += finding.Error;
    }
    return errors;
}

}  // namespace zov::zovpack
