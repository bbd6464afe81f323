#include "uninstall/uninstaller.h"

#include <algorithm>

#include "install/install_journal.h"
#include "install/wizard/uninstall_info.h"
#include "shell/shared_files.h"
#include "shell/system_helpers.h"
#include "shell/text_lines.h"
#include "sys/canonical_path.h"
#include "sys/decimal.h"
#include "sys/paths.h"
#include "sys/system.h"
#include "sys/concat.h"

namespace zov {
namespace {

constexpr uint32_t kNamesBuffer = 1u << 20;
constexpr uint32_t kValueBuffer = 65536;

// INI files Windows itself needs, kept even when an install made them and they are empty.
constexpr const char* kSystemIniFiles[] = {"WIN.INI", "SYSTEM.INI", "CONTROL.INI", "PROGMAN.INI",
                                           "PROTOCOL.INI", "WINFILE.INI", "BOOT.INI"};

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The one form a path is compared in; "" when it has none.
std::string Comparable(const std::string& path) { return UpperCase(CanonicalText(path)); }

// The files a drive's root needs to start the system, whatever a record says of them.
bool IsStartFile(const std::string& path) {
    static const char* const kNames[] = {"AUTOEXEC.BAT", "CONFIG.SYS", "IO.SYS",   "MSDOS.SYS",    "COMMAND.COM",
                                         "BOOT.INI",     "NTLDR",      "NTDETECT.COM", "BOOTMGR", "PAGEFILE.SYS"};
    const TCanonicalPath full = CanonicalPath(path);
    if (full.Kind != TPathKind::Drive || full.Path.find('\\') != full.Path.rfind('\\')) return false;
    const std::string name = UpperCase(FileNamePart(full.Path));
    return std::any_of(std::begin(kNames), std::end(kNames), [&](const char* n) { return name == n; });
}

size_t DirDepth(const std::string& dir) {
    const std::string full = CanonicalText(dir);
    return static_cast<size_t>(std::count(full.begin(), full.end(), '\\'));
}

}  // namespace

int TUninstallReport::ExitCode() const {
    if (End != TUninstallEnd::Removed) return 1;
    return Leftovers.empty() ? 0 : 2;
}

TUninstaller::TUninstaller(TInstallProgress& progress, TInstallLog* log) : progress_(progress), log_(log) {}

bool TUninstaller::Open(const std::string& dir, const std::string& title) {
    otherFiles_.clear();
    written_.Clear();
    // An install that did not finish is undone from its journal, whatever its record says.
    unfinished_ = !UnfinishedInstallDir(title).empty();
    if (unfinished_) {
        error_.clear();
        record_ = TUninstallRecord{};
        record_.Dir = WithoutTrailingBackslash(dir);
        record_.Title = title;
        places_ = std::make_unique<TProtectedPlaces>(title);
        return true;
    }
    error_ = ReadUninstallRecord(dir, title, record_);
    if (!error_.empty()) {
        Note("REFUSED " + error_);
        return false;
    }
    places_ = std::make_unique<TProtectedPlaces>(record_.Title);
    for (const TWrittenFile& file : record_.WrittenFiles) written_.Insert(Comparable(file.Path));
    FindOtherFiles();
    return true;
}

bool TUninstaller::IsWritten(const std::string& path) const {
    const std::string full = Comparable(path);
    return !full.empty() && written_.Contains(full);
}

bool TUninstaller::IsCreatedDirectory(const std::string& dir) const {
    return std::any_of(record_.CreatedDirectories.begin(), record_.CreatedDirectories.end(),
                       [&](const std::string& created) { return SamePath(created, dir); });
}

// The product's folders: the directories the install created that a "*.*" pattern names,
// and the created ones below them, never a protected place or another product's folder.
void TUninstaller::FindOtherFiles() {
    std::vector<std::string> patternDirs;
    for (const std::string& entry : record_.Files) {
        if (!EndsWith(entry, "*.*")) continue;
        const std::string dir = entry.substr(0, entry.size() - 3);
        if (IsCreatedDirectory(dir) && !places_->Protects(dir))
            patternDirs.push_back(dir);
        else
            Note(Concat({"kept every file in ", dir, " (not a directory the install made)"}));
    }
    TNameSet seen;
    for (const std::string& dir : record_.CreatedDirectories) {
        if (places_->Protects(dir) || !seen.Insert(Comparable(dir))) continue;
        if (std::none_of(patternDirs.begin(), patternDirs.end(),
                         [&](const std::string& p) { return PathIsAtOrBelow(dir, p); }))
            continue;
        std::vector<sys::FindEntry> entries;
        if (!sys::Sys().FindFiles(JoinPath(dir, "*.*"), true, entries)) continue;
        for (const sys::FindEntry& e : entries) {
            const std::string path = JoinPath(CanonicalText(dir), e.name);
            if ((e.attributes & sys::kAttrDirectory) || IsWritten(path) || IsIniFile(path) ||
                SamePath(path, record_.CfgPath()))
                continue;
            otherFiles_.push_back(path);
        }
    }
}

void TUninstaller::Note(const std::string& line) {
    if (log_) log_->Line(line);
}

void TUninstaller::Leftover(const std::string& path, const std::string& reason) {
    report_.Leftovers.push_back(Concat({path, ": ", reason}));
    Note(Concat({"LEFT ", path, ": ", reason}));
}

void TUninstaller::Keep(const std::string& path, const std::string& reason) {
    report_.Kept.push_back(Concat({path, ": ", reason}));
    Note(Concat({"kept ", path, " (", reason, ")"}));
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
    if (record_.Title.empty() || !places_) {
        report_.End = TUninstallEnd::Refused;
        report_.Error = error_.empty() ? "No uninstall information has been read." : error_;
        return report_;
    }
    progress_.Begin();
    progress_.SetRange(8);
    if (unfinished_) {
        Step("Removing an Unfinished Installation");
        RollBackUnfinishedInstall(record_.Title, log_);
        unfinished_ = false;
        // What an earlier complete install of the product left is removed as usual.
        const std::string dir = record_.Dir, title = record_.Title;  // Open starts the record afresh
        if (!FileExists(record_.CfgPath()) || !Open(dir, title)) {
            progress_.Pump();
            return report_;
        }
    }
    Note(Concat({"uninstall ", record_.Title, " from ", record_.Dir}));
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
        if (!EndsWith(entry, ".*") || EndsWith(entry, "*.*") || !IsFullPath(entry)) continue;
        const std::string link = entry.substr(0, entry.size() - 1) + "lnk";
        if (IsWritten(link)) RemoveFile(link);
    }
    for (const std::string& folder : record_.Folders) RemoveEmptyDirectory(folder, false);
}

