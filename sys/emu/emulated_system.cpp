#include "sys/emu/emulated_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "sys/canonical_path.h"
#include "sys/emu/emu_paths.h"
#include "sys/emu/host_files.h"
#include "sys/emu/find_pattern.h"
#include "sys/emu/short_names.h"

namespace zov::sys::emu {
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kStoredBits = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;
constexpr size_t kMaxPath = 260;  // MAX_PATH, the terminating zero included
constexpr size_t kMaxName = 255;  // one name of a path

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

namespace {

// Makes the machine's folders that every machine has; gives the root with links resolved.
fs::path MadeRoot(const fs::path& root) {
    std::error_code ec;
    fs::create_directories(root / "c" / "WINDOWS" / "SYSTEM", ec);
    fs::create_directories(root / "c" / "WINDOWS" / "TEMP", ec);
    fs::create_directories(root / "c" / "Program Files", ec);
    const fs::path canonical = fs::weakly_canonical(fs::absolute(root, ec), ec);
    return ec ? root : canonical;
}

bool IsDevicePrefixed(const std::string& path) {
    return path.size() >= 4 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') &&
           (path[2] == '.' || path[2] == '?');
}

// Windows takes every name but the last as it is written: one with trailing dots or blanks,
// or with a character no name holds (as in "/:\tmp"), is a folder that is not there.
bool HasMissingFolderName(const std::string& path) {
    std::vector<std::string> names = SplitComponents(path);
    if (names.empty()) return false;
    names.pop_back();
    const size_t first = IsDevicePrefixed(path) ? 1 : 0;  // the names after "\\?\"
    for (size_t i = first; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (name == "." || name == "..") continue;
        const bool drive = name.size() == 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]));
        if (i == first && drive) continue;
        if (name.back() == '.' || name.back() == ' ') return true;
        for (unsigned char c : name)
            if (c < 32 || c == ':' || c == '"' || c == '<' || c == '>' || c == '|') return true;
    }
    return false;
}

}  // namespace

EmulatedSystem::EmulatedSystem(fs::path root, HostPaths hostPaths)
    : root_(std::move(root)), canonicalRoot_(MadeRoot(root_)), hostPaths_(hostPaths),
      entries_(canonicalRoot_) {
    if (!Exists(RegistryFile())) MakeFreshMachine();
}

EmulatedSystem::Place EmulatedSystem::Locate(const std::string& path) {
    Place place;
    if (hostPaths_ == HostPaths::Taken && IsHostPath(path)) {
        place.full = path;
        place.host = path;
        return place;
    }
    const TCanonicalPath canonical = CanonicalPath(path, currentDir_);
    place.full = canonical.Path;
    if (path.size() >= kMaxPath) {
        place.error = kErrorFilenameExcedRange;
    } else if (canonical.Kind == TPathKind::Unc) {
        place.error = kErrorBadNetPath;
    } else if (HasMissingFolderName(path)) {
        place.error = kErrorPathNotFound;
    } else if (canonical.Kind == TPathKind::Device) {
        const std::string name = UpperAscii(FullPathName(path, currentDir_));
        const size_t cut = path.find_last_of("\\/");
        if (cut != std::string::npos && !IsDevicePrefixed(path) && !IsDir(Locate(path.substr(0, cut + 1)).host))
            place.error = kErrorPathNotFound;
        else if (name == "\\\\.\\CON")
            place.error = kErrorInvalidHandle;  // a program without a console has none to open
        else if (name == "\\\\.\\NUL")
            place.nullDevice = true;
        else
            place.error = kErrorFileNotFound;  // the machine has no such device
    } else if (canonical.Kind == TPathKind::Invalid) {
        place.error = path.empty() ? kErrorPathNotFound : kErrorInvalidName;
    } else if (canonical.Path.find_first_of("*?") != std::string::npos) {
        place.error = kErrorInvalidName;
    } else if (canonical.Path.size() >= kMaxPath) {
        place.error = kErrorFilenameExcedRange;
    } else {
        for (const std::string& name : SplitComponents(canonical.Path.substr(2)))
            if (name.size() > kMaxName) place.error = kErrorFilenameExcedRange;
    }
    if (place.Refused() || place.nullDevice) return place;
    const HostLookup found = HostPath(canonicalRoot_, canonical.Path,
                                      [this](const fs::path& dir, const std::string& name) {
                                          return entries_.FindShortName(dir, name);
                                      });
    place.host = found.host;
    place.error = found.error;
    return place;
}

