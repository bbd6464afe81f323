#pragma once
// The one interface to the operating system. Portable code reaches files, profile files,
// the registry, shell links, program launch and restart only through System; the Win32
// build talks to the real API, the host build to an emulated Windows machine.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sys/sys_error.h"

namespace zov::sys {

// Windows file attribute bits.
enum : uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
    kAttrNormal = 0x80,
};
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFFu;

enum class FileAccess { Read, Write, ReadWrite };
enum class FileCreate {
    OpenExisting,   // fail when missing
    CreateAlways,   // create or truncate
    OpenAlways,     // open or create, keep contents
};
enum class FileShare { Exclusive, DenyWrite, DenyNone };
enum class SeekOrigin { Begin, Current, End };

class File {
public:
    virtual ~File() = default;
    // Both return false on an I/O error; `done` holds the bytes moved either way.
    virtual bool Read(void* buffer, uint32_t count, uint32_t& done) = 0;
    virtual bool Write(const void* buffer, uint32_t count, uint32_t& done) = 0;
    virtual bool Seek(int64_t offset, SeekOrigin origin, int64_t& position) = 0;
    virtual int64_t Size() = 0;
    // Last-write time from a packed DOS date and time in local time.
    virtual bool SetDosTime(uint16_t dosDate, uint16_t dosTime) = 0;
    virtual bool GetDosTime(uint16_t& dosDate, uint16_t& dosTime) = 0;
    // Has what was written reach the disk itself, so that it outlasts a loss of power.
    virtual bool Flush() { return true; }
};

struct FindEntry {
    std::string name;  // long name, no directory part
    uint32_t attributes = 0;
    uint64_t size = 0;
};

enum class RegRoot { CurrentUser, LocalMachine };

// A shell link being configured, saved to one or more places (the COM ShellLink object).
class ShellLink {
public:
    virtual ~ShellLink() = default;
    virtual void SetPath(const std::string& target) = 0;
    virtual void SetWorkingDirectory(const std::string& dir) = 0;
    virtual void SetIconLocation(const std::string& file, int index) = 0;
    virtual void SetArguments(const std::string& args) = 0;
    virtual void SetDescription(const std::string& text) = 0;
    virtual bool Save(const std::string& linkPath) = 0;
};

class System {
public:
    virtual ~System() = default;

    // --- files and directories --------------------------------------------------------
    virtual std::unique_ptr<File> OpenFile(const std::string& path, FileAccess access,
                                           FileCreate create, FileShare share) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    // Moves a file to `to` on the same drive, replacing a file of that name (MoveFileEx with
    // MOVEFILE_REPLACE_EXISTING): how a rewritten file takes the old one's place whole.
    virtual bool MoveFileReplacing(const std::string& from, const std::string& to) = 0;
    virtual bool CreateDirectory(const std::string& path) = 0;
    virtual bool RemoveDirectory(const std::string& path) = 0;
    virtual uint32_t GetFileAttributes(const std::string& path) = 0;  // kInvalidAttributes when missing
    virtual bool SetFileAttributes(const std::string& path, uint32_t attributes) = 0;
    // Entries matching a FindFirstFile pattern such as "C:\dir\*.*"; false when none.
    // Hidden and system entries are returned only when `includeHiddenSystem` is set. Below
    // a drive root the list starts with "." and ".."; a name also matches through its 8.3
    // name ("*.htm" finds "page.html"). A pattern ending in "\" matches nothing.
    virtual bool FindFiles(const std::string& pattern, bool includeHiddenSystem,
                           std::vector<FindEntry>& entries) = 0;
    // Free bytes available on the drive whose root is given ("C:\"); false when the query fails.
    virtual bool GetDiskFreeSpace(const std::string& root, uint64_t& freeBytes) = 0;
    // Bytes in one cluster of the drive whose root is given: the least room a file that is
    // not empty takes there. False when the query fails.
    virtual bool GetDiskClusterSize(const std::string& root, uint32_t& bytesPerCluster) = 0;
    virtual std::string GetWindowsDirectory() = 0;  // e.g. "C:\WINDOWS", as the system gives it
    // Each name that is not a legal 8.3 name becomes its 8.3 name; false when the path is
    // missing.
    virtual bool GetShortPathName(const std::string& path, std::string& shortPath) = 0;
    virtual std::string GetCurrentDirectory() = 0;
    virtual bool SetCurrentDirectory(const std::string& path) = 0;
    virtual std::string GetFullPathName(const std::string& path) = 0;

