#pragma once
// uninstall.cfg: what an install created, written down as it goes so that the uninstaller
// can remove it later. Every write goes to disk at once; a failed one raises
// EUninstallInfoError "Unable to write to PATH".
//
// Sections, all values empty ("key=") unless said otherwise:
//   [Program]   Title=the product title
//   [UNINS]     files and patterns ("*.*", "NAME.*") to remove
//   [Folders]   program folders in the shell folders
//   [Registry]  registry locations as configured, root name included
// and what the uninstaller needs beyond them, numbered from 1 where a key alone could not
// say it:
//   [Created Directories]   directories the install made, parents first
//   [INI Values]            N=file~section~name
//   [Created INI Files]     INI files that did not exist before
//   [Created INI Sections]  N=file~section
//   [Registry Values]       N=HKLM|HKCU~key~value name
//   [Created Registry Keys] N=HKLM|HKCU~key, parents first
//   [Autoexec]              File=path of autoexec.bat, N=each line of the added block
//   [Shared Files]          files put into the Windows or the system directory
// The extra sections are kept back and written by Flush, after the others, so that the
// four sections above stand together at the top of the file, each write at once.
// A later install into the same directory starts every section but [Program] afresh, except
// that it keeps what the earlier one created.
#include <string>
#include <vector>

#include "shell/name_set.h"
#include "sys/exception.h"
#include "sys/system.h"

namespace zov {

ZOV_EXCEPTION(EUninstallInfoError);

// The registration of an installed product below HKEY_LOCAL_MACHINE, followed by its title.
constexpr const char* kUninstallRegistryKey = "Software\\Microsoft\\Windows\\currentversion\\uninstall\\";

// The section names, for the uninstaller that reads them.
namespace uninstall_section {
constexpr const char* kProgram = "Program";
constexpr const char* kFiles = "UNINS";
constexpr const char* kFolders = "Folders";
constexpr const char* kRegistry = "Registry";
constexpr const char* kCreatedDirectories = "Created Directories";
constexpr const char* kIniValues = "INI Values";
constexpr const char* kCreatedIniFiles = "Created INI Files";
constexpr const char* kCreatedIniSections = "Created INI Sections";
constexpr const char* kRegistryValues = "Registry Values";
constexpr const char* kCreatedRegistryKeys = "Created Registry Keys";
constexpr const char* kAutoexec = "Autoexec";
constexpr const char* kSharedFiles = "Shared Files";
}  // namespace uninstall_section

class TUninstallInfo {
public:
    static constexpr const char* kFileName = "uninstall.cfg";

    // Opens TargetDir\uninstall.cfg, erases the sections of an earlier install, writes the
    // title and the two default patterns.
    void Open(const std::string& targetDir, const std::string& title);
    bool IsOpen() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }

    void AddFile(const std::string& pathOrPattern) { Key("UNINS", pathOrPattern); }
    void AddFolder(const std::string& dir) { Key("Folders", dir); }
    void AddRegistryLocation(const std::string& location) { Key("Registry", location); }
    void AddCreatedDirectory(const std::string& dir) {
        if (FirstRecord(uninstall_section::kCreatedDirectories, dir)) Later(uninstall_section::kCreatedDirectories, dir, "");
    }
    void AddIniValue(const std::string& file, const std::string& section, const std::string& name);
    void AddCreatedIniFile(const std::string& file) {
        if (FirstRecord(uninstall_section::kCreatedIniFiles, file)) Later(uninstall_section::kCreatedIniFiles, file, "");
    }
    void AddCreatedIniSection(const std::string& file, const std::string& section);
    void AddRegistryValue(sys::RegRoot root, const std::string& key, const std::string& name);
    void AddCreatedRegistryKey(sys::RegRoot root, const std::string& key);
    void AddAutoexecLine(const std::string& autoexecPath, const std::string& line);
    void AddSharedFile(const std::string& path);
    // Whether this install, or the earlier one into the same directory, listed the file.
    bool IsSharedFile(const std::string& path) const;
    bool WasSharedFile(const std::string& path) const;
    // Writes what was kept back.
    void Flush();

    static std::string RootName(sys::RegRoot root) { return root == sys::RegRoot::LocalMachine ? "HKLM" : "HKCU"; }

private:
    void Key(const std::string& section, const std::string& key) { Write(section, key, ""); }
    void Numbered(const std::string& section, const std::string& value);
    void CarryOverCreated();
    bool FirstRecord(const std::string& section, const std::string& value);  // of a "created" one
    void Write(const std::string& section, const std::string& key, const std::string& value);
    void Later(const std::string& section, const std::string& key, const std::string& value) {
        later_.push_back({section, key, value});
    }
    struct Entry {
        std::string section, key, value;
    };
    std::vector<Entry> later_;

    std::string path_;
    TNameCounts counts_;    // entries of each numbered section so far
    TNameSet shared_;       // upper-case paths of [Shared Files]
    TNameSet sharedBefore_;  // ... as the earlier install left them
    TNameSet created_;       // section and upper-case value of each "created" record
};

}  // namespace zov
