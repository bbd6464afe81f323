#include "sys/win32/win32_system.h"

#include <vector>

#include "sys/decimal.h"

#include "sys/win32/win32_file.h"
#include "sys/win32/win32_shell_link.h"
#include "sys/win32/windows_api.h"

namespace zov::sys::win32 {
namespace {

const char* OrNull(const std::string& s) { return s.empty() ? nullptr : s.c_str(); }

// Registry calls return their error instead of setting the thread's: keep it for LastError.
bool RegOk(LONG result) {
    if (result == ERROR_SUCCESS) return true;
    SetLastError(static_cast<DWORD>(result));
    return false;
}

// Calls `get(buffer, size)` with growing buffers until the answer fits; "" on failure.
template <typename Get>
std::string GrowingQuery(Get get) {
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD n = get(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(n + 1);
    }
}

// The names of a double-zero-terminated list; `length` is what the profile call returned,
// which leaves out the terminator of a name that was cut.
std::vector<std::string> SplitNameList(const char* buffer, DWORD length) {
    std::vector<std::string> names;
    std::string current;
    for (DWORD i = 0; i < length; ++i) {
        if (buffer[i] == 0) {
            if (!current.empty()) names.push_back(current);
            current.clear();
        } else {
            current += buffer[i];
        }
    }
    if (!current.empty()) names.push_back(current);
    return names;
}

HKEY RootKey(RegRoot root) {
    return root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

}  // namespace

std::unique_ptr<File> Win32System::OpenFile(const std::string& path, FileAccess access,
                                            FileCreate create, FileShare share) {
    return OpenWin32File(path, access, create, share);
}

bool Win32System::DeleteFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool Win32System::MoveFileReplacing(const std::string& from, const std::string& to) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE) return true;
    // Windows 95 and 98 have no MoveFileEx: the old file goes first.
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    if (GetFileAttributesA(to.c_str()) != INVALID_FILE_ATTRIBUTES && !DeleteFileA(to.c_str())) return false;
    return MoveFileA(from.c_str(), to.c_str()) != FALSE;
}

bool Win32System::CreateDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool Win32System::RemoveDirectory(const std::string& path) {
    return RemoveDirectoryA(path.c_str()) != FALSE;
}

uint32_t Win32System::GetFileAttributes(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}

bool Win32System::SetFileAttributes(const std::string& path, uint32_t attributes) {
    return SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

bool Win32System::FindFiles(const std::string& pattern, bool includeHiddenSystem,
                            std::vector<FindEntry>& entries) {
    entries.clear();
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(pattern.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return false;
    do {
        if (!includeHiddenSystem &&
            (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            continue;
        FindEntry e;
        e.name = data.cFileName;
        e.attributes = data.dwFileAttributes;
        e.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        entries.push_back(e);
    } while (FindNextFileA(h, &data));
    FindClose(h);
    return !entries.empty();
}

bool Win32System::GetDiskFreeSpace(const std::string& root, uint64_t& freeBytes) {
    // GetDiskFreeSpaceA stops at 2 GB on larger drives; the call that does not came with
    // Windows 95 OSR2, so it is looked up. Without it no drive is that large.
    using FreeSpaceEx = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    static const auto freeSpaceEx = reinterpret_cast<FreeSpaceEx>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA")));
    if (freeSpaceEx) {
        ULARGE_INTEGER available{}, total{}, totalFree{};
        if (!freeSpaceEx(OrNull(root), &available, &total, &totalFree)) return false;
        freeBytes = available.QuadPart;
        return true;
    }
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(OrNull(root), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters))
        return false;
    freeBytes = static_cast<uint64_t>(bytesPerSector) * sectorsPerCluster * freeClusters;
    return true;
}

bool Win32System::GetDiskClusterSize(const std::string& root, uint32_t& bytesPerCluster) {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(OrNull(root), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters))
        return false;
    bytesPerCluster = static_cast<uint32_t>(sectorsPerCluster * bytesPerSector);
    return true;
}

std::string Win32System::GetWindowsDirectory() {
    return GrowingQuery([](char* b, DWORD n) { return GetWindowsDirectoryA(b, n); });
}

bool Win32System::GetShortPathName(const std::string& path, std::string& shortPath) {
    const std::string s = GrowingQuery(
        [&](char* b, DWORD n) { return GetShortPathNameA(path.c_str(), b, n); });
    if (s.empty()) return false;
    shortPath = s;
    return true;
}

std::string Win32System::GetCurrentDirectory() {
    return GrowingQuery([](char* b, DWORD n) { return GetCurrentDirectoryA(n, b); });
}

bool Win32System::SetCurrentDirectory(const std::string& path) {
    return SetCurrentDirectoryA(path.c_str()) != FALSE;
}

std::string Win32System::GetFullPathName(const std::string& path) {
    return GrowingQuery([&](char* b, DWORD n) {
        char* filePart = nullptr;
        return GetFullPathNameA(path.c_str(), n, b, &filePart);
    });
}

std::string Win32System::GetProfileString(const std::string& file, const std::string& section,
                                          const std::string& key, const std::string& defaultValue,
                                          uint32_t bufferSize) {
    if (bufferSize == 0) return {};
    std::vector<char> buffer(bufferSize, 0);
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                             buffer.data(), bufferSize, file.c_str());
    return std::string(buffer.data(), n);
}

std::vector<std::string> Win32System::GetProfileKeyNames(const std::string& file,
                                                         const std::string& section,
                                                         uint32_t bufferSize) {
    if (bufferSize == 0) return {};
    std::vector<char> buffer(bufferSize, 0);
    const DWORD n = GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(),
                                             bufferSize, file.c_str());
    return SplitNameList(buffer.data(), n);
}

