#pragma once
// An emulated Windows machine under one Linux folder (the machine's root), so that the whole
// setup runs and is tested natively.
//
// Layout of the root:
//   c/, a/, ...   the drives C:, A:, ... (a drive exists when its folder does); the Windows
//                 directory is C:\WINDOWS, made with SYSTEM, TEMP and the shell folders,
//                 and C:\Program Files
//   entries       DOS attributes and 8.3 names of files and folders (see EntryStore)
//   registry.reg  the registry, a REGEDIT4 file (see RegistryStore)
//   launch.log    journal of the session requests, one line each, fields split by tabs:
//                   shellexecute <verb> <file> <parameters> <directory> <show mode> <result>
//                   privilege <name> enable|disable
//                   exitwindows <flags>
//                   deleteatrestart <full path>
//
// MakeDefaultSystem() gives the machine whose root is $ZOV_MACHINE, or /tmp/zov-machine-<uid>
// when that is not set; the folder is made on first use.
//
// Names are matched without regard to case, and also by their 8.3 names. Open files honour
// share modes and the read-only, hidden and system attributes as Windows does.
//
// The machine is a sandbox: every path leads below its folder or is refused with the error
// Windows gives (a share: ERROR_BAD_NETPATH; a name Windows does not allow:
// ERROR_INVALID_NAME; a name too long: ERROR_FILENAME_EXCED_RANGE), and a link inside it that
// leads out is refused with ERROR_ACCESS_DENIED, never followed. NUL and CON take what is
// written and give nothing to read. Only a machine made with HostPaths::Taken (a builder
// tool's) takes host paths ("/..." without "\") as they are.
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "sys/emu/emu_file.h"
#include "sys/emu/entry_store.h"
#include "sys/emu/registry_store.h"
#include "sys/system.h"

namespace zov::sys::emu {

enum class HostPaths { Refused, Taken };

class EmulatedSystem : public System {
public:
    explicit EmulatedSystem(std::filesystem::path root, HostPaths hostPaths = HostPaths::Refused);

    const std::filesystem::path& Root() const { return root_; }
    void SetHostPaths(HostPaths hostPaths) { hostPaths_ = hostPaths; }
    // The host file or folder that a Windows path names on this machine; empty when the path
    // leads nowhere on it.
    std::filesystem::path ToHost(const std::string& path);
    std::filesystem::path RegistryFile() const { return root_ / "registry.reg"; }
    std::filesystem::path JournalFile() const { return root_ / "launch.log"; }
    // The journal's lines, oldest first.
    std::vector<std::string> Journal() const;

    // --- faults and settings for tests -------------------------------------------------
    // The disk fills up after `bytes` more bytes have been written (all drives together):
    // the write that crosses the limit writes what fits and fails.
    void FailWritesAfter(uint64_t bytes);
    // The file or folder (a Windows path) cannot be created; an existing file of that name
    // cannot be created anew either.
    void FailCreating(const std::string& path);
    // Reads from the file fail (for handles opened after this call).
    void FailReading(const std::string& path);
    // The registry key and every key below it cannot be created or given values.
    void FailRegistryKey(RegRoot root, const std::string& subKey);
    void ClearFaults();
    // Free bytes that GetDiskFreeSpace reports; without it the host's free space is reported.
    void SetFreeDiskSpace(uint64_t bytes) { freeSpace_ = bytes; }
    // ... on one drive ('D'), ahead of the setting for all.
    void SetFreeDiskSpace(char drive, uint64_t bytes);
    // Bytes per cluster that GetDiskClusterSize reports on every drive; without it the host's
    // block size is reported.
    void SetClusterSize(uint32_t bytes) { clusterSize_ = bytes; }

    std::unique_ptr<File> OpenFile(const std::string& path, FileAccess access, FileCreate create,
                                   FileShare share) override;
    bool DeleteFile(const std::string& path) override;
    bool MoveFileReplacing(const std::string& from, const std::string& to) override;
    bool CreateDirectory(const std::string& path) override;
    bool RemoveDirectory(const std::string& path) override;
    uint32_t GetFileAttributes(const std::string& path) override;
    bool SetFileAttributes(const std::string& path, uint32_t attributes) override;
    bool FindFiles(const std::string& pattern, bool includeHiddenSystem,
                   std::vector<FindEntry>& entries) override;
    bool GetDiskFreeSpace(const std::string& root, uint64_t& freeBytes) override;
    bool GetDiskClusterSize(const std::string& root, uint32_t& bytesPerCluster) override;
    std::string GetWindowsDirectory() override;
    bool GetShortPathName(const std::string& path, std::string& shortPath) override;
    std::string GetCurrentDirectory() override;
    bool SetCurrentDirectory(const std::string& path) override;
    std::string GetFullPathName(const std::string& path) override;

