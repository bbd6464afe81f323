#include "uninstall/protected_places.h"

#include <algorithm>
#include <iterator>

#include "install/wizard/uninstall_info.h"
#include "shell/Shortcut.h"
#include "shell/system_helpers.h"
#include "sys/canonical_path.h"
#include "sys/paths.h"
#include "sys/concat.h"

namespace zov {
namespace {

constexpr const char* kShellFolderKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
};
constexpr const char* kCurrentVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";

// Keys whose own values are the system's; a product may add keys below them, and values to
// others (Run). The install may have made the last two, to count a file or to register.
constexpr const char* kSystemKeys[] = {
    "SOFTWARE\\MICROSOFT",
    "SOFTWARE\\MICROSOFT\\WINDOWS",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\SHELL FOLDERS",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\USER SHELL FOLDERS",
    "SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION",
    "SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINLOGON",
    "SOFTWARE\\CLASSES",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\SHAREDDLLS",
};
constexpr size_t kKeysTheInstallMayMake = 2;  // the last ones above
// Keys whose whole tree is the system's.
constexpr const char* kSystemTrees[] = {"SYSTEM", "CONTROL PANEL", "HARDWARE", "SAM", "SECURITY"};

bool IsRoot(const TCanonicalPath& full) {
    if (full.Kind == TPathKind::Drive) return full.Path.size() == 3;
    return full.Kind == TPathKind::Unc && std::count(full.Path.begin(), full.Path.end(), '\\') == 3;
}

std::string RootPrefix(sys::RegRoot root) { return root == sys::RegRoot::LocalMachine ? "HKLM\\" : "HKCU\\"; }

bool KeyAtOrBelow(const std::string& key, const std::string& parent) {
    return key == parent || (key.size() > parent.size() && key.compare(0, parent.size(), parent) == 0 &&
                             key[parent.size()] == '\\');
}

}  // namespace

std::string ComparableKey(const std::string& key) {
    std::string out;
    for (char c : key) {
        if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
        out += c;
    }
    if (!out.empty() && out.back() == '\\') out.pop_back();
    return UpperCase(out);
}

TProtectedPlaces::TProtectedPlaces(const std::string& ownTitle) {
    sys::System& os = sys::Sys();
    const std::string windows = GetWindowsDir();
    Add(windows);
    // The temporary directory too: the setup itself works in it.
    for (const char* system : {"\\System", "\\System32", "\\SysWOW64", "\\Temp"}) Add(windows + system);
    Add(windows.substr(0, 3) + "Program Files");
    for (const char* name : {"ProgramFilesDir", "CommonFilesDir"}) {
        std::string dir;
        if (os.RegGetString(sys::RegRoot::LocalMachine, kCurrentVersionKey, name, dir)) Add(dir);
    }
    for (int kind : {sfDesktop, sfPrograms, sfStartMenu, sfStartup}) Add(GetShellFolder(kind));
    Add(QuickLaunchFolder());
    for (sys::RegRoot root : {sys::RegRoot::CurrentUser, sys::RegRoot::LocalMachine}) {
        for (const char* key : kShellFolderKeys) {
            std::vector<std::string> subKeys, names;
            if (!os.RegEnumKey(root, key, subKeys, names)) continue;
            for (const std::string& name : names) {
                std::string dir;
                if (os.RegGetString(root, key, name, dir)) Add(dir);
            }
        }
    }
    std::vector<std::string> titles, names;
    if (os.RegEnumKey(sys::RegRoot::LocalMachine, WithoutTrailingBackslash(kUninstallRegistryKey), titles, names))
        for (const std::string& title : titles)
            if (UpperCase(title) != UpperCase(ownTitle)) AddOtherProduct(title);
}

void TProtectedPlaces::Add(const std::string& dir) {
    const TCanonicalPath full = CanonicalPath(dir);
    if (full.Ok()) places_.push_back(full.Path);
}