std::vector<std::string> Win32System::GetProfileSectionNames(const std::string& file,
                                                             uint32_t bufferSize) {
    if (bufferSize == 0) return {};
    std::vector<char> buffer(bufferSize, 0);
    const DWORD n =
        GetPrivateProfileStringA(nullptr, nullptr, "", buffer.data(), bufferSize, file.c_str());
    return SplitNameList(buffer.data(), n);
}

bool Win32System::WriteProfileString(const std::string& file, const std::string& section,
                                     const std::string& key, const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                      file.c_str()) != FALSE;
}

bool Win32System::DeleteProfileEntry(const std::string& file, const std::string& section,
                                     const std::string& key) {
    return WritePrivateProfileStringA(section.c_str(), OrNull(key), nullptr, file.c_str()) != FALSE;
}

bool Win32System::WriteProfileSection(const std::string& file, const std::string& section,
                                      const std::vector<std::string>& lines) {
    // Windows 95, 98 and Me take sections of up to 32,767 characters: the rest line by line.
    std::string block;
    size_t i = 0;
    for (; i < lines.size() && block.size() + lines[i].size() < 32000; ++i) block += lines[i] + '\0';
    block += '\0';
    if (!WritePrivateProfileSectionA(section.c_str(), block.c_str(), file.c_str())) return false;
    for (; i < lines.size(); ++i) {
        const size_t eq = lines[i].find('=');
        if (eq != std::string::npos &&
            !WritePrivateProfileStringA(section.c_str(), lines[i].substr(0, eq).c_str(), lines[i].c_str() + eq + 1,
                                        file.c_str()))
            return false;
    }
    return true;
}

bool Win32System::RegCreateKey(RegRoot root, const std::string& subKey) {
    HKEY key = nullptr;
    if (!RegOk(RegCreateKeyExA(RootKey(root), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_WRITE, nullptr, &key, nullptr)))
        return false;
    RegCloseKey(key);
    return true;
}

bool Win32System::RegKeyExists(RegRoot root, const std::string& subKey) {
    HKEY key = nullptr;
    if (!RegOk(RegOpenKeyExA(RootKey(root), subKey.c_str(), 0, KEY_READ, &key))) return false;
    RegCloseKey(key);
    return true;
}

bool Win32System::RegSetString(RegRoot root, const std::string& subKey, const std::string& name,
                               const std::string& value) {
    HKEY key = nullptr;
    if (!RegOk(RegCreateKeyExA(RootKey(root), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_WRITE, nullptr, &key, nullptr)))
        return false;
    const LONG r = RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return RegOk(r);
}

bool Win32System::RegSetDword(RegRoot root, const std::string& subKey, const std::string& name,
                              uint32_t value) {
    HKEY key = nullptr;
    if (!RegOk(RegCreateKeyExA(RootKey(root), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_WRITE, nullptr, &key, nullptr)))
        return false;
    const DWORD data = value;
    const LONG r = RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                  sizeof data);
    RegCloseKey(key);
    return RegOk(r);
}