    std::string GetProfileString(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& defaultValue,
                                 uint32_t bufferSize) override;
    std::vector<std::string> GetProfileKeyNames(const std::string& file, const std::string& section,
                                                uint32_t bufferSize) override;
    std::vector<std::string> GetProfileSectionNames(const std::string& file,
                                                    uint32_t bufferSize) override;
    bool WriteProfileString(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value) override;
    bool DeleteProfileEntry(const std::string& file, const std::string& section,
                            const std::string& key) override;
    bool WriteProfileSection(const std::string& file, const std::string& section,
                             const std::vector<std::string>& lines) override;

    bool RegCreateKey(RegRoot root, const std::string& subKey) override;
    bool RegKeyExists(RegRoot root, const std::string& subKey) override;
    bool RegSetString(RegRoot root, const std::string& subKey, const std::string& name,
                      const std::string& value) override;
    bool RegGetString(RegRoot root, const std::string& subKey, const std::string& name,
                      std::string& value) override;
    bool RegSetDword(RegRoot root, const std::string& subKey, const std::string& name,
                     uint32_t value) override;
    bool RegGetDword(RegRoot root, const std::string& subKey, const std::string& name,
                     uint32_t& value) override;
    bool RegDeleteValue(RegRoot root, const std::string& subKey, const std::string& name) override;
    bool RegDeleteKey(RegRoot root, const std::string& subKey) override;
    bool RegEnumKey(RegRoot root, const std::string& subKey, std::vector<std::string>& subKeys,
                    std::vector<std::string>& valueNames) override;

    std::unique_ptr<ShellLink> CreateShellLink() override;
    intptr_t ShellExecute(const std::string& verb, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int showMode) override;
    bool AdjustTokenPrivilege(const std::string& name, bool enable) override;
    bool ExitWindows(uint32_t flags) override;
    bool DeleteAtRestart(const std::string& path) override;
    void Yield() override {}
    SysError LastError() override { return {state_->lastError, StandardErrorText(state_->lastError)}; }

private:
    // Where a path leads on this machine.
    struct Place {
        uint32_t error = 0;       // why it leads nowhere; 0 when it does
        bool nullDevice = false;  // NUL or CON
        std::string full;         // the full Windows path, or the host path as given
        std::filesystem::path host;
        bool Refused() const { return error != 0; }
    };
    Place Locate(const std::string& path);
    // Records `code` as the reason of the failure being reported; returns false.
    bool Fail(uint32_t code) {
        state_->lastError = code;
        return false;
    }
    // The reason a path that does not exist cannot be used: its file or its folder is missing.
    uint32_t MissingCode(const std::filesystem::path& host);
    std::string Full(const std::string& path);  // full Windows path, or the host path
    uint32_t AttributesOf(const std::filesystem::path& host);
    bool RegistryKeyFails(RegRoot root, const std::string& subKey) const;
    bool SetValue(RegRoot root, const std::string& subKey, RegistryValue value);
    void AppendJournal(const std::string& line);
    // Writes a profile file's new text beside it and moves it over the old one; false with
    // the reason when `bytes` (the edited text) could not be made or written.
    bool ReplaceProfile(const std::filesystem::path& host, const std::optional<std::string>& bytes);
    // Reads the profile file a name stands for; "" when it is missing.
    std::string ProfilePath(const std::string& file);
    void MakeFreshMachine();

    std::filesystem::path root_;
    std::filesystem::path canonicalRoot_;  // the root with links resolved, for containment
    HostPaths hostPaths_;
    std::string currentDir_ = "C:\\";
    EntryStore entries_;
    std::shared_ptr<MachineState> state_ = std::make_shared<MachineState>();
    std::set<std::string> uncreatable_;  // upper-case full paths
    std::set<std::string> unreadable_;
    std::vector<std::pair<RegRoot, std::string>> failingKeys_;
    std::optional<uint64_t> freeSpace_;
    std::map<char, uint64_t> driveFreeSpace_;  // by upper-case drive letter
    std::optional<uint32_t> clusterSize_;
    // The host folder of the drive whose root is given; empty when there is no such drive.
    std::filesystem::path DriveFolder(const std::string& root) const;
};

}  // namespace zov::sys::emu
