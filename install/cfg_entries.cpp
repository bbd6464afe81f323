#include "install/cfg_entries.h"

#include "shell/system_helpers.h"
#include "sys/paths.h"
#include "sys/concat.h"

namespace zov {
namespace {

template <class Record>
std::vector<Record> ParseList(const std::vector<std::string>& entries, Record (*parse)(const std::string&)) {
    std::vector<Record> records;
    records.reserve(entries.size());
    for (const std::string& entry : entries) records.push_back(parse(entry));
    return records;
}

}  // namespace

std::string TEntryFields::Next() {
    std::string head;
    SplitField(rest_, '~', head);
    return head;
}

TValueKind TValueEntry::Kind() const {
    return UpperCase(Location).find(".INI") != std::string::npos ? TValueKind::Ini : TValueKind::Registry;
}

std::string TValueEntry::Text() const { return Concat({Location, "~", Section, "~", Name, "~", Value}); }

// The records are filled in braces, which evaluate left to right: the fields are cut in order.

TDirectoryEntry ParseDirectoryEntry(const std::string& entry) {
    TEntryFields f(entry);
    return {UpperCase(f.Next()), f.Rest()};
}

TFileEntry ParseFileEntry(const std::string& entry) {
    TEntryFields f(entry);
    return {f.Next(), UpperCase(f.Next()), f.Next()};
}

TLinkEntry ParseLinkEntry(const std::string& entry) {
    TEntryFields f(entry);
    return {f.Next(), f.Next(), f.Next(), f.Next(), f.Next(), f.Rest()};
}

TValueEntry ParseValueEntry(const std::string& entry) {
    TEntryFields f(entry);
    return {f.Next(), f.Next(), f.Next(), f.Rest()};
}

TConfigEntries ParseConfigEntries(const TSetupSettings& s) {
    TConfigEntries e;
    e.Directories = ParseList(s.Directories, ParseDirectoryEntry);
    e.Files = ParseList(s.Files, ParseFileEntry);
    e.WorkStationFiles = ParseList(s.WorkStationFiles, ParseFileEntry);
    e.Links = ParseList(s.Shortcuts, ParseLinkEntry);
    e.Values = ParseList(s.IniEntries, ParseValueEntry);
    e.AutoexecLines = s.AutoexecLines;
    return e;
}

std::vector<std::string> OfferedLinkNames(const std::vector<std::string>& shortcuts, TLinkPlace place) {
    std::vector<std::string> names;
    for (const std::string& entry : shortcuts) {
        const TLinkEntry link = ParseLinkEntry(entry);
        if (place == TLinkPlace::Desktop ? link.OfferedOnDesktop() : link.OfferedInStartMenu())
            names.push_back(link.Name);
    }
    return names;
}

std::string LeadingTag(const std::string& path) {
    const size_t s = path.find('<');
    const size_t e = path.rfind('>');
    if (s == std::string::npos || e == std::string::npos || e < s) return "";
    return UpperCase(path.substr(s, e - s + 1));
}

std::string IconFile(const std::string& location) {
    const size_t comma = location.rfind(',');
    const bool indexed = comma != std::string::npos && comma + 1 < location.size() &&
                         location.find_first_not_of("-0123456789", comma + 1) == std::string::npos;
    return indexed ? location.substr(0, comma) : location;
}

}  // namespace zov
