#include "uninstall/uninstaller.h"

#include <algorithm>

#include "install/wizard/uninstall_info.h"
#include "shell/shared_files.h"
#include "shell/system_helpers.h"
#include "shell/text_lines.h"
#include "sys/decimal.h"
#include "sys/paths.h"
#include "sys/system.h"

namespace zov {
namespace {

constexpr uint32_t kNamesBuffer = 1u << 20;

// INI files Windows itself needs, kept even when an install made them and they are empty.
constexpr const char* kSystemIniFiles[] = {"WIN.INI", "SYSTEM.INI", "CONTROL.INI", "PROGMAN.INI",
                                           "PROTOCOL.INI", "WINFILE.INI", "BOOT.INI"};

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// How many keys deep below its root a key lies: "Software\Acme" is 2.
size_t KeyDepth(const std::string& key) {
    size_t depth = 0;
    bool inName = false;
    for (char c : key) {
        if (c == '\\') {
            inName = false;
        } else if (!inName) {
            inName = true;
            ++depth;
        }
    }
    return depth;
}

bool IsSystemDirectory(const std::string& dir) {
    const std::string d = ComparableDir(dir);
    const std::string windows = ComparableDir(GetWindowsDir());
    return d == windows || d == windows + "\\SYSTEM" || d == windows + "\\SYSTEM32";
}

size_t DirDepth(const std::string& dir) { return static_cast<size_t>(std::count(dir.begin(), dir.end(), '\\')); }

// A batch line as it compares: its own blanks and quotes around it do not count, since the
// profile functions that kept the recorded copy drop them.
std::string ComparableLine(std::string line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    line.erase(0, first == std::string::npos ? line.size() : first);
    if (line.size() >= 2 && line.front() == '"' && line.back() == '"') line = line.substr(1, line.size() - 2);
    return UpperCase(line);
}

}  // namespace

int TUninstallReport::ExitCode() const {
    if (End != TUninstallEnd::Removed) return 1;
    return Leftovers.empty() ? 0 : 2;
}

TUninstaller::TUninstaller(TInstallProgress& progress, TInstallLog* log) : progress_(progress), log_(log) {}

bool TUninstaller::Open(const std::string& dir, const std::string& title) {
    error_ = ReadUninstallRecord(dir, title, record_);
    if (!error_.empty()) Note("REFUSED " + error_);
    return error_.empty();
}

void TUninstaller::Note(const std::string& line) {
    if (log_) log_->Line(line);
}

void TUninstaller::Leftover(const std::string& path, const std::string& reason) {
    report_.Leftovers.push_back(path + ": " + reason);
    Note("LEFT " + path + ": " + reason);
}

void TUninstaller::Step(const std::string& status) {
    progress_.Status(status);
    progress_.Advance();
    progress_.Pump();
}

TUninstallReport TUninstaller::Run() {
    report_ = TUninstallReport{};
    selfLeft_ = false;
    selfDirs_.clear();
    tried_.Clear();
    if (record_.Title.empty()) {
        report_.End = TUninstallEnd::Refused;
        report_.Error = error_.empty() ? "No uninstall information has been read." : error_;
        return report_;
    }
    progress_.Begin();
    progress_.SetRange(8);
    Note("uninstall " + record_.Title + " from " + record_.Dir);
    Step("Removing Icons and Folders");
    RemoveLinks();
    Step("Removing Files");
    RemoveFiles();
    Step("Removing INI Entries");
    RemoveIniEntries();
    Step("Removing Registry Entries");
    RemoveRegistryValues();
    Step("Restoring Autoexec.bat");
    RemoveAutoexecBlock();
    Step("Removing Uninstall Information");
    RemoveRegistration();
    RemoveCreatedKeys();
    DeleteOrSchedule(record_.CfgPath());
    Step("Removing Directories");
    RemoveDirectories();
    progress_.Pump();
    return report_;
}

// --- links and program folders -------------------------------------------------------------

void TUninstaller::RemoveLinks() {
    // A "NAME.*" pattern stands for the link NAME.lnk the setup made; other files of that
    // name beside it are not the setup's.
    for (const std::string& entry : record_.Files) {
        if (!EndsWith(entry, ".*") || EndsWith(entry, "*.*") || !IsAbsolutePath(entry)) continue;
        RemoveFile(entry.substr(0, entry.size() - 1) + "lnk");
    }
    for (const std::string& folder : record_.Folders) RemoveEmptyDirectory(folder, false);
}

// --- files -----------------------------------------------------------------------------------

bool TUninstaller::IsIniFile(const std::string& path) const {
    const std::string upper = UpperCase(path);
    for (const TIniEntry& ini : record_.IniValues)
        if (UpperCase(ini.File) == upper) return true;
    for (const std::string& file : record_.CreatedIniFiles)
        if (UpperCase(file) == upper) return true;
    return false;
}

// The install directory (when it is no protected place) and what lies below it, and the
// directories the install made: the places where a "*.*" pattern may remove every file.
bool TUninstaller::IsInstallArea(const std::string& dir) const {
    const std::string d = ComparableDir(dir);
    for (const std::string& created : record_.CreatedDirectories)
        if (ComparableDir(created) == d) return true;
    const std::string target = ComparableDir(record_.Dir);
    return !places_.Protects(record_.Dir) && (d == target || IsBelow(d, target));
}

void TUninstaller::RemoveFiles() {
    std::vector<std::string> patterns;
    for (const std::string& entry : record_.Files) {
        if (EndsWith(entry, "*.*"))
            patterns.push_back(entry.substr(0, entry.size() - 3));
        else if (!EndsWith(entry, ".*"))
            RemoveFile(entry);
    }
    for (const std::string& dir : patterns) RemovePattern(dir);
}

void TUninstaller::RemovePattern(const std::string& dir) {
    if (places_.Protects(dir) || !IsInstallArea(dir)) {
        Note("kept every other file in " + dir + " (not the install's own directory)");
        return;
    }
    std::vector<sys::FindEntry> entries;
    if (!sys::Sys().FindFiles(JoinPath(dir, "*.*"), true, entries)) return;
    for (const sys::FindEntry& e : entries)
        if (!(e.attributes & sys::kAttrDirectory)) RemoveFile(JoinPath(dir, e.name));
}

void TUninstaller::RemoveFile(const std::string& path) {
    if (!IsAbsolutePath(path)) {
        Note("skipped " + path + " (not a full path)");
        return;
    }
    const std::string upper = UpperCase(path);
    if (!tried_.Insert(upper)) return;  // listed and matched by a pattern as well
    // INI files are the INI step's; uninstall.cfg goes last, when all else is done.
    if (IsIniFile(path) || upper == UpperCase(record_.CfgPath())) return;
    // A file of the Windows or the system directory goes only when its use count says so,
    // listed as shared or not: a damaged record must not take the system's own files.
    const bool listedShared = std::any_of(record_.SharedFiles.begin(), record_.SharedFiles.end(),
                                          [&](const std::string& s) { return UpperCase(s) == upper; });
    if (listedShared || IsSystemDirectory(DirectoryPart(path))) {
        const std::optional<uint32_t> uses = ReleaseSharedFileUse(path);
        if (!uses) {
            Note("kept shared " + path + " (no use count)");
            return;
        }
        if (*uses > 0) {
            Note("kept shared " + path + " (" + DecimalText(*uses) + " other uses)");
            return;
        }
    }
    if (!SelfPath.empty() && upper == UpperCase(SelfPath)) {
        selfLeft_ = true;  // the program removes its own file once it has ended
        return;
    }
    DeleteOrSchedule(path);
}

void TUninstaller::DeleteOrSchedule(const std::string& path) {
    sys::System& os = sys::Sys();
    const uint32_t attributes = os.GetFileAttributes(path);
    if (attributes == sys::kInvalidAttributes || (attributes & sys::kAttrDirectory)) return;
    if (DeleteFileForced(path)) {
        Note("removed " + path);
        return;
    }
    const std::string reason = os.LastError().text;
    if (os.DeleteAtRestart(path))
        Leftover(path, reason + " (removed when Windows restarts)");
    else
        Leftover(path, reason);
}

// --- INI files -------------------------------------------------------------------------------

void TUninstaller::RemoveIniEntries() {
    sys::System& os = sys::Sys();
    for (const TIniEntry& ini : record_.IniValues) {
        if (!IsAbsolutePath(ini.File) || !FileExists(ini.File)) continue;
        if (os.DeleteProfileEntry(ini.File, ini.Section, ini.Name))
            Note("ini removed " + ini.File + " [" + ini.Section + "] " + ini.Name);
        else
            Leftover(ini.File + " [" + ini.Section + "] " + ini.Name, os.LastError().text);
    }
    for (const TIniEntry& ini : record_.CreatedIniSections) {
        if (!IsAbsolutePath(ini.File) || !FileExists(ini.File)) continue;
        if (!os.GetProfileKeyNames(ini.File, ini.Section, kNamesBuffer).empty()) continue;  // someone else's keys
        if (os.DeleteProfileEntry(ini.File, ini.Section, ""))
            Note("ini removed " + ini.File + " [" + ini.Section + "]");
    }
    for (const std::string& file : record_.CreatedIniFiles) {
        if (!IsAbsolutePath(file) || !FileExists(file)) continue;
        const std::string name = UpperCase(FileNamePart(file));
        if (std::any_of(std::begin(kSystemIniFiles), std::end(kSystemIniFiles),
                        [&](const char* system) { return name == system; }))
            continue;
        const std::vector<std::string> sections = os.GetProfileSectionNames(file, kNamesBuffer);
        const bool holdsKeys = std::any_of(sections.begin(), sections.end(), [&](const std::string& s) {
            return !os.GetProfileKeyNames(file, s, kNamesBuffer).empty();
        });
        if (holdsKeys)
            Note("kept " + file + " (it holds other values)");
        else
            DeleteOrSchedule(file);
    }
}

// --- registry --------------------------------------------------------------------------------

void TUninstaller::RemoveRegistryValues() {
    sys::System& os = sys::Sys();
    for (const TRegistryEntry& reg : record_.RegistryValues) {
        const std::string where = RootKeyName(reg.Root) + "\\" + reg.Key;
        std::string text;
        uint32_t number = 0;
        const bool present = os.RegGetString(reg.Root, reg.Key, reg.Name, text) ||
                             os.RegGetDword(reg.Root, reg.Key, reg.Name, number);
        if (!present) continue;
        if (os.RegDeleteValue(reg.Root, reg.Key, reg.Name))
            Note("registry removed " + where + " " + reg.Name);
        else
            Leftover(where + " " + reg.Name, os.LastError().text);
    }
}

void TUninstaller::RemoveRegistration() {
    sys::System& os = sys::Sys();
    const auto root = sys::RegRoot::LocalMachine;
    const std::string key = kUninstallRegistryKey + record_.Title;
    std::vector<std::string> subKeys, names;
    if (!os.RegEnumKey(root, key, subKeys, names)) return;
    // A later install of the same title elsewhere took the registration over: it is that
    // one's now.
    std::string command;
    if (os.RegGetString(root, key, "UninstallString", command) &&
        ComparableDir(CommandProgramDir(command)) != ComparableDir(record_.Dir)) {
        Note("kept the registration of " + record_.Title + " (it names " + command + ")");
        return;
    }
    for (const std::string& name : names) os.RegDeleteValue(root, key, name);
    if (subKeys.empty() && KeyDepth(key) >= 2 && os.RegDeleteKey(root, key))
        Note("registration removed HKEY_LOCAL_MACHINE\\" + key);
    else
        Leftover("HKEY_LOCAL_MACHINE\\" + key, subKeys.empty() ? os.LastError().text : "The key has subkeys");
}

void TUninstaller::RemoveCreatedKeys() {
    sys::System& os = sys::Sys();
    // Deepest first: a key's own subkeys go before it.
    for (auto it = record_.CreatedRegistryKeys.rbegin(); it != record_.CreatedRegistryKeys.rend(); ++it) {
        const std::string where = RootKeyName(it->Root) + "\\" + it->Key;
        if (KeyDepth(it->Key) < 2) continue;  // never Software itself or a root's direct key
        std::vector<std::string> subKeys, names;
        if (!os.RegEnumKey(it->Root, it->Key, subKeys, names)) continue;
        if (!subKeys.empty() || !names.empty()) {
            Note("kept " + where + " (it holds other entries)");
            continue;
        }
        if (os.RegDeleteKey(it->Root, it->Key))
            Note("registry removed " + where);
        else
            Leftover(where, os.LastError().text);
    }
}

// --- autoexec.bat ----------------------------------------------------------------------------

void TUninstaller::RemoveAutoexecBlock() {
    const std::string& file = record_.AutoexecFile;
    const std::vector<std::string>& block = record_.AutoexecLines;
    if (file.empty() || block.empty() || !IsAbsolutePath(file)) return;
    std::vector<std::string> lines = ReadTextLines(file);
    // The last block of these lines is this install's: an earlier install of the same
    // product added the one before.
    size_t found = std::string::npos;
    for (size_t at = 0; at + block.size() <= lines.size(); ++at) {
        bool same = true;
        for (size_t i = 0; same && i < block.size(); ++i)
            same = ComparableLine(lines[at + i]) == ComparableLine(block[i]);
        if (same) found = at;
    }
    if (found == std::string::npos) {
        Note("autoexec " + file + ": the lines this install added are not there any more");
        return;
    }
    try {
        SaveTextLines(JoinPath(DirectoryPart(file), "autoexec.zov"), lines);
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(found),
                    lines.begin() + static_cast<std::ptrdiff_t>(found + block.size()));
        SaveTextLines(file, lines);
        Note("autoexec " + file + " (" + DecimalText(block.size()) + " lines removed)");
    } catch (const std::exception& e) {
        Leftover(file, e.what());
    }
}

