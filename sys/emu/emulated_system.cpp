#include "sys/emu/emulated_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "sys/emu/emu_paths.h"
#include "sys/emu/find_pattern.h"
#include "sys/emu/short_names.h"

namespace zov::sys::emu {
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kStoredBits = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;

bool Writes(FileAccess a) { return a != FileAccess::Read; }

bool Exists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

bool IsDir(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

}  // namespace

EmulatedSystem::EmulatedSystem(fs::path root) : root_(std::move(root)), entries_(root_) {
    std::error_code ec;
    fs::create_directories(root_ / "c" / "WINDOWS" / "SYSTEM", ec);
    fs::create_directories(root_ / "c" / "WINDOWS" / "TEMP", ec);
    fs::create_directories(root_ / "c" / "Program Files", ec);
    if (!Exists(RegistryFile())) MakeFreshMachine();
}

std::string EmulatedSystem::Full(const std::string& path) const {
    return IsHostPath(path) ? path : FullWindowsPath(path, currentDir_);
}

fs::path EmulatedSystem::ToHost(const std::string& path) {
    if (IsHostPath(path)) return fs::path(path);
    return HostPath(root_, FullWindowsPath(path, currentDir_),
                    [this](const fs::path& dir, const std::string& name) {
                        return entries_.FindShortName(dir, name);
                    });
}

uint32_t EmulatedSystem::AttributesOf(const fs::path& host) {
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) return kInvalidAttributes;
    const std::optional<uint32_t> stored = entries_.Attributes(host);
    if (S_ISDIR(st.st_mode)) return kAttrDirectory | (stored ? *stored & kStoredBits : 0);
    if (!stored) return kAttrArchive;
    return *stored ? *stored : kAttrNormal;
}

void EmulatedSystem::FailWritesAfter(uint64_t bytes) { state_->writeBudget = bytes; }

void EmulatedSystem::FailCreating(const std::string& path) {
    uncreatable_.insert(UpperAscii(Full(path)));
}

void EmulatedSystem::FailReading(const std::string& path) {
    unreadable_.insert(UpperAscii(Full(path)));
}

void EmulatedSystem::ClearFaults() {
    state_->writeBudget.reset();
    uncreatable_.clear();
    unreadable_.clear();
    failingKeys_.clear();
}

std::unique_ptr<File> EmulatedSystem::OpenFile(const std::string& path, FileAccess access,
                                               FileCreate create, FileShare share) {
    if (path.empty()) return Fail(kErrorPathNotFound), nullptr;
    const std::string full = UpperAscii(Full(path));
    const fs::path host = ToHost(path);
    struct stat st {};
    const bool exists = ::stat(host.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return Fail(kErrorAccessDenied), nullptr;
    const bool creates = create == FileCreate::CreateAlways ||
                         (create == FileCreate::OpenAlways && !exists);
    if (creates && uncreatable_.count(full)) return Fail(kErrorAccessDenied), nullptr;
    if (!exists) {
        if (create == FileCreate::OpenExisting || !IsDir(host.parent_path()))
            return Fail(MissingCode(host)), nullptr;
    } else {
        const uint32_t attrs = AttributesOf(host);
        if ((Writes(access) || create == FileCreate::CreateAlways) && (attrs & kAttrReadOnly))
            return Fail(kErrorAccessDenied), nullptr;
        // Replacing a hidden or system file takes those attributes in the request.
        if (create == FileCreate::CreateAlways && (attrs & (kAttrHidden | kAttrSystem)))
            return Fail(kErrorAccessDenied), nullptr;
        if (!state_->MayOpen({st.st_dev, st.st_ino}, access, share))
            return Fail(kErrorSharingViolation), nullptr;
        if (create == FileCreate::CreateAlways && ::truncate(host.c_str(), 0) != 0)
            return Fail(kErrorAccessDenied), nullptr;
    }
    int flags = access == FileAccess::Read    ? O_RDONLY
                : access == FileAccess::Write ? O_WRONLY
                                              : O_RDWR;
    if (!exists) flags |= O_CREAT | O_EXCL;
    const int fd = ::open(host.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) return Fail(errno == ENOSPC ? kErrorDiskFull : kErrorAccessDenied), nullptr;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return Fail(kErrorAccessDenied), nullptr;
    }
    if (!exists)
        entries_.Forget(host);
    else if (create == FileCreate::CreateAlways)
        entries_.SetAttributes(host, kAttrArchive);
    return MakeEmuFile(fd, {st.st_dev, st.st_ino}, access, share, state_,
                       unreadable_.count(full) != 0);
}

