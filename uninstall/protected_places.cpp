#include "uninstall/protected_places.h"

#include "shell/Shortcut.h"
#include "shell/system_helpers.h"
#include "sys/paths.h"
#include "sys/system.h"

namespace zov {
namespace {

constexpr const char* kShellFolderKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
};
constexpr const char* kCurrentVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";

bool IsDriveRoot(const std::string& dir) { return dir.size() == 2 && dir[1] == ':'; }

// "\\SERVER\SHARE" alone.
bool IsShareRoot(const std::string& dir) {
    if (dir.compare(0, 2, "\\\\") != 0) return false;
    const size_t server = dir.find('\\', 2);
    return server != std::string::npos && dir.find('\\', server + 1) == std::string::npos;
}

}  // namespace

std::string ComparableDir(const std::string& path) {
    std::string out;
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = IsPathSeparator(path[i]) ? '\\' : path[i];
        // A leading "\\" names a server; elsewhere a doubled separator counts once.
        if (c == '\\' && !out.empty() && out.back() == '\\' && i > 1) continue;
        out += c;
    }
    while (out.size() > 2 && out.back() == '\\') out.pop_back();
    if (out.size() == 3 && out[1] == ':') out.pop_back();
    return UpperCase(out);
}

bool IsAbsolutePath(const std::string& path) {
    if (path.size() >= 3 && path[1] == ':' && IsPathSeparator(path[2])) return true;
    return path.size() > 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]);
}

bool IsBelow(const std::string& path, const std::string& dir) {
    return path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 && path[dir.size()] == '\\';
}

TProtectedPlaces::TProtectedPlaces() {
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
}

void TProtectedPlaces::Add(const std::string& dir) {
    if (IsAbsolutePath(dir)) places_.push_back(ComparableDir(dir));
}

bool TProtectedPlaces::Protects(const std::string& dir) const {
    if (!IsAbsolutePath(dir)) return true;
    const std::string d = ComparableDir(dir);
    if (IsDriveRoot(d) || IsShareRoot(d)) return true;
    for (const std::string& place : places_)
        if (place == d || IsBelow(place, d)) return true;
    return false;
}

}  // namespace zov
