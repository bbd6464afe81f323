#include "sys/emu/emulated_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

#include "sys/emu/emu_paths.h"

namespace zov::sys::emu {
namespace fs = std::filesystem;

namespace {

class EmuFile : public File {
public:
    explicit EmuFile(int fd) : fd_(fd) {}
    ~EmuFile() override { ::close(fd_); }

    bool Read(void* buffer, uint32_t count, uint32_t& done) override {
        done = 0;
        while (done < count) {
            const ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, count - done);
            if (n < 0) return false;
            if (n == 0) break;
            done += static_cast<uint32_t>(n);
        }
        return true;
    }
    bool Write(const void* buffer, uint32_t count, uint32_t& done) override {
        done = 0;
        while (done < count) {
            const ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, count - done);
            if (n <= 0) return false;
            done += static_cast<uint32_t>(n);
        }
        return true;
    }
    bool Seek(int64_t offset, SeekOrigin origin, int64_t& position) override {
        const int whence = origin == SeekOrigin::Begin ? SEEK_SET
                           : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
        const off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
        if (r < 0) return false;
        position = r;
        return true;
    }
    int64_t Size() override {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
    }
    bool SetDosTime(uint16_t dosDate, uint16_t dosTime) override {
        struct tm t {};
        t.tm_year = ((dosDate >> 9) & 0x7F) + 80;
        t.tm_mon = ((dosDate >> 5) & 0x0F) - 1;
        t.tm_mday = dosDate & 0x1F;
        t.tm_hour = (dosTime >> 11) & 0x1F;
        t.tm_min = (dosTime >> 5) & 0x3F;
        t.tm_sec = (dosTime & 0x1F) * 2;
        t.tm_isdst = -1;
        const time_t when = mktime(&t);
        if (when == static_cast<time_t>(-1)) return false;
        struct timespec times[2];
        times[0].tv_sec = when;
        times[0].tv_nsec = 0;
        times[1] = times[0];
        return ::futimens(fd_, times) == 0;
    }
    bool GetDosTime(uint16_t& dosDate, uint16_t& dosTime) override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) return false;
        struct tm t {};
        time_t when = st.st_mtime;
        if (!localtime_r(&when, &t) || t.tm_year < 80) return false;
        dosDate = static_cast<uint16_t>(((t.tm_year - 80) << 9) | ((t.tm_mon + 1) << 5) | t.tm_mday);
        dosTime = static_cast<uint16_t>((t.tm_hour << 11) | (t.tm_min << 5) | (t.tm_sec / 2));
        return true;
    }

private:
    int fd_;
};

}  // namespace

EmulatedSystem::EmulatedSystem(fs::path root) : root_(std::move(root)) {
    std::error_code ec;
    fs::create_directories(root_ / "c" / "WINDOWS" / "SYSTEM", ec);
    fs::create_directories(root_ / "c" / "WINDOWS" / "TEMP", ec);
}

fs::path EmulatedSystem::ToHost(const std::string& path) {
    if (IsHostPath(path)) return fs::path(path);
    return HostPath(root_, FullWindowsPath(path, currentDir_));
}

std::unique_ptr<File> EmulatedSystem::OpenFile(const std::string& path, FileAccess access,
                                               FileCreate create, FileShare) {
    if (path.empty()) return nullptr;
    const fs::path host = ToHost(path);
    if (fs::is_directory(host)) return nullptr;
    int flags = access == FileAccess::Read ? O_RDONLY
                : access == FileAccess::Write ? O_WRONLY : O_RDWR;
    if (create == FileCreate::CreateAlways) flags |= O_CREAT | O_TRUNC;
    if (create == FileCreate::OpenAlways) flags |= O_CREAT;
    const int fd = ::open(host.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    return std::make_unique<EmuFile>(fd);
}

bool EmulatedSystem::DeleteFile(const std::string& path) {
    const fs::path host = ToHost(path);
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(host, ec))) return false;
    return fs::remove(host, ec);
}

bool EmulatedSystem::CreateDirectory(const std::string& path) {
    const fs::path host = ToHost(path);
    std::error_code ec;
    if (fs::exists(host, ec)) return false;
    return fs::create_directory(host, ec);
}