uint32_t EmulatedSystem::MissingCode(const fs::path& host) {
    return IsDir(host.parent_path()) ? kErrorFileNotFound : kErrorPathNotFound;
}

bool EmulatedSystem::DeleteFile(const std::string& path) {
    const fs::path host = ToHost(path);
    struct stat st {};
    if (::lstat(host.c_str(), &st) != 0) return Fail(MissingCode(host));
    if (S_ISDIR(st.st_mode)) return Fail(kErrorAccessDenied);
    if (state_->IsOpen({st.st_dev, st.st_ino})) return Fail(kErrorSharingViolation);
    if (AttributesOf(host) & kAttrReadOnly) return Fail(kErrorAccessDenied);
    std::error_code ec;
    if (!fs::remove(host, ec)) return Fail(kErrorAccessDenied);
    entries_.Forget(host);
    return true;
}

bool EmulatedSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
    const fs::path source = ToHost(from);
    const fs::path target = ToHost(to);
    struct stat st {};
    if (::lstat(source.c_str(), &st) != 0) return Fail(MissingCode(source));
    if (S_ISDIR(st.st_mode) || state_->IsOpen({st.st_dev, st.st_ino})) return Fail(kErrorAccessDenied);
    if (uncreatable_.count(UpperAscii(Full(to)))) return Fail(kErrorAccessDenied);
    if (::lstat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode) || (AttributesOf(target) & kAttrReadOnly)) return Fail(kErrorAccessDenied);
        if (state_->IsOpen({st.st_dev, st.st_ino})) return Fail(kErrorSharingViolation);
    } else if (!IsDir(target.parent_path())) {
        return Fail(kErrorPathNotFound);
    }
    const std::optional<uint32_t> attributes = entries_.Attributes(source);
    if (::rename(source.c_str(), target.c_str()) != 0) return Fail(kErrorAccessDenied);
    entries_.Forget(source);
    entries_.Forget(target);
    if (attributes) entries_.SetAttributes(target, *attributes);
    return true;
}

bool EmulatedSystem::CreateDirectory(const std::string& path) {
    const fs::path host = ToHost(path);
    if (Exists(host)) return Fail(kErrorAlreadyExists);
    if (uncreatable_.count(UpperAscii(Full(path)))) return Fail(kErrorAccessDenied);
    std::error_code ec;
    fs::path target = host;
    if (target.filename().empty()) target = target.parent_path();  // "C:\dir\"
    if (!IsDir(target.parent_path())) return Fail(kErrorPathNotFound);
    if (!fs::create_directory(target, ec)) return Fail(kErrorAccessDenied);
    entries_.Forget(target);
    return true;
}

bool EmulatedSystem::RemoveDirectory(const std::string& path) {
    const fs::path host = ToHost(path);
    std::error_code ec;
    if (!IsDir(host)) return Fail(Exists(host) ? kErrorInvalidName : MissingCode(host));
    if (!fs::is_empty(host, ec)) return Fail(kErrorDirNotEmpty);
    if (AttributesOf(host) & kAttrReadOnly) return Fail(kErrorAccessDenied);
    // The process holds its current directory open.
    if (UpperAscii(FullWindowsPath(path, currentDir_)) == UpperAscii(currentDir_))
        return Fail(kErrorSharingViolation);
    if (!fs::remove(host, ec)) return Fail(kErrorAccessDenied);
    entries_.Forget(host);
    return true;
}

uint32_t EmulatedSystem::GetFileAttributes(const std::string& path) {
    return AttributesOf(ToHost(path));
}

bool EmulatedSystem::SetFileAttributes(const std::string& path, uint32_t attributes) {
    const fs::path host = ToHost(path);
    if (!Exists(host)) return Fail(MissingCode(host));
    entries_.SetAttributes(host, attributes & kStoredBits);
    return true;
}