std::string EmulatedSystem::Full(const std::string& path) { return Locate(path).full; }

fs::path EmulatedSystem::ToHost(const std::string& path) {
    const Place place = Locate(path);
    return place.Refused() ? fs::path() : place.host;
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
    const Place place = Locate(path);
    if (place.nullDevice) return MakeNullDeviceFile();
    if (place.Refused()) return Fail(place.error), nullptr;
    const std::string full = UpperAscii(place.full);
    const fs::path& host = place.host;
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
    const Place place = Locate(path);
    if (place.nullDevice) return Fail(kErrorAccessDenied);
    if (place.Refused()) return Fail(place.error);
    const fs::path& host = place.host;
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
    const Place origin = Locate(from), destination = Locate(to);
    if (origin.Refused()) return Fail(origin.error);
    if (destination.Refused()) return Fail(destination.error);
    if (origin.nullDevice || destination.nullDevice) return Fail(kErrorAccessDenied);
    const fs::path& source = origin.host;
    const fs::path& target = destination.host;
    struct stat st {};
    if (::lstat(source.c_str(), &st) != 0) return Fail(MissingCode(source));
    if (S_ISDIR(st.st_mode) || state_->IsOpen({st.st_dev, st.st_ino})) return Fail(kErrorAccessDenied);
    if (uncreatable_.count(UpperAscii(destination.full))) return Fail(kErrorAccessDenied);
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
    const Place place = Locate(path);
    if (place.nullDevice) return Fail(kErrorAlreadyExists);
    if (place.Refused()) return Fail(place.error);
    const fs::path& host = place.host;
    if (Exists(host)) return Fail(kErrorAlreadyExists);
    if (uncreatable_.count(UpperAscii(place.full))) return Fail(kErrorAccessDenied);
    std::error_code ec;
    fs::path target = host;
    if (target.filename().empty()) target = target.parent_path();  // "C:\dir\"
    if (!IsDir(target.parent_path())) return Fail(kErrorPathNotFound);
    if (!fs::create_directory(target, ec)) return Fail(kErrorAccessDenied);
    entries_.Forget(target);
    return true;
}

bool EmulatedSystem::RemoveDirectory(const std::string& path) {
    const Place place = Locate(path);
    if (place.nullDevice) return Fail(kErrorInvalidName);
    if (place.Refused()) return Fail(place.error);
    const fs::path& host = place.host;
    std::error_code ec;
    if (!IsDir(host)) return Fail(Exists(host) ? kErrorInvalidName : MissingCode(host));
    if (fs::is_symlink(fs::symlink_status(host, ec))) return Fail(kErrorAccessDenied);
    const bool empty = fs::is_empty(host, ec);
    if (ec || !empty) return Fail(ec ? kErrorAccessDenied : kErrorDirNotEmpty);
    if (AttributesOf(host) & kAttrReadOnly) return Fail(kErrorAccessDenied);
    // The process holds its current directory open.
    if (SamePath(place.full, currentDir_)) return Fail(kErrorSharingViolation);
    if (!fs::remove(host, ec)) return Fail(kErrorAccessDenied);
    entries_.Forget(host);
    return true;
}

uint32_t EmulatedSystem::GetFileAttributes(const std::string& path) {
    const Place place = Locate(path);
    if (place.nullDevice) return kAttrArchive;
    if (place.Refused()) return Fail(place.error), kInvalidAttributes;
    const uint32_t attributes = AttributesOf(place.host);
    if (attributes == kInvalidAttributes) Fail(MissingCode(place.host));
    return attributes;
}