// --- directories -----------------------------------------------------------------------------

void TUninstaller::RemoveDirectories() {
    // The directories the install made, the install directory, and those below it that
    // received files (an install into an existing directory does not record them as made);
    // deepest first.
    std::vector<std::string> dirs = record_.CreatedDirectories;
    dirs.push_back(record_.Dir);
    const std::string target = ComparableDir(record_.Dir);
    if (!places_.Protects(record_.Dir)) {
        for (const std::string& file : record_.Files) {
            const std::string dir = WithoutTrailingBackslash(DirectoryPart(file));
            if (!EndsWith(file, ".*") && IsBelow(ComparableDir(dir), target)) dirs.push_back(dir);
        }
    }
    std::stable_sort(dirs.begin(), dirs.end(), [](const std::string& a, const std::string& b) {
        return DirDepth(ComparableDir(a)) > DirDepth(ComparableDir(b));
    });
    TNameSet seen;
    for (const std::string& dir : dirs)
        if (IsAbsolutePath(dir) && seen.Insert(ComparableDir(dir))) RemoveEmptyDirectory(dir, true);
}

void TUninstaller::RemoveEmptyDirectory(const std::string& dir, bool listWhenKept) {
    if (places_.Protects(dir)) {
        Note("kept " + dir + " (a directory of the system)");
        return;
    }
    if (!DirectoryExists(dir)) return;
    sys::System& os = sys::Sys();
    if (os.RemoveDirectory(dir)) {
        Note("removed " + dir);
        return;
    }
    const std::string reason = os.LastError().text;
    if (selfLeft_ && IsBelow(ComparableDir(SelfPath), ComparableDir(dir))) {
        selfDirs_.push_back(dir);  // it goes with the program's own file
        return;
    }
    if (listWhenKept) Leftover(dir, reason);
}

}  // namespace zov
