#pragma once
// An emulated Windows machine under one Linux directory, so that the whole setup runs and
// is tested natively. Drive C: is ROOT/c, A: is ROOT/a; the Windows directory is
// C:\WINDOWS. Paths that start with "/" (and hold no "\") are host paths, used as given.
#include <filesystem>
#include <string>

#include "sys/system.h"

namespace zov::sys::emu {

class EmulatedSystem : public System {
public:
    explicit EmulatedSystem(std::filesystem::path root);

    const std::filesystem::path& Root() const { return root_; }
    // The host file or folder that a Windows path names on this machine.
    std::filesystem::path ToHost(const std::string& path);

    std::unique_ptr<File> OpenFile(const std::string& path, FileAccess access, FileCreate create,
                                   FileShare share) override;
    bool DeleteFile(const std::string& path) override;
    bool CreateDirectory(const std::string& path) override;
    bool RemoveDirectory(const std::string& path) override;
    uint32_t GetFileAttributes(const std::string& path) override;
    bool SetFileAttributes(const std::string& path, uint32_t attributes) override;
    bool FindFiles(const std::string& pattern, bool includeHiddenSystem,
                   std::vector<FindEntry>& entries) override;
    bool GetDiskFreeSpace(const std::string& root, uint64_t& freeBytes) override;
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

    bool RegCreateKey(RegRoot root, const std::string& subKey) override;
    bool RegKeyExists(RegRoot root, const std::string& subKey) override;
    bool RegSetString(RegRoot root, const std::string& subKey, const std::string& name,
                      const std::string& value) override;
    bool RegGetString(RegRoot root, const std::string& subKey, const std::string& name,
                      std::string& value) override;

    std::unique_ptr<ShellLink> CreateShellLink() override;
    intptr_t ShellExecute(const std::string& verb, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int showMode) override;
    bool AdjustTokenPrivilege(const std::string& name, bool enable) override;
    bool ExitWindows(uint32_t flags) override;
    void Yield() override {}

private:
    std::filesystem::path root_;
    std::string currentDir_ = "C:\\";
};

}  // namespace zov::sys::emu
