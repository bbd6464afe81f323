#include "tools/zovpack/cfg_text.h"

#include "sys/paths.h"

namespace zov::zovpack {
namespace {

constexpr size_t kValueLimit = 1023;  // the setup's buffer cuts longer values

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

std::string WithoutQuotes(const std::string& value) {
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

std::vector<TCfgLine> TCfgSection::Entries() const {
    std::vector<TCfgLine> entries;
    for (const TCfgLine& line : Lines) {
        if (!line.HasEquals) continue;
        TCfgLine entry = line;
        for (const TCfgLine& first : entries)
            if (UpperCase(first.Key) == UpperCase(line.Key)) {
                entry.Value = first.Value;
                entry.Repeated = true;
                break;
            }
        entries.push_back(entry);
    }
    return entries;
}

const TCfgSection* TCfgText::Find(const std::string& upperName) const {
    for (const TCfgSection& section : Sections)
        if (section.Upper == upperName) return &section;
    return nullptr;
}

std::string TCfgText::Value(const std::string& upperSection, const std::string& upperKey,
                            const std::string& fallback) const {
    if (const TCfgSection* section = Find(upperSection))
        for (const TCfgLine& line : section->Lines)
            if (UpperCase(line.Key) == upperKey) return line.HasEquals ? line.Value : fallback;
    return fallback;
}

int TCfgText::LineOf(const std::string& upperSection, const std::string& upperKey) const {
    if (const TCfgSection* section = Find(upperSection))
        for (const TCfgLine& line : section->Lines)
            if (line.HasEquals && UpperCase(line.Key) == upperKey) return line.Number;
    return 0;
}

TCfgText ParseCfgText(const std::string& bytes) {
    TCfgText text;
    for (size_t i = 0; i < bytes.size();) {
        size_t end = i;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        text.Lines.push_back(bytes.substr(i, end - i));
        i = end + (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2 : 1);
    }
    for (size_t n = 0; n < text.Lines.size(); ++n) {
        const std::string line = Trim(text.Lines[n]);
        const int number = static_cast<int>(n) + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            TCfgSection section;
            section.Number = number;
            section.Name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            section.Upper = UpperCase(section.Name);
            section.Repeated = text.Find(section.Upper) != nullptr;
            text.Sections.push_back(section);
            continue;
        }
        if (text.Sections.empty()) continue;
        TCfgLine entry;
        entry.Number = number;
        const size_t eq = line.find('=');
        entry.HasEquals = eq != std::string::npos;
        entry.Key = Trim(line.substr(0, eq));
        if (entry.HasEquals) entry.Value = WithoutQuotes(Trim(line.substr(eq + 1))).substr(0, kValueLimit);
        text.Sections.back().Lines.push_back(entry);
    }
    return text;
}

}  // namespace zov::zovpack