bool EmulatedSystem::RemoveDirectory(const std::string& path) {
    const fs::path host = ToHost(path);
    std::error_code ec;
    if (!fs::is_directory(host, ec) || !fs::is_empty(host, ec)) return false;
    return fs::remove(host, ec);
}

uint32_t EmulatedSystem::GetFileAttributes(const std::string& path) {
    const fs::path host = ToHost(path);
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) return kInvalidAttributes;
    if (S_ISDIR(st.st_mode)) return kAttrDirectory;
    uint32_t attrs = kAttrArchive;
    if ((st.st_mode & S_IWUSR) == 0) attrs |= kAttrReadOnly;
    return attrs;
}

bool EmulatedSystem::SetFileAttributes(const std::string& path, uint32_t attributes) {
    const fs::path host = ToHost(path);
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    mode = (attributes & kAttrReadOnly) ? (mode & ~0222) : (mode | S_IWUSR);
    return ::chmod(host.c_str(), mode) == 0;
}

namespace {
// FindFirstFile's wildcard match: "*" and "?", case-insensitive; "*.*" matches every name.
bool WildMatch(const char* pat, const char* name) {
    if (*pat == 0) return *name == 0;
    if (*pat == '*') {
        if (pat[1] == '.' && pat[2] == '*' && pat[3] == 0) return true;
        for (const char* n = name;; ++n) {
            if (WildMatch(pat + 1, n)) return true;
            if (*n == 0) return false;
        }
    }
    if (*name == 0) return false;
    if (*pat == '?' || std::toupper(static_cast<unsigned char>(*pat)) ==
                           std::toupper(static_cast<unsigned char>(*name)))
        return WildMatch(pat + 1, name + 1);
    return false;
}
}  // namespace

bool EmulatedSystem::FindFiles(const std::string& pattern, bool, std::vector<FindEntry>& entries) {
    entries.clear();
    std::string full = IsHostPath(pattern) ? pattern : FullWindowsPath(pattern, currentDir_);
    const size_t cut = full.find_last_of("\\/");
    if (cut == std::string::npos) return false;
    const std::string dir = full.substr(0, cut + 1);
    const std::string mask = full.substr(cut + 1);
    const fs::path hostDir = ToHost(dir);
    std::error_code ec;
    if (!fs::is_directory(hostDir, ec)) return false;
    if (dir.size() > 3 || IsHostPath(pattern)) {
        for (const char* dot : {".", ".."})
            if (WildMatch(mask.c_str(), dot)) entries.push_back({dot, kAttrDirectory, 0});
    }
    for (const auto& e : fs::directory_iterator(hostDir, ec)) {
        const std::string name = e.path().filename().string();
        if (!WildMatch(mask.c_str(), name.c_str())) continue;
        FindEntry f;
        f.name = name;
        f.attributes = e.is_directory(ec) ? kAttrDirectory : kAttrArchive;
        f.size = e.is_regular_file(ec) ? e.file_size(ec) : 0;
        entries.push_back(f);
    }
    return !entries.empty();
}

bool EmulatedSystem::GetDiskFreeSpace(const std::string& root, uint64_t& freeBytes) {
    struct statvfs st {};
    const fs::path host = ToHost(root);
    if (::statvfs(host.c_str(), &st) != 0) return false;
    freeBytes = static_cast<uint64_t>(st.f_bavail) * st.f_frsize;
    return true;
}

std::string EmulatedSystem::GetWindowsDirectory() { return "C:\\WINDOWS"; }

bool EmulatedSystem::GetShortPathName(const std::string& path, std::string& shortPath) {
    if (GetFileAttributes(path) == kInvalidAttributes) return false;
    shortPath = path;
    return true;
}

std::string EmulatedSystem::GetCurrentDirectory() { return currentDir_; }

bool EmulatedSystem::SetCurrentDirectory(const std::string& path) {
    const std::string full = FullWindowsPath(path, currentDir_);
    if (!fs::is_directory(HostPath(root_, full))) return false;
    currentDir_ = full;
    return true;
}

std::string EmulatedSystem::GetFullPathName(const std::string& path) {
    if (IsHostPath(path)) return path;
    return FullWindowsPath(path, currentDir_);
}

}  // namespace zov::sys::emu