// --- files -----------------------------------------------------------------------------------

bool TUninstaller::IsIniFile(const std::string& path) const {
    for (const TIniEntry& ini : record_.IniValues)
        if (SamePath(ini.File, path)) return true;
    for (const std::string& file : record_.CreatedIniFiles)
        if (SamePath(file, path)) return true;
    return false;
}

void TUninstaller::RemoveFiles() {
    for (const TWrittenFile& file : record_.WrittenFiles) RemoveFile(file.Path);
    // [UNINS] names files the install did not write too: those the user chose to keep.
    for (const std::string& entry : record_.Files)
        if (!EndsWith(entry, ".*") && IsFullPath(entry) && !IsWritten(entry) && !IsIniFile(entry))
            Note(Concat({"kept ", entry, " (the install did not write it)"}));
    for (const std::string& path : otherFiles_) {
        if (RemoveOtherFiles)
            RemoveFile(path);
        else
            Keep(path, "the setup did not put it there");
    }
}

void TUninstaller::RemoveFile(const std::string& path) {
    const std::string full = CanonicalText(path);
    if (full.empty()) {
        Note(Concat({"skipped ", path, " (not a full path)"}));
        return;
    }
    if (!tried_.Insert(UpperCase(full))) return;  // listed twice
    // INI files are the INI step's; uninstall.cfg goes last, when all else is done.
    if (IsIniFile(full) || SamePath(full, record_.CfgPath())) return;
    if (IsStartFile(full)) {
        Keep(full, "a file Windows needs to start");
        return;
    }
    // A file of the Windows or the system directory goes only when its use count says so,
    // listed as shared or not: a damaged record must not take the system's own files.
    const bool listedShared = std::any_of(record_.SharedFiles.begin(), record_.SharedFiles.end(),
                                          [&](const std::string& s) { return SamePath(s, full); });
    if (listedShared || IsSystemDirectory(DirectoryPart(full), GetWindowsDir())) {
        const std::optional<uint32_t> uses = ReleaseSharedFileUse(full);
        if (!uses) {
            Note(Concat({"kept shared ", full, " (no use count)"}));
            return;
        }
        if (*uses > 0) {
            Note(Concat({"kept shared ", full, " (", DecimalText(*uses), " other uses)"}));
            return;
        }
    } else if (const std::string owner = places_->OtherOwner(full); !owner.empty()) {
        Keep(full, "it belongs to " + owner);
        return;
    }
    if (!SelfPath.empty() && SamePath(full, SelfPath)) {
        selfLeft_ = true;  // the program removes its own file once it has ended
        return;
    }
    DeleteOrSchedule(full);
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
        if (!IsFullPath(ini.File) || !FileExists(ini.File)) continue;
        const std::string where = Concat({ini.File, " [", ini.Section, "] ", ini.Name});
        const std::string absent = "\x01";
        const std::string now = os.GetProfileString(ini.File, ini.Section, ini.Name, absent, kValueBuffer);
        if (now == absent) continue;
        // Changed since the install (by the user, by another product): no longer the install's.
        if (!ini.HasSet || now != ini.Set) {
            Keep(where, "it was changed after the install");
            continue;
        }
        // A value that was there before gets its earlier text back.
        const bool done = ini.Existed ? os.WriteProfileString(ini.File, ini.Section, ini.Name, ini.Earlier)
                                      : os.DeleteProfileEntry(ini.File, ini.Section, ini.Name);
        if (done)
            Note((ini.Existed ? "ini restored " : "ini removed ") + where);
        else
            Leftover(where, os.LastError().text);
    }
    for (const TIniEntry& ini : record_.CreatedIniSections) {
        if (!IsFullPath(ini.File) || !FileExists(ini.File)) continue;
        if (!os.GetProfileKeyNames(ini.File, ini.Section, kNamesBuffer).empty()) continue;  // someone else's keys
        if (os.DeleteProfileEntry(ini.File, ini.Section, ""))
            Note(Concat({"ini removed ", ini.File, " [", ini.Section, "]"}));
    }
    for (const std::string& file : record_.CreatedIniFiles) {
        if (!IsFullPath(file) || !FileExists(file)) continue;
        const std::string name = UpperCase(FileNamePart(file));
        if (std::any_of(std::begin(kSystemIniFiles), std::end(kSystemIniFiles),
                        [&](const char* system) { return name == system; }))
            continue;
        const std::vector<std::string> sections = os.GetProfileSectionNames(file, kNamesBuffer);
        const bool holdsKeys = std::any_of(sections.begin(), sections.end(), [&](const std::string& s) {
            return !os.GetProfileKeyNames(file, s, kNamesBuffer).empty();
        });
        if (holdsKeys)
            Note(Concat({"kept ", file, " (it holds other values)"}));
        else if (const std::string owner = places_->OtherOwner(file); !owner.empty())
            Keep(file, "it belongs to " + owner);
        else
            DeleteOrSchedule(file);
    }
}

