#include "sys/win32/win32_file.h"

#include "sys/win32/windows_api.h"

namespace zov::sys::win32 {
namespace {

class Win32File : public File {
public:
    explicit Win32File(HANDLE handle) : handle_(handle) {}
    ~Win32File() override { CloseHandle(handle_); }

    bool Read(void* buffer, uint32_t count, uint32_t& done) override {
        DWORD got = 0;
        const BOOL ok = ReadFile(handle_, buffer, count, &got, nullptr);
        done = got;
        return ok != FALSE;
    }
    bool Write(const void* buffer, uint32_t count, uint32_t& done) override {
        DWORD put = 0;
        const BOOL ok = WriteFile(handle_, buffer, count, &put, nullptr);
        done = put;
        return ok != FALSE;
    }
    bool Flush() override { return FlushFileBuffers(handle_) != FALSE; }
    bool Seek(int64_t offset, SeekOrigin origin, int64_t& position) override {
        const DWORD method = origin == SeekOrigin::Begin     ? FILE_BEGIN
                             : origin == SeekOrigin::Current ? FILE_CURRENT
                                                             : FILE_END;
        LONG high = static_cast<LONG>(offset >> 32);
        SetLastError(NO_ERROR);
        const DWORD low = SetFilePointer(handle_, static_cast<LONG>(offset & 0xFFFFFFFF), &high,
                                         method);
        if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return false;
        position = (static_cast<int64_t>(high) << 32) | low;
        return true;
    }
    int64_t Size() override {
        DWORD high = 0;
        SetLastError(NO_ERROR);
        const DWORD low = GetFileSize(handle_, &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
        return (static_cast<int64_t>(high) << 32) | low;
    }
    bool SetDosTime(uint16_t dosDate, uint16_t dosTime) override {
        FILETIME local, utc;
        if (!DosDateTimeToFileTime(dosDate, dosTime, &local)) return false;
        if (!LocalFileTimeToFileTime(&local, &utc)) return false;
        return SetFileTime(handle_, nullptr, nullptr, &utc) != FALSE;
    }
    bool GetDosTime(uint16_t& dosDate, uint16_t& dosTime) override {
        FILETIME utc, local;
        WORD date = 0, time = 0;
        if (!GetFileTime(handle_, nullptr, nullptr, &utc)) return false;
        if (!FileTimeToLocalFileTime(&utc, &local)) return false;
        if (!FileTimeToDosDateTime(&local, &date, &time)) return false;
        dosDate = date;
        dosTime = time;
        return true;
    }

private:
    HANDLE handle_;
};

}  // namespace

std::unique_ptr<File> OpenWin32File(const std::string& path, FileAccess access, FileCreate create,
                                    FileShare share) {
    const DWORD desired = access == FileAccess::Read    ? GENERIC_READ
                          : access == FileAccess::Write ? GENERIC_WRITE
                                                        : GENERIC_READ | GENERIC_WRITE;
    const DWORD shareMode = share == FileShare::Exclusive   ? 0
                            : share == FileShare::DenyWrite ? FILE_SHARE_READ
                                                            : FILE_SHARE_READ | FILE_SHARE_WRITE;
    const DWORD disposition = create == FileCreate::OpenExisting   ? OPEN_EXISTING
                              : create == FileCreate::CreateAlways ? CREATE_ALWAYS
                                                                   : OPEN_ALWAYS;
    HANDLE h = CreateFileA(path.c_str(), desired, shareMode, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32File>(h);
}

}  // namespace zov::sys::win32