    // --- profile (INI) files ---------------------------------------------------------
    // A bare file name lies in the Windows directory. `bufferSize` is the caller's buffer
    // in bytes including the terminator; longer values come back cut to bufferSize - 1
    // characters. A missing file, section or key gives the default, which loses trailing
    // blanks. An empty section or key name gives the default as well.
    virtual std::string GetProfileString(const std::string& file, const std::string& section,
                                         const std::string& key, const std::string& defaultValue,
                                         uint32_t bufferSize) = 0;
    // The section's key names in file order, as they fit into `bufferSize` bytes of
    // zero-terminated names followed by one more zero: a list that does not leave a byte
    // free is cut to bufferSize - 2 bytes, so the last name seen may be cut.
    virtual std::vector<std::string> GetProfileKeyNames(const std::string& file,
                                                        const std::string& section,
                                                        uint32_t bufferSize) = 0;
    virtual std::vector<std::string> GetProfileSectionNames(const std::string& file,
                                                            uint32_t bufferSize) = 0;
    virtual bool WriteProfileString(const std::string& file, const std::string& section,
                                    const std::string& key, const std::string& value) = 0;
    // Removes one key, or with an empty key the whole section (WritePrivateProfileString
    // with a null value or key). Removing what is not there succeeds.
    virtual bool DeleteProfileEntry(const std::string& file, const std::string& section,
                                    const std::string& key) = 0;
    // The section then holds `lines` ("key=value") in their order and no other keys, where
    // it stands or added at the end (WritePrivateProfileSection: one write of the file, where
    // each WriteProfileString rewrites it). A line without "=" is left out.
    virtual bool WriteProfileSection(const std::string& file, const std::string& section,
                                     const std::vector<std::string>& lines) = 0;

    // --- registry ----------------------------------------------------------------------
    // Key paths are relative to the root: a leading "\" makes the call fail, as it makes
    // RegCreateKeyEx fail; a trailing one is ignored.
    // Creates the key and all missing parents.
    virtual bool RegCreateKey(RegRoot root, const std::string& subKey) = 0;
    virtual bool RegKeyExists(RegRoot root, const std::string& subKey) = 0;
    // Creates the key when missing, then sets a REG_SZ value ("" names the default value).
    virtual bool RegSetString(RegRoot root, const std::string& subKey, const std::string& name,
                              const std::string& value) = 0;
    virtual bool RegGetString(RegRoot root, const std::string& subKey, const std::string& name,
                              std::string& value) = 0;
    // Creates the key when missing, then sets a REG_DWORD value.
    virtual bool RegSetDword(RegRoot root, const std::string& subKey, const std::string& name,
                             uint32_t value) = 0;
    // False when the value is missing or is not a DWORD (a string is not read as one).
    virtual bool RegGetDword(RegRoot root, const std::string& subKey, const std::string& name,
                             uint32_t& value) = 0;
    // False when the key or the value is missing.
    virtual bool RegDeleteValue(RegRoot root, const std::string& subKey, const std::string& name) = 0;
    // Removes a key and its values. A key that still has subkeys is kept and the call fails,
    // on every Windows (Windows 95 alone would remove the whole tree).
    virtual bool RegDeleteKey(RegRoot root, const std::string& subKey) = 0;
    // The names of the key's subkeys and of its values ("" for the default value); false
    // when the key is missing.
    virtual bool RegEnumKey(RegRoot root, const std::string& subKey, std::vector<std::string>& subKeys,
                            std::vector<std::string>& valueNames) = 0;

    // --- shell -------------------------------------------------------------------------
    virtual std::unique_ptr<ShellLink> CreateShellLink() = 0;  // null when unavailable
    // ShellExecute's result: greater than 32 on success, 2 when the file is not found. An
    // empty verb is the default verb; an empty directory, the current one.
    virtual intptr_t ShellExecute(const std::string& verb, const std::string& file,
                                  const std::string& parameters, const std::string& directory,
                                  int showMode) = 0;

    // --- session -----------------------------------------------------------------------
    virtual bool AdjustTokenPrivilege(const std::string& name, bool enable) = 0;
    virtual bool ExitWindows(uint32_t flags) = 0;
    // Has the file, or the empty directory, deleted when Windows next starts (a file in use
    // cannot be deleted before). False when it is missing or cannot be scheduled.
    virtual bool DeleteAtRestart(const std::string& path) = 0;
    virtual void Yield() = 0;  // give up the rest of the time slice

    // --- failures ----------------------------------------------------------------------
    // Why the last operation that failed failed (GetLastError and the system's text). Only
    // meaningful right after a failure: successful calls may leave it as it was.
    virtual SysError LastError() = 0;
};

// "PATH: reason" for the last failure, for messages and log lines.
std::string FailureText(const std::string& path);
// The failure of the call on `path` that has just failed: to be taken right after it,
// before any other call of the system.
Failure FailureOf(const std::string& path);

// The system every portable routine uses; the program's entry or a test installs it.
System& Sys();
void SetSystem(System* system);

// The real Win32 system on Windows, the emulated machine elsewhere (see sys/emu).
std::unique_ptr<System> MakeDefaultSystem();

}  // namespace zov::sys