bool Win32System::RegGetDword(RegRoot root, const std::string& subKey, const std::string& name,
                              uint32_t& value) {
    HKEY key = nullptr;
    if (!RegOk(RegOpenKeyExA(RootKey(root), subKey.c_str(), 0, KEY_READ, &key))) return false;
    DWORD type = 0, data = 0, size = sizeof data;
    LONG r = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    if (r == ERROR_SUCCESS && (type != REG_DWORD || size != sizeof data)) r = ERROR_INVALID_DATA;
    if (r == ERROR_MORE_DATA) r = ERROR_INVALID_DATA;
    RegCloseKey(key);
    if (!RegOk(r)) return false;
    value = data;
    return true;
}

bool Win32System::RegDeleteValue(RegRoot root, const std::string& subKey, const std::string& name) {
    HKEY key = nullptr;
    if (!RegOk(RegOpenKeyExA(RootKey(root), subKey.c_str(), 0, KEY_SET_VALUE, &key))) return false;
    const LONG r = RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
    return RegOk(r);
}

bool Win32System::RegDeleteKey(RegRoot root, const std::string& subKey) {
    std::vector<std::string> subKeys, values;
    if (!RegEnumKey(root, subKey, subKeys, values)) return false;
    if (!subKeys.empty()) return RegOk(ERROR_ACCESS_DENIED);  // Windows 95 would take the whole tree
    return RegOk(RegDeleteKeyA(RootKey(root), subKey.c_str()));
}

bool Win32System::RegEnumKey(RegRoot root, const std::string& subKey, std::vector<std::string>& subKeys,
                             std::vector<std::string>& valueNames) {
    HKEY key = nullptr;
    if (!RegOk(RegOpenKeyExA(RootKey(root), subKey.c_str(), 0, KEY_READ, &key))) return false;
    subKeys.clear();
    valueNames.clear();
    char name[16384];  // the longest key and value names Windows allows
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subKeys.emplace_back(name, length);
    }
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        valueNames.emplace_back(name, length);
    }
    RegCloseKey(key);
    return true;
}

bool Win32System::RegGetString(RegRoot root, const std::string& subKey, const std::string& name,
                               std::string& value) {
    HKEY key = nullptr;
    if (!RegOk(RegOpenKeyExA(RootKey(root), subKey.c_str(), 0, KEY_READ, &key))) return false;
    DWORD type = 0, size = 0;
    LONG r = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    std::vector<char> data(size + 1, 0);
    if (r == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ))
        r = RegQueryValueExA(key, name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size);
    else if (r == ERROR_SUCCESS)
        r = ERROR_INVALID_DATA;
    RegCloseKey(key);
    if (!RegOk(r)) return false;
    value.assign(data.data());  // stops at the stored terminator
    return true;
}

std::unique_ptr<ShellLink> Win32System::CreateShellLink() { return CreateComShellLink(); }

intptr_t Win32System::ShellExecute(const std::string& verb, const std::string& file,
                                   const std::string& parameters, const std::string& directory,
                                   int showMode) {
    return reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, OrNull(verb), file.c_str(),
                                                    OrNull(parameters), OrNull(directory),
                                                    showMode));
}

bool Win32System::AdjustTokenPrivilege(const std::string& name, bool enable) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges{};
    bool ok = LookupPrivilegeValueA(nullptr, name.c_str(), &privileges.Privileges[0].Luid) != FALSE;
    if (ok) {
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
        ok = AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) != FALSE;
    }
    CloseHandle(token);
    return ok;
}

bool Win32System::ExitWindows(uint32_t flags) { return ExitWindowsEx(flags, 0) != FALSE; }

bool Win32System::DeleteAtRestart(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

void Win32System::Yield() { Sleep(0); }

SysError Win32System::LastError() {
    SysError error;
    error.code = GetLastError();
    char* text = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error.code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    if (n && text) error.text.assign(text, n);
    if (text) LocalFree(text);
    while (!error.text.empty() && (error.text.back() == '\n' || error.text.back() == '\r' ||
                                   error.text.back() == ' ' || error.text.back() == '.'))
        error.text.pop_back();
    // The system's own words only: install.exe carries no table of them.
    if (error.text.empty()) error.text = "System error " + DecimalText(error.code);
    return error;
}

}  // namespace zov::sys::win32

namespace zov::sys {
std::unique_ptr<System> MakeDefaultSystem() { return std::make_unique<win32::Win32System>(); }
}  // namespace zov::sys
