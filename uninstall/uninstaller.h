#pragma once
// The removal itself, apart from any window: from what uninstall.cfg records it removes the
// links and program folders, the files, the INI values, the registry values and keys, the
// autoexec.bat block, the Windows registration and the directories the install made, and
// puts back the values the install replaced. It removes only what the install wrote or
// made: a "*.*" pattern reaches only into a directory the install created, and the other
// files there (the user's, the program's) stay unless asked for. It never touches a
// protected place, the system's keys or what another product owns (see TProtectedPlaces),
// never deletes an INI file or a registry key that was there before, and deletes a shared
// file only when no other product counts it. What cannot be removed now is removed at the
// next restart where Windows can, and listed in the report either way.
#include <memory>
#include <string>
#include <vector>

#include "install/wizard/install_engine.h"
#include "install/wizard/uninstall_info.h"
#include "shell/name_set.h"
#include "uninstall/protected_places.h"

namespace zov {

enum class TUninstallEnd {
    Removed,    // everything went (see Leftovers for what stayed)
    Refused,    // the uninstall information cannot be used: nothing was touched
    Cancelled,  // the user said no: nothing was touched
};

struct TUninstallReport {
    TUninstallEnd End = TUninstallEnd::Removed;
    std::string Error;                   // why it was refused
    std::vector<std::string> Leftovers;  // "PATH: reason" of what could not be removed
    std::vector<std::string> Kept;       // "PATH: reason" of what stays on purpose
    int ExitCode() const;                // 0 removed, 1 cancelled or refused, 2 removed with leftovers
};

class TUninstaller {
public:
    TUninstaller(TInstallProgress& progress, TInstallLog* log = nullptr);

    // Reads `dir`\uninstall.cfg for `title`; false with the reason in Error() when it cannot
    // be used.
    bool Open(const std::string& dir, const std::string& title);
    const std::string& Error() const { return error_; }
    const TUninstallRecord& Record() const { return record_; }
    // After Open: the files in the product's folders (the directories the install created
    // where its "*.*" patterns reach) that the install did not write. They stay unless
    // RemoveOtherFiles is set.
    const std::vector<std::string>& OtherFiles() const { return otherFiles_; }
    bool RemoveOtherFiles = false;

    // The running program's own file, which it cannot delete: it is left for the program
    // to remove once it has ended (see SelfDirectories).
    std::string SelfPath;

    TUninstallReport Run();

    // After Run: whether SelfPath was one of the files to remove, and the directories,
    // deepest first, that stay only because it is still there.
    bool SelfLeft() const { return selfLeft_; }
    const std::vector<std::string>& SelfDirectories() const { return selfDirs_; }

private:
    void FindOtherFiles();
    bool IsCreatedDirectory(const std::string& dir) const;
    bool IsWritten(const std::string& path) const;
    void RemoveLinks();
    void RemoveFiles();
    void RemoveFile(const std::string& path);
    void DeleteOrSchedule(const std::string& path);
    void RemoveIniEntries();
    void RemoveRegistryValues();
    void RemoveAutoexecBlock();
    void RemoveRegistration();
    void RemoveCreatedKeys();
    void RemoveDirectories();
    void RemoveEmptyDirectory(const std::string& dir, bool listWhenKept);
    bool IsIniFile(const std::string& path) const;
    void Step(const std::string& status);
    void Note(const std::string& line);
    void Leftover(const std::string& path, const std::string& reason);
    void Keep(const std::string& path, const std::string& reason);

    TInstallProgress& progress_;
    TInstallLog* log_;
    TUninstallRecord record_;
    std::string error_;
    std::unique_ptr<TProtectedPlaces> places_;
    std::vector<std::string> otherFiles_;
    TNameSet written_;  // upper-case full paths of [Written Files]
    TUninstallReport report_;
    bool selfLeft_ = false;
    std::vector<std::string> selfDirs_;
    TNameSet tried_;  // upper-case paths of the files already dealt with
    bool unfinished_ = false;  // the install was killed: Run rolls it back first
};

}  // namespace zov
