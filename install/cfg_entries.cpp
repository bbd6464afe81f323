#include "install/cfg_entries.h"

#include <algorithm>
#include <set>

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

std::vector<std::string> CheckConfigEntries(const TSetupSettings& settings) {
    std::vector<std::string> warnings;
    std::set<std::string> tags;
    for (const std::string& entry : settings.Directories) tags.insert(ParseDirectoryEntry(entry).Tag);

    if (!tags.count("<INSTALLDIR>"))
        warnings.push_back("no \"<INSTALLDIR>\" entry in [Directories]: the wizard's destination "
                           "is never created and no uninstall information is written");

    auto checkFiles = [&](const std::vector<std::string>& list, const char* section) {
        for (const std::string& entry : list) {
            const std::string tag = ParseFileEntry(entry).Tag;
            if (!tags.count(tag))
                warnings.push_back(std::string("[") + section + "] entry \"" + entry +
                                   "\": no [Directories] entry has the tag " + tag +
                                   ", so the file is never installed");
        }
    };
    checkFiles(settings.Files, "Files");
    checkFiles(settings.WorkStationFiles, "WorkStation");

    for (const std::string& entry : settings.Shortcuts) {
        const std::string target = ParseLinkEntry(entry).Target;
        const std::string tag = LeadingTag(target);
        if (tag.empty() || !tags.count(tag))
            warnings.push_back("[Desktop] entry \"" + entry + "\": the target " + target +
                               " does not start with a tag of [Directories]");
    }

    if (!settings.LaunchCommand.empty()) {
        std::string program = settings.LaunchCommand;
        const size_t comma = program.find(',');
        if (comma != std::string::npos) program.resize(comma);
        const std::string name = UpperCase(FileNamePart(program));
        bool found = false;
        for (const auto* list : {&settings.Files, &settings.WorkStationFiles})
            found |= std::any_of(list->begin(), list->end(),
                                 [&](const std::string& entry) { return UpperCase(ParseFileEntry(entry).Name()) == name; });
        if (!found) warnings.push_back(Concat({"Launch program ", program, " is not among the files to install"}));
    }
    return warnings;
}

}  // namespace zov