bool EmulatedSystem::FindFiles(const std::string& pattern, bool includeHiddenSystem,
                               std::vector<FindEntry>& entries) {
    entries.clear();
    if (pattern.empty() || pattern.back() == '\\' || pattern.back() == '/') return false;
    const std::string full = Full(pattern);
    const size_t cut = full.find_last_of("\\/");
    if (cut == std::string::npos) return false;
    const std::string dir = full.substr(0, cut + 1);
    const std::string mask = full.substr(cut + 1);
    const fs::path hostDir = ToHost(dir);
    if (mask.empty() || !IsDir(hostDir)) return false;
    if (IsHostPath(pattern) || dir.size() > 3) {
        for (const char* dot : {".", ".."})
            if (MatchesFindPattern(mask, dot)) entries.push_back({dot, kAttrDirectory, 0});
    }
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(hostDir, ec)) found.push_back(e.path());
    std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
        return UpperAscii(a.filename().string()) < UpperAscii(b.filename().string());
    });
    for (const fs::path& p : found) {
        const std::string name = p.filename().string();
        // Windows matches the 8.3 name too: "*.htm" finds "page.html" (PAGE~1.HTM).
        if (!MatchesFindPattern(mask, name) &&
            (IsLegal83(name) || !MatchesFindPattern(mask, entries_.ShortName(p))))
            continue;
        const uint32_t attrs = AttributesOf(p);
        if (attrs == kInvalidAttributes) continue;
        if (!includeHiddenSystem && (attrs & (kAttrHidden | kAttrSystem))) continue;
        FindEntry f;
        f.name = name;
        f.attributes = attrs;
        f.size = (attrs & kAttrDirectory) ? 0 : fs::file_size(p, ec);
        entries.push_back(f);
    }
    return !entries.empty();
}

bool EmulatedSystem::GetDiskFreeSpace(const std::string& root, uint64_t& freeBytes) {
    if (root.size() < 2 || root[1] != ':') return false;
    const fs::path drive = root_ / std::string(1, static_cast<char>(std::tolower(
                                                     static_cast<unsigned char>(root[0]))));
    if (!IsDir(drive)) return false;
    uint64_t bytes = 0;
    if (freeSpace_) {
        bytes = *freeSpace_;
    } else {
        struct statvfs st {};
        if (::statvfs(drive.c_str(), &st) != 0) return false;
        bytes = static_cast<uint64_t>(st.f_bavail) * st.f_frsize;
    }
    if (state_->writeBudget) bytes = std::min(bytes, *state_->writeBudget);
    freeBytes = bytes;
    return true;
}

std::string EmulatedSystem::GetWindowsDirectory() { return "C:\\WINDOWS"; }

bool EmulatedSystem::GetShortPathName(const std::string& path, std::string& shortPath) {
    if (!Exists(ToHost(path))) return Fail(MissingCode(ToHost(path)));
    if (IsHostPath(path)) {
        shortPath = path;
        return true;
    }
    // Names that are legal 8.3 names stay as written; the others become their 8.3 names.
    std::string out, name;
    auto flush = [&] {
        if (!name.empty() && name != "." && name != ".." && !IsLegal83(name) &&
            !(out.empty() && name.size() == 2 && name[1] == ':'))
            name = entries_.ShortName(ToHost(out + name));
        out += name;
        name.clear();
    };
    for (char c : path) {
        if (c == '\\' || c == '/') {
            flush();
            out += c;
        } else {
            name += c;
        }
    }
    flush();
    shortPath = out;
    return true;
}

std::string EmulatedSystem::GetCurrentDirectory() { return currentDir_; }

bool EmulatedSystem::SetCurrentDirectory(const std::string& path) {
    const std::string full = FullWindowsPath(path, currentDir_);
    if (!IsDir(ToHost(full))) return Fail(kErrorPathNotFound);
    currentDir_ = full;
    return true;
}

std::string EmulatedSystem::GetFullPathName(const std::string& path) {
    if (IsHostPath(path)) return path;
    return FullPathName(path, currentDir_);
}

void EmulatedSystem::MakeFreshMachine() {
    // The keys every Windows has below the machine's root.
    RegCreateKey(RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
    // The shell folders of a freshly installed Windows 95.
    const char* const kKey =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const std::pair<const char*, const char*> kFolders[] = {
        {"Desktop", "C:\\WINDOWS\\Desktop"},
        {"Programs", "C:\\WINDOWS\\Start Menu\\Programs"},
        {"Start Menu", "C:\\WINDOWS\\Start Menu"},
        {"Startup", "C:\\WINDOWS\\Start Menu\\Programs\\StartUp"},
    };
    std::error_code ec;
    for (const auto& [name, dir] : kFolders) {
        std::string below = dir + 3;  // without "C:\\"
        std::replace(below.begin(), below.end(), '\\', '/');
        fs::create_directories(root_ / "c" / below, ec);
        RegSetString(RegRoot::CurrentUser, kKey, name, dir);
    }
}

}  // namespace zov::sys::emu
