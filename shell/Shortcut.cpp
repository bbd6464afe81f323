#include "shell/Shortcut.h"

#include <memory>

#include "shell/system_helpers.h"
#include "sys/paths.h"
#include "sys/system.h"
#include "sys/concat.h"

namespace zov {
namespace {

constexpr const char* kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

const char* ValueNameOf(int kind) {
    switch (kind) {
        case sfDesktop: return "Desktop";
        case sfPrograms: return "Programs";
        case sfStartMenu: return "Start Menu";
        case sfStartup: return "Startup";
        default: return "";
    }
}

std::string WithBackslash(const std::string& path) {
    return !path.empty() && path.back() == '\\' ? path : path + "\\";
}

}  // namespace

std::string GetShellFolder(int kind) {
    const std::string name = ValueNameOf(kind);
    std::string path;
    if (name.empty() || !sys::Sys().RegGetString(sys::RegRoot::CurrentUser, kShellFoldersKey, name, path) ||
        path.empty())
        path = Concat({GetWindowsDir(), "\\", name});
    return WithBackslash(path);
}

std::string QuickLaunchFolder() {
    return GetWindowsDir() + "\\Application Data\\Microsoft\\Internet Explorer\\Quick Launch\\";
}

TShortcuts::TShortcuts() { FillFolderList(); }

void TShortcuts::FillFolderList() {
    FolderList.clear();
    std::vector<sys::FindEntry> entries;
    sys::Sys().FindFiles(GetShellFolder(sfPrograms) + "*.*", false, entries);
    for (const sys::FindEntry& entry : entries) {
        if (!entry.name.empty() && entry.name[0] == '.') continue;
        if (UpperCase(entry.name).find(".LNK") != std::string::npos) continue;
        FolderList.push_back(entry.name);
    }
}

void TShortcuts::CreateShortcuts() {
    saved_.clear();
    notSaved_.clear();
    std::unique_ptr<sys::ShellLink> link = sys::Sys().CreateShellLink();
    if (!link) throw EShortcutError("Unable to create a shell link object");
    link->SetPath(RunProgram);
    link->SetWorkingDirectory(DirectoryPart(RunProgram));
    link->SetIconLocation(IconFile, 0);

    const std::string fileName = ProgramName + ".lnk";
    auto save = [&](const std::string& path) {
        if (link->Save(path))
            saved_.push_back(path);
        else
            notSaved_.push_back(sys::FailureOf(path));
    };
    auto saveInto = [&](const std::string& dir) {
        if (!ForceDirectories(dir)) {
            const sys::Failure failure = sys::FailureOf(WithoutTrailingBackslash(dir));
            throw EShortcutError(failure.Describe(), failure);
        }
        save(dir + fileName);
    };
    if (FolderDesktop || FolderStartMenu) {
        if (FolderDesktop) {
            saveInto(Concat({GetShellFolder(sfDesktop), Folder, "\\"}));
            saveInto(Concat({GetShellFolder(sfPrograms), Folder, "\\"}));
        }
        if (FolderStartMenu) saveInto(Concat({GetShellFolder(sfStartMenu), Folder, "\\"}));
        if (FolderQuickLaunch) saveInto(Concat({QuickLaunchFolder(), Folder, "\\"}));
    } else {
        saveInto(Concat({GetShellFolder(sfPrograms), Folder, "\\"}));
    }
    if (Desktop) save(GetShellFolder(sfDesktop) + fileName);
    if (StartMenu) save(GetShellFolder(sfStartMenu) + fileName);
    if (QuickLaunch) save(QuickLaunchFolder() + fileName);
}

}  // namespace zov
