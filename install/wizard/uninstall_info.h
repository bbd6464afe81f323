#pragma once
// uninstall.cfg: what an install created or changed, written down as it goes so that the
// uninstaller can remove what it made and put back what it changed. Its format, its writer
// (TUninstallInfo, for the setup) and its reader (ReadUninstallRecord, for the uninstaller). A failed write
// raises EUninstallInfoError "Unable to write to PATH".
//
// Sections, all values empty ("key=") unless said otherwise:
//   [Program]   Title=the product title
//   [UNINS]     files and patterns ("*.*", "NAME.*") to remove
//   [Folders]   program folders in the shell folders
//   [Registry]  registry locations as configured, root name included
// and what the uninstaller needs beyond them, numbered from 1 where a key alone could not
// say it:
//   [Written Files]           PATH=new, or PATH=replaced when a file was there before
//   [Created Directories]     directories the install made, parents first
//   [INI Values]              N=file~section~name
//   [Set INI Values]          N=the value the install set, as it reads back
//   [Earlier INI Values]      N=the value it replaced, for the values that existed
//   [Created INI Files]       INI files that did not exist before
//   [Created INI Sections]    N=file~section
//   [Registry Values]         N=HKLM|HKCU~key~value name
//   [Set Registry Values]     N=the string the install set
//   [Earlier Registry Values] N=S:text or D:number it replaced, "?" for a value of another type
//   [Created Registry Keys]   N=HKLM|HKCU~key, parents first
//   [Autoexec]                File=path of autoexec.bat, N=each line of the added block,
//                             New File=1 when there was no autoexec.bat before, New Backup=1
//                             when there was no autoexec.zov
//   [Shared Files]            files put into the Windows or the system directory
// [Program] is written at once; the sections below it are kept and written by Flush, a
// section in one write (each profile write rewrites the whole file), in the order they
// came, so that the four sections above stand together at the top of the file. The
// install's journal removes the file when the install does not complete.
// A later install of the same product, into the same directory or another one, takes over
// what the earlier record holds: one uninstall then removes both, and what the earlier
// install found on the machine is what the uninstall puts back.
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
constexpr const char* kWrittenFiles = "Written Files";
constexpr const char* kCreatedDirectories = "Created Directories";
constexpr const char* kIniValues = "INI Values";
constexpr const char* kSetIniValues = "Set INI Values";
constexpr const char* kEarlierIniValues = "Earlier INI Values";
constexpr const char* kCreatedIniFiles = "Created INI Files";
constexpr const char* kCreatedIniSections = "Created INI Sections";
constexpr const char* kRegistryValues = "Registry Values";
constexpr const char* kSetRegistryValues = "Set Registry Values";
constexpr const char* kEarlierRegistryValues = "Earlier Registry Values";
constexpr const char* kCreatedRegistryKeys = "Created Registry Keys";
constexpr const char* kAutoexec = "Autoexec";
constexpr const char* kSharedFiles = "Shared Files";
}  // namespace uninstall_section

// The [Autoexec] keys that mark autoexec.bat and its backup as made by the install.
constexpr const char* kAutoexecNewFile = "New File";
constexpr const char* kAutoexecNewBackup = "New Backup";

// The [Written Files] values.
constexpr const char* kFileNew = "new";
constexpr const char* kFileReplaced = "replaced";

// A registry value as it was before the install, for [Earlier Registry Values].
std::string EarlierRegistryValue(sys::RegRoot root, const std::string& key, const std::string& name);

// The install directory of the product registered as `title`: the directory of the program
// its UninstallString starts, else its InstallLocation, else the directory of its unfinished
// install; "" when it is not registered.
std::string RegisteredInstallDir(const std::string& title);
// The directory of the program a command line such as UninstallString starts: the quoted
// path, or the text up to ".exe".
std::string CommandProgramDir(const std::string& command);

class TUninstallInfo {
public:
    static constexpr const char* kFileName = "uninstall.cfg";