bool EmulatedSystem::SetFileAttributes(const std::string& path, uint32_t attributes) {
    const Place place = Locate(path);
    if (place.nullDevice) return true;
    if (place.Refused()) return Fail(place.error);
    if (!Exists(place.host)) return Fail(MissingCode(place.host));
    entries_.SetAttributes(place.host, attributes & kStoredBits);
    return true;
}

bool EmulatedSystem::FindFiles(const std::string& pattern, bool includeHiddenSystem,
                               std::vector<FindEntry>& entries) {
    entries.clear();
    const size_t cut = pattern.find_last_of("\\/");
    if (pattern.empty() || cut == pattern.size() - 1) return Fail(kErrorFileNotFound);
    // The mask is taken as written: "*." means names without an extension.
    const std::string mask = pattern.substr(cut == std::string::npos ? 0 : cut + 1);
    const std::string dir = cut == std::string::npos ? std::string(".") : pattern.substr(0, cut + 1);
    const Place place = Locate(dir);
    if (place.Refused() || place.nullDevice) return Fail(place.Refused() ? place.error : kErrorPathNotFound);
    if (mask.empty() || !IsDir(place.host)) return Fail(kErrorPathNotFound);
    const bool hostDir = place.full.empty() || place.full[0] == '/';
    if (hostDir || place.full.size() > 3) {
        for (const char* dot : {".", ".."})
            if (MatchesFindPattern(mask, dot)) entries.push_back({dot, kAttrDirectory, 0});
    }
    std::vector<fs::path> found = FolderEntries(place.host);
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
        std::error_code ec;
        f.size = (attrs & kAttrDirectory) ? 0 : fs::file_size(p, ec);
        if (ec) f.size = 0;
        entries.push_back(f);
    }
    return !entries.empty() || Fail(kErrorFileNotFound);
}

void EmulatedSystem::SetFreeDiskSpace(char drive, uint64_t bytes) {
    driveFreeSpace_[static_cast<char>(std::toupper(static_cast<unsigned char>(drive)))] = bytes;
}

fs::path EmulatedSystem::DriveFolder(const std::string& root) const {
    if (root.size() < 2 || root[1] != ':') return {};
    const fs::path drive = root_ / std::string(1, static_cast<char>(std::tolower(
                                                     static_cast<unsigned char>(root[0]))));
    return IsDir(drive) ? drive : fs::path();
}

bool EmulatedSystem::GetDiskFreeSpace(const std::string& root, uint64_t& freeBytes) {
    const fs::path drive = DriveFolder(root);
    if (drive.empty()) return false;
    uint64_t bytes = 0;
    const auto one = driveFreeSpace_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(root[0]))));
    if (one != driveFreeSpace_.end()) {
        bytes = one->second;
    } else if (freeSpace_) {
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

bool EmulatedSystem::GetDiskClusterSize(const std::string& root, uint32_t& bytesPerCluster) {
    const fs::path drive = DriveFolder(root);
    if (drive.empty()) return false;
    if (clusterSize_) {
        bytesPerCluster = *clusterSize_;
        return true;
    }
    struct statvfs st {};
    if (::statvfs(drive.c_str(), &st) != 0) return false;
    bytesPerCluster = static_cast<uint32_t>(st.f_frsize);
    return true;
}

std::string EmulatedSystem::GetWindowsDirectory() { return "C:\\WINDOWS"; }

bool EmulatedSystem::GetShortPathName(const std::string& path, std::string& shortPath) {
    const Place place = Locate(path);
    if (place.Refused()) return Fail(place.error);
    if (place.nullDevice || !Exists(place.host)) return Fail(MissingCode(place.host));
    if (hostPaths_ == HostPaths::Taken && IsHostPath(path)) {
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
    const Place place = Locate(path);
    if (place.Refused()) return Fail(place.error);
    if (place.nullDevice || place.full.empty() || place.full[0] == '/' || !IsDir(place.host))
        return Fail(kErrorPathNotFound);
    currentDir_ = place.full;
    return true;
}

std::string EmulatedSystem::GetFullPathName(const std::string& path) {
    if (hostPaths_ == HostPaths::Taken && IsHostPath(path)) return path;
    if (path.size() >= kMaxPath) return Fail(kErrorFilenameExcedRange), std::string();
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
