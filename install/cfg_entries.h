#pragma once
// The list entries of install.cfg as records: a directory, a payload file, a shortcut, an
// INI or registry value, an autoexec line. Every reader of the lists (the install engine,
// the wizard, the unattended setup, zovpack) takes them from here, so that they all cut an
// entry the same way, and the checks a builder runs see what the setup will see.
#include <string>
#include <vector>

#include "install/setup_config.h"
#include "sys/paths.h"

namespace zov {

// One entry cut at "~". A cut gives the text before the first "~" and keeps what follows;
// with no "~" left it gives the whole rest and keeps it, so a missing last field repeats
// the one before it. The entry formats rely on that ("a.exe~<TAG>" has the mark "<TAG>").
class TEntryFields {
public:
    explicit TEntryFields(std::string entry) : rest_(std::move(entry)) {}
    std::string Next();
    // What the cuts left: the last field of an entry, "~" and all.
    const std::string& Rest() const { return rest_; }

private:
    std::string rest_;
};

// [Directories]: tag ~ path.
struct TDirectoryEntry {
    std::string Tag;   // upper-cased: tags are compared without regard to case
    std::string Path;  // the rest of the entry
};

// [Files] and [WorkStation]: source ~ tag ~ mark.
struct TFileEntry {
    std::string Source;  // as written; only its file name counts
    std::string Tag;     // upper-cased
    std::string Mark;    // exactly "X": ask before an existing file is replaced
    // The part of Source after its last "\", "/" or ":".
    std::string Name() const { return FileNamePart(Source); }
    bool AskBeforeOverwrite() const { return Mark == "X"; }
};

// [Desktop]: name ~ target ~ desktop mark ~ start-menu mark ~ icon ~ folder.
struct TLinkEntry {
    std::string Name;
    std::string Target;
    std::string DesktopMark;
    std::string StartMenuMark;
    std::string Icon;
    std::string Folder;  // the rest of the entry
    // Offered, checked, in the wizard's lists: a mark of exactly "X" (upper case).
    bool OfferedOnDesktop() const { return DesktopMark == "X"; }
    bool OfferedInStartMenu() const { return StartMenuMark == "X"; }
};

enum class TValueKind { Ini, Registry };

// [INI - Setup]: location ~ section ~ name ~ value.
struct TValueEntry {
    std::string Location;  // an INI file, or a registry key path
    std::string Section;   // the INI section, or the sub-key
    std::string Name;      // the key, or the value name
    std::string Value;     // the rest of the entry
    // An INI value when the location contains ".INI" in any case; else a registry value.
    TValueKind Kind() const;
    // The entry again, fields joined by "~".
    std::string Text() const;
};

TDirectoryEntry ParseDirectoryEntry(const std::string& entry);
TFileEntry ParseFileEntry(const std::string& entry);
TLinkEntry ParseLinkEntry(const std::string& entry);
TValueEntry ParseValueEntry(const std::string& entry);

// Every list of the settings as records. Autoexec lines are key names, taken whole.
struct TConfigEntries {
    std::vector<TDirectoryEntry> Directories;
    std::vector<TFileEntry> Files;
    std::vector<TFileEntry> WorkStationFiles;
    std::vector<TLinkEntry> Links;
    std::vector<TValueEntry> Values;
    std::vector<std::string> AutoexecLines;
};

TConfigEntries ParseConfigEntries(const TSetupSettings& settings);

enum class TLinkPlace { Desktop, StartMenu };

// The names of the shortcuts offered in `place`, in list order: the wizard's choice list.
std::vector<std::string> OfferedLinkNames(const std::vector<std::string>& shortcuts, TLinkPlace place);

// The upper-cased directory tag at the start of a path ("<INSTALLDIR>\x.exe" gives
// "<INSTALLDIR>"): from its first "<" to its last ">"; empty when it has none.
std::string LeadingTag(const std::string& path);

// The file of an icon location, "path" or "path,index".
std::string IconFile(const std::string& location);

}  // namespace zov