    // Opens TargetDir\uninstall.cfg, erases the sections of an earlier install, writes the
    // title and the two default patterns, and takes over the records of the earlier install
    // of `title` in this directory and in `earlierDir` (another directory, or "").
    void Open(const std::string& targetDir, const std::string& title, const std::string& earlierDir = "");
    bool IsOpen() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }

    void AddFile(const std::string& pathOrPattern) { Key("UNINS", pathOrPattern); }
    void AddFolder(const std::string& dir) { Key("Folders", dir); }
    void AddRegistryLocation(const std::string& location) { Key("Registry", location); }
    // A file the install wrote; `replaced` when one was there before.
    void AddWrittenFile(const std::string& path, bool replaced);
    void AddCreatedDirectory(const std::string& dir) {
        if (FirstRecord(uninstall_section::kCreatedDirectories, dir)) Later(uninstall_section::kCreatedDirectories, dir, "");
    }
    // `set` is what the install wrote; `earlier` the value that was there, "" with `existed`
    // false when there was none.
    void AddIniValue(const std::string& file, const std::string& section, const std::string& name,
                     const std::string& set, bool existed, const std::string& earlier);
    void AddCreatedIniFile(const std::string& file) {
        if (FirstRecord(uninstall_section::kCreatedIniFiles, file)) Later(uninstall_section::kCreatedIniFiles, file, "");
    }
    void AddCreatedIniSection(const std::string& file, const std::string& section);
    // `earlier` as EarlierRegistryValue gives it, "" when there was none.
    void AddRegistryValue(sys::RegRoot root, const std::string& key, const std::string& name,
                          const std::string& set, const std::string& earlier);
    void AddCreatedRegistryKey(sys::RegRoot root, const std::string& key);
    void AddAutoexecLine(const std::string& autoexecPath, const std::string& line);
    // Whether the install made autoexec.bat and autoexec.zov (or the earlier install did).
    void SetAutoexecMade(bool file, bool backup);
    void AddSharedFile(const std::string& path);
    // Whether this install, or the earlier one it takes over, listed the file.
    bool IsSharedFile(const std::string& path) const;
    bool WasSharedFile(const std::string& path) const;
    // The block the earlier install added to autoexec.bat, which this one replaces.
    const std::string& EarlierAutoexecFile() const { return earlierAutoexecFile_; }
    const std::vector<std::string>& EarlierAutoexecLines() const { return earlierAutoexec_; }
    // Writes what was kept back, a changed section at a time.
    void Flush();

    static std::string RootName(sys::RegRoot root) { return root == sys::RegRoot::LocalMachine ? "HKLM" : "HKCU"; }

private:
    void Key(const std::string& section, const std::string& key) { Write(section, key, ""); }
    // With the value, what the paired sections hold for the same number (those present).
    struct Paired {
        const char* section;
        std::string value;
        bool present;
    };
    void Numbered(const std::string& section, const std::string& value, const std::vector<Paired>& paired = {});
    void TakeOver(const std::string& cfgPath, bool sameDir);
    // A value written again: what it reads now is what the uninstall compares with.
    void SetAgain(const char* setSection, const std::string& record, const std::string& set);
    bool FirstRecord(const std::string& section, const std::string& value);  // of one that occurs once
    void Write(const std::string& section, const std::string& key, const std::string& value);
    void Later(const std::string& section, const std::string& key, const std::string& value) {
        later_.push_back({section, key, value});
    }
    struct Entry {
        std::string section, key, value;
    };
    std::vector<Entry> later_;
    std::vector<Entry> written_;  // the entries of the sections Open erased, in the order they came
    TNameSet writtenKeys_;        // their sections and keys, upper case
    size_t unwritten_ = 0;        // the first of written_ changed since the last Flush
    std::vector<std::pair<std::string, std::string>> numbers_;  // section and upper-case value, its number

    std::string path_;
    TNameCounts counts_;     // entries of each numbered section so far
    TNameSet shared_;        // upper-case paths of [Shared Files]
    TNameSet sharedBefore_;  // ... as the earlier install left them
    TNameSet recorded_;      // section and upper-case value of each record that occurs once
    std::string earlierAutoexecFile_;
    std::vector<std::string> earlierAutoexec_;
    bool earlierNewAutoexec_ = false;
    bool earlierNewBackup_ = false;
};

// --- reading it back, for the uninstaller ---------------------------------------------------

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
