#pragma once
// What an install wrote into uninstall.cfg, read back for the uninstaller (the format is
// TUninstallInfo's, see install/wizard/uninstall_info.h).
#include <string>
#include <vector>

#include "sys/system.h"

namespace zov {

struct TIniEntry {
    std::string File;
    std::string Section;
    std::string Name;      // empty for a section
    bool HasSet = false;   // the value the install set is known: Set
    std::string Set;
    bool Existed = false;  // the value was there before the install: put Earlier back
    std::string Earlier;
};

struct TRegistryEntry {
    sys::RegRoot Root = sys::RegRoot::CurrentUser;
    std::string Key;      // below the root
    std::string Name;     // empty for a key
    bool HasSet = false;  // the string the install set is known: Set
    std::string Set;
    std::string Earlier;  // "S:text", "D:number", "?" (another type), "" when there was none
};

struct TWrittenFile {
    std::string Path;
    bool Replaced = false;  // a file of that name was there before
};

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER", for messages.
std::string RootKeyName(sys::RegRoot root);

struct TUninstallRecord {
    std::string Dir;  // the install directory: where uninstall.cfg lies
    std::string Title;
    std::vector<std::string> Files;  // files, "*.*" and "NAME.*" patterns
    std::vector<TWrittenFile> WrittenFiles;
    std::vector<std::string> Folders;
    std::vector<std::string> CreatedDirectories;  // parents first
    std::vector<TIniEntry> IniValues;
    std::vector<std::string> CreatedIniFiles;
    std::vector<TIniEntry> CreatedIniSections;
    std::vector<TRegistryEntry> RegistryValues;
    std::vector<TRegistryEntry> CreatedRegistryKeys;  // parents first
    std::string AutoexecFile;
    std::vector<std::string> AutoexecLines;
    bool AutoexecNewFile = false;    // the install made autoexec.bat
    bool AutoexecNewBackup = false;  // ... and autoexec.zov
    std::vector<std::string> SharedFiles;

    std::string CfgPath() const;
};

// Reads `dir`\uninstall.cfg for the product `title`. Returns "" when it is read, else why it
// cannot be used: missing, naming no product, or naming another one.
std::string ReadUninstallRecord(const std::string& dir, const std::string& title, TUninstallRecord& record);

}  // namespace zov
