#include "install/destination_check.h"

#include <algorithm>

#include "shell/Shortcut.h"
#include "shell/system_helpers.h"
#include "sys/canonical_path.h"
#include "sys/paths.h"

namespace zov {

bool IsSharedPlace(const std::string& path) {
    const TCanonicalPath full = CanonicalPath(path);
    if (!full.Ok()) return false;
    // "C:\", or "\\server\share" with nothing below it.
    if (full.Kind == TPathKind::Drive ? full.Path.size() == 3 : std::count(full.Path.begin(), full.Path.end(), '\\') == 3)
        return true;
    const std::string windows = GetWindowsDir();
    for (const char* below : {"", "\\System", "\\System32"})
        if (SamePath(full.Path, windows + below)) return true;
    if (SamePath(full.Path, windows.substr(0, 3) + "Program Files")) return true;
    for (int folder = sfDesktop; folder <= sfStartup; ++folder)
        if (SamePath(full.Path, GetShellFolder(folder))) return true;
    return false;
}

TDestinationCheck CheckDestination(const std::string& text, const std::string& productFolder) {
    TDestinationCheck check;
    const TCanonicalPath full = CanonicalPath(text);
    if (!full.Ok()) {
        check.Refusal = full.Kind == TPathKind::Device
                            ? "\"" + text + "\" names a device, not a directory."
                            : "\"" + text + "\" is not a full path: give the drive too, as in C:\\Program Files\\Tool.";
        return check;
    }
    check.Path = full.Path;
    if (IsSharedPlace(check.Path)) {
        if (productFolder.empty() || IsSharedPlace(JoinPath(check.Path, productFolder))) {
            check.Refusal = check.Path + " is shared by the whole system: choose a directory of its own for the product.";
            return check;
        }
        check.Path = JoinPath(check.Path, productFolder);
    }
    if (FileExists(check.Path)) check.Refusal = check.Path + " is a file: choose a directory.";
    return check;
}

std::string ProductFolderName(const std::string& installDir) {
    const std::string full = CanonicalText("C:\\" + installDir);
    return full.size() > 3 ? FileNamePart(full) : std::string();
}

}  // namespace zov
