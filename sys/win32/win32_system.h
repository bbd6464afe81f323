#pragma once
// The real system: every operation is the Win32 call of the same name. Declared without
// <windows.h> so that tests can name the class; only the .cpp files here include it.
#include "sys/system.h"

namespace zov::sys::win32 {

class Win32System : public System {
public:
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
    void Yield() override;
    SysError LastError() override;
};

}  // namespace zov::sys::win32