// --- registry --------------------------------------------------------------------------------

void TUninstaller::RemoveRegistryValues() {
    sys::System& os = sys::Sys();
    for (const TRegistryEntry& reg : record_.RegistryValues) {
        const std::string where = Concat({RootKeyName(reg.Root), "\\", reg.Key, " ", reg.Name});
        if (const std::string why = places_->ValueProtection(reg.Root, reg.Key, reg.Name); !why.empty()) {
            Keep(where, why);
            continue;
        }
        std::vector<std::string> subKeys, names;
        if (!os.RegEnumKey(reg.Root, reg.Key, subKeys, names) ||
            std::none_of(names.begin(), names.end(), [&](const std::string& n) { return UpperCase(n) == UpperCase(reg.Name); }))
            continue;
        if (std::string now; !reg.HasSet || !os.RegGetString(reg.Root, reg.Key, reg.Name, now) || now != reg.Set) {
            Keep(where, "it was changed after the install");
            continue;
        }
        bool done = false;
        if (reg.Earlier.compare(0, 2, "S:") == 0) {
            done = os.RegSetString(reg.Root, reg.Key, reg.Name, reg.Earlier.substr(2));
        } else if (reg.Earlier.compare(0, 2, "D:") == 0) {
            done = os.RegSetDword(reg.Root, reg.Key, reg.Name,
                                  static_cast<uint32_t>(std::strtoul(reg.Earlier.c_str() + 2, nullptr, 10)));
        } else if (!reg.Earlier.empty()) {
            Keep(where, "it was there before the install, of a kind that cannot be put back");
            continue;
        } else {
            done = os.RegDeleteValue(reg.Root, reg.Key, reg.Name);
        }
        if (done)
            Note((reg.Earlier.empty() ? "registry removed " : "registry restored ") + where);
        else
            Leftover(where, os.LastError().text);
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
    if (os.RegGetString(root, key, "UninstallString", command) && !SamePath(CommandProgramDir(command), record_.Dir)) {
        Note(Concat({"kept the registration of ", record_.Title, " (it names ", command, ")"}));
        return;
    }
    for (const std::string& name : names) os.RegDeleteValue(root, key, name);
    if (subKeys.empty() && os.RegDeleteKey(root, key))
        Note("registration removed HKEY_LOCAL_MACHINE\\" + key);
    else
        Leftover("HKEY_LOCAL_MACHINE\\" + key, subKeys.empty() ? os.LastError().text : "The key has subkeys");
}

void TUninstaller::RemoveCreatedKeys() {
    sys::System& os = sys::Sys();
    // Deepest first: a key's own subkeys go before it.
    for (auto it = record_.CreatedRegistryKeys.rbegin(); it != record_.CreatedRegistryKeys.rend(); ++it) {
        const std::string where = Concat({RootKeyName(it->Root), "\\", it->Key});
        if (const std::string why = places_->KeyProtection(it->Root, it->Key); !why.empty()) {
            Note(Concat({"kept ", where, " (", why, ")"}));
            continue;
        }
        std::vector<std::string> subKeys, names;
        if (!os.RegEnumKey(it->Root, it->Key, subKeys, names)) continue;
        if (!subKeys.empty() || !names.empty()) {
            Note(Concat({"kept ", where, " (it holds other entries)"}));
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
    if (file.empty() || block.empty() || !IsFullPath(file)) return;
    std::vector<std::string> lines;
    if (!ReadTextLines(file, lines)) {
        // Taken before FileExists, which sets the system's last error again.
        const sys::Failure failure = sys::FailureOf(file);
        if (FileExists(file)) Leftover(file, failure.text);
        return;
    }
    // The last block of these lines is this install's.
    const size_t found = FindLineBlock(lines, block);
    if (found == std::string::npos) {
        Note(Concat({"autoexec ", file, ": the lines this install added are not there any more"}));
        return;
    }
    try {
        // A backup the install made goes; one that was there before gets the text as installed.
        const std::string backup = JoinPath(DirectoryPart(file), "autoexec.zov");
        if (!record_.AutoexecNewBackup)
            SaveTextLines(backup, lines);
        else if (FileExists(backup))
            DeleteOrSchedule(backup);
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(found),
                    lines.begin() + static_cast<std::ptrdiff_t>(found + block.size()));
        if (record_.AutoexecNewFile && lines.empty())
            DeleteOrSchedule(file);  // the install made it: it goes empty
        else
            SaveTextLines(file, lines);
        Note(Concat({"autoexec ", file, " (", DecimalText(block.size()), " lines removed)"}));
    } catch (const std::exception& e) {
        Leftover(file, e.what());
    }
}

// --- directories -----------------------------------------------------------------------------

void TUninstaller::RemoveDirectories() {
    // Only the directories the install made, deepest first.
    std::vector<std::string> dirs = record_.CreatedDirectories;
    std::stable_sort(dirs.begin(), dirs.end(),
                     [](const std::string& a, const std::string& b) { return DirDepth(a) > DirDepth(b); });
    TNameSet seen;
    for (const std::string& dir : dirs)
        if (IsFullPath(dir) && seen.Insert(Comparable(dir))) RemoveEmptyDirectory(dir, true);
}

void TUninstaller::RemoveEmptyDirectory(const std::string& dir, bool listWhenKept) {
    if (places_->KeepsFolder(dir)) {
        Note(Concat({"kept ", dir, " (a directory of the system or of another product)"}));
        return;
    }
    if (!DirectoryExists(dir)) return;
    sys::System& os = sys::Sys();
    if (os.RemoveDirectory(dir)) {
        Note("removed " + dir);
        return;
    }
    const std::string reason = os.LastError().text;
    if (selfLeft_ && PathIsBelow(SelfPath, dir)) {
        selfDirs_.push_back(dir);  // it goes with the program's own file
        return;
    }
    if (listWhenKept) Leftover(dir, reason);
}

}  // namespace zov
