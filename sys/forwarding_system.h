#pragma once
// A system that passes every call on to another one. Derive from it to change one
// behaviour and keep the rest: the tool maps its host drive this way, tests make a file lie
// about its size or a disk fill up.
#include "sys/system.h"

namespace zov::sys {

class ForwardingSystem : public System {
public:
    explicit ForwardingSystem(System& inner) : inner_(inner) {}
    System& Inner() { return inner_; }

    std::unique_ptr<File> OpenFile(const std::string& path, FileAccess access,
                                        FileCreate create, FileShare share) override {
        return inner_.OpenFile(path, access, create, share);
    }
    bool DeleteFile(const std::string& path) override { return inner_.DeleteFile(path); }
    bool MoveFileReplacing(const std::string& from, const std::string& to) override {
        return inner_.MoveFileReplacing(from, to);
    }
    bool CreateDirectory(const std::string& path) override { return inner_.CreateDirectory(path); }
    bool RemoveDirectory(const std::string& path) override { return inner_.RemoveDirectory(path); }
    uint32_t GetFileAttributes(const std::string& path) override {
        return inner_.GetFileAttributes(path);
    }
    bool SetFileAttributes(const std::string& path, uint32_t attributes) override {
        return inner_.SetFileAttributes(path, attributes);
    }
    bool FindFiles(const std::string& pattern, bool includeHiddenSystem,
                   std::vector<FindEntry>& entries) override {
        return inner_.FindFiles(pattern, includeHiddenSystem, entries);
    }
    bool GetDiskFreeSpace(const std::string& root, uint64_t& freeBytes) override {
        return inner_.GetDiskFreeSpace(root, freeBytes);
    }
    bool GetDiskClusterSize(const std::string& root, uint32_t& bytesPerCluster) override {
        return inner_.GetDiskClusterSize(root, bytesPerCluster);
    }
    std::string GetWindowsDirectory() override { return inner_.GetWindowsDirectory(); }
    bool GetShortPathName(const std::string& path, std::string& shortPath) override {
        return inner_.GetShortPathName(path, shortPath);
    }
    std::string GetCurrentDirectory() override { return inner_.GetCurrentDirectory(); }
    bool SetCurrentDirectory(const std::string& path) override {
        return inner_.SetCurrentDirectory(path);
    }
    std::string GetFullPathName(const std::string& path) override {
        return inner_.GetFullPathName(path);
    }
    std::string GetProfileString(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& defaultValue,
                                 uint32_t bufferSize) override {
        return inner_.GetProfileString(file, section, key, defaultValue, bufferSize);
    }
    std::vector<std::string> GetProfileKeyNames(const std::string& file, const std::string& section,
                                                uint32_t bufferSize) override {
        return inner_.GetProfileKeyNames(file, section, bufferSize);
    }
    std::vector<std::string> GetProfileSectionNames(const std::string& file,
                                                    uint32_t bufferSize) override {
        return inner_.GetProfileSectionNames(file, bufferSize);
    }
    bool WriteProfileString(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value) override {
        return inner_.WriteProfileString(file, section, key, value);
    }
    bool DeleteProfileEntry(const std::string& file, const std::string& section,
                            const std::string& key) override {
        return inner_.DeleteProfileEntry(file, section, key);
    }
    bool WriteProfileSection(const std::string& file, const std::string& section,
                             const std::vector<std::string>& lines) override {
        return inner_.WriteProfileSection(file, section, lines);
    }
    bool RegCreateKey(RegRoot root, const std::string& subKey) override {
        return inner_.RegCreateKey(root, subKey);
    }
    bool RegKeyExists(RegRoot root, const std::string& subKey) override {
        return inner_.RegKeyExists(root, subKey);
    }
    bool RegSetString(RegRoot root, const std::string& subKey, const std::string& name,
                      const std::string& value) override {
        return inner_.RegSetString(root, subKey, name, value);
    }
    bool RegGetString(RegRoot root, const std::string& subKey, const std::string& name,
                      std::string& value) override {
        return inner_.RegGetString(root, subKey, name, value);
    }
    bool RegSetDword(RegRoot root, const std::string& subKey, const std::string& name,
                     uint32_t value) override {
        return inner_.RegSetDword(root, subKey, name, value);
    }
    bool RegGetDword(RegRoot root, const std::string& subKey, const std::string& name,
                     uint32_t& value) override {
        return inner_.RegGetDword(root, subKey, name, value);
    }
    bool RegDeleteValue(RegRoot root, const std::string& subKey, const std::string& name) override {
        return inner_.RegDeleteValue(root, subKey, name);
    }
    bool RegDeleteKey(RegRoot root, const std::string& subKey) override { return inner_.RegDeleteKey(root, subKey); }
    bool RegEnumKey(RegRoot root, const std::string& subKey, std::vector<std::string>& subKeys,
                    std::vector<std::string>& valueNames) override {
        return inner_.RegEnumKey(root, subKey, subKeys, valueNames);
    }
    std::unique_ptr<ShellLink> CreateShellLink() override { return inner_.CreateShellLink(); }
    intptr_t ShellExecute(const std::string& verb, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int showMode) override {
        return inner_.ShellExecute(verb, file, parameters, directory, showMode);
    }
    bool AdjustTokenPrivilege(const std::string& name, bool enable) override {
        return inner_.AdjustTokenPrivilege(name, enable);
    }
    bool ExitWindows(uint32_t flags) override { return inner_.ExitWindows(flags); }
    bool DeleteAtRestart(const std::string& path) override { return inner_.DeleteAtRestart(path); }
    void Yield() override { inner_.Yield(); }
    SysError LastError() override { return inner_.LastError(); }

private:
    System& inner_;
};

}  // namespace zov::sys