void TProtectedPlaces::AddOtherProduct(const std::string& title) {
    otherRegistrations_.push_back(ComparableKey(kUninstallRegistryKey + title));
    // A folder registered carelessly (a drive, Program Files itself) protects nothing more.
    const auto addDir = [&](const std::string& dir, bool recorded) {
        if (IsFullPath(dir) && !IsSystemPlace(dir)) others_.push_back({title, CanonicalText(dir), recorded});
    };
    const std::string dir = RegisteredInstallDir(title);
    TUninstallRecord record;
    const bool recorded = IsFullPath(dir) && ReadUninstallRecord(dir, title, record).empty();
    std::string location;
    if (sys::Sys().RegGetString(sys::RegRoot::LocalMachine, kUninstallRegistryKey + title, "InstallLocation", location) &&
        !SamePath(location, dir))
        addDir(location, false);
    addDir(dir, recorded);
    if (!recorded) return;
    const auto addFile = [&](const std::string& path) {
        if (const std::string full = CanonicalText(path); !full.empty()) otherFiles_.emplace_back(UpperCase(full), title);
    };
    addFile(record.CfgPath());
    for (const TWrittenFile& file : record.WrittenFiles) addFile(file.Path);
    for (const std::string& file : record.Files)
        if (file.empty() || file.back() != '*') addFile(file);
    for (const TRegistryEntry& reg : record.RegistryValues)
        otherValues_.Insert(Concat({RootPrefix(reg.Root), ComparableKey(reg.Key), "\\", UpperCase(reg.Name)}));
    for (const TRegistryEntry& reg : record.CreatedRegistryKeys)
        otherValues_.Insert(Concat({RootPrefix(reg.Root), ComparableKey(reg.Key), "\\"}));
}

bool TProtectedPlaces::IsSystemPlace(const std::string& dir) const {
    const TCanonicalPath full = CanonicalPath(dir);
    if (!full.Ok() || IsRoot(full)) return true;
    return std::any_of(places_.begin(), places_.end(),
                       [&](const std::string& place) { return PathIsAtOrBelow(place, full.Path); });
}

bool TProtectedPlaces::Protects(const std::string& dir) const {
    if (IsSystemPlace(dir)) return true;
    const std::string full = CanonicalText(dir);
    return std::any_of(others_.begin(), others_.end(),
                       [&](const Product& p) { return PathIsAtOrBelow(full, p.Dir) || PathIsBelow(p.Dir, full); });
}

bool TProtectedPlaces::KeepsFolder(const std::string& dir) const {
    return IsSystemPlace(dir) ||
           std::any_of(others_.begin(), others_.end(), [&](const Product& p) { return PathIsAtOrBelow(p.Dir, dir); });
}

std::string TProtectedPlaces::OtherOwner(const std::string& path) const {
    const std::string full = UpperCase(CanonicalText(path));
    for (const auto& [file, title] : otherFiles_)
        if (file == full) return title;
    // A product whose record says what it wrote owns that; of one without, its whole folder.
    for (const Product& p : others_)
        if (!p.Recorded && PathIsAtOrBelow(path, p.Dir)) return p.Title;
    return "";
}

std::string TProtectedPlaces::ValueProtection(sys::RegRoot root, const std::string& key, const std::string& name) const {
    const std::string k = ComparableKey(key);
    if (k.empty()) return "a key of the system";
    for (const char* system : kSystemKeys)
        if (k == system) return "a key of the system";
    return Protection(root, k, UpperCase(name));
}

std::string TProtectedPlaces::KeyProtection(sys::RegRoot root, const std::string& key) const {
    const std::string k = ComparableKey(key);
    // Never Software itself or another key right below a root.
    if (std::count(k.begin(), k.end(), '\\') < 1) return "a key of the system";
    for (size_t i = 0; i + kKeysTheInstallMayMake < std::size(kSystemKeys); ++i)
        if (KeyAtOrBelow(kSystemKeys[i], k)) return "a key of the system";
    return Protection(root, k, "");
}

std::string TProtectedPlaces::Protection(sys::RegRoot root, const std::string& k, const std::string& name) const {
    for (const char* tree : kSystemTrees)
        if (KeyAtOrBelow(k, tree)) return "a key of the system";
    if (root == sys::RegRoot::LocalMachine)
        for (const std::string& registration : otherRegistrations_)
            if (KeyAtOrBelow(k, registration)) return "another product's registration";
    if (otherValues_.Contains(Concat({RootPrefix(root), k, "\\", name}))) return "another product's entry";
    return "";
}

}  // namespace zov
