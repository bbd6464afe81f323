#include "tools/zovpack/media_machine.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <vector>

#ifdef _WIN32
#include <process.h>
#define ZOV_GETPID _getpid
#else
#include <unistd.h>
#define ZOV_GETPID getpid
#include "sys/forwarding_system.h"
#endif

#include "sys/exception.h"
#include "sys/paths.h"

namespace zov::zovpack {

void RemoveTree(const std::string& dir) {
    std::vector<sys::FindEntry> entries;
    if (sys::Sys().FindFiles(dir + "\\*.*", true, entries)) {
        for (const sys::FindEntry& e : entries) {
            if (e.name == "." || e.name == "..") continue;
            const std::string path = dir + "\\" + e.name;
            if (e.attributes & sys::kAttrDirectory)
                RemoveTree(path);
            else
                DeleteFileForced(path);
        }
    }
    sys::Sys().RemoveDirectory(dir);
}

std::string ProcessTag() { return "zovpack-" + std::to_string(ZOV_GETPID()); }

namespace {

#ifndef _WIN32
namespace fs = std::filesystem;

constexpr const char* kHostDrive = "h:";

bool IsHostDrivePath(const std::string& path) {
    return path.size() >= 3 && (path[0] == 'h' || path[0] == 'H') && path[1] == ':' &&
           IsPathSeparator(path[2]);
}

// The host file a "h:\..." path names: each existing name is found without regard to case,
// missing ones keep the spelling given.
std::string HostFile(const std::string& path) {
    fs::path host = "/";
    std::string part;
    std::error_code ec;
    auto take = [&] {
        if (part.empty() || part == ".") return;
        if (part == "..") {
            host = host.parent_path();
        } else if (fs::exists(fs::symlink_status(host / part, ec))) {
            host /= part;
        } else {
            fs::path found = host / part;
            for (const auto& entry : fs::directory_iterator(host, ec))
                if (UpperCase(entry.path().filename().string()) == UpperCase(part)) {
                    found = entry.path();
                    break;
                }
            host = found;
        }
        part.clear();
    };
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || IsPathSeparator(path[i]))
            take();
        else
            part += path[i];
    }
    return host.string();
}

std::string Mapped(const std::string& path) { return IsHostDrivePath(path) ? HostFile(path) : path; }

// The tool's system, with the host reached through drive H:.
class HostDriveSystem : public sys::ForwardingSystem {
public:
    using ForwardingSystem::ForwardingSystem;
    std::unique_ptr<sys::File> OpenFile(const std::string& path, sys::FileAccess access,
                                        sys::FileCreate create, sys::FileShare share) override {
        return ForwardingSystem::OpenFile(Mapped(path), access, create, share);
    }
    bool DeleteFile(const std::string& path) override { return ForwardingSystem::DeleteFile(Mapped(path)); }
    bool CreateDirectory(const std::string& path) override {
        return ForwardingSystem::CreateDirectory(Mapped(path));
    }
    bool RemoveDirectory(const std::string& path) override {
        return ForwardingSystem::RemoveDirectory(Mapped(path));
    }
    uint32_t GetFileAttributes(const std::string& path) override {
        return ForwardingSystem::GetFileAttributes(Mapped(path));
    }
    bool SetFileAttributes(const std::string& path, uint32_t attributes) override {
        return ForwardingSystem::SetFileAttributes(Mapped(path), attributes);
    }
    bool FindFiles(const std::string& pattern, bool includeHiddenSystem,
                   std::vector<sys::FindEntry>& entries) override {
        if (!IsHostDrivePath(pattern)) return ForwardingSystem::FindFiles(pattern, includeHiddenSystem, entries);
        const std::string dir = DirectoryPart(pattern);
        return ForwardingSystem::FindFiles(HostFile(dir) + "/" + FileNamePart(pattern),
                                           includeHiddenSystem, entries);
    }
    bool GetDiskFreeSpace(const std::string& root, uint64_t& freeBytes) override {
        return ForwardingSystem::GetDiskFreeSpace(Mapped(root), freeBytes);
    }
    std::string GetProfileString(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& defaultValue,
                                 uint32_t bufferSize) override {
        return ForwardingSystem::GetProfileString(Mapped(file), section, key, defaultValue, bufferSize);
    }
    std::vector<std::string> GetProfileKeyNames(const std::string& file, const std::string& section,
                                                uint32_t bufferSize) override {
        return ForwardingSystem::GetProfileKeyNames(Mapped(file), section, bufferSize);
    }
};
#endif

}  // namespace

ReaderMachine::ReaderMachine() : previous_(&sys::Sys()) {
    const std::string tag = ProcessTag();
#ifdef _WIN32
    const char* temp = std::getenv("TEMP");
    scratchBase_ = std::string(temp ? temp : "C:\\WINDOWS\\TEMP") + "\\" + tag;
#else
    own_ = std::make_unique<HostDriveSystem>(sys::Sys());
    sys::SetSystem(own_.get());
    scratchBase_ = Path((fs::temp_directory_path() / tag).string());
#endif
    if (!sys::Sys().CreateDirectory(scratchBase_) && !DirectoryExists(scratchBase_))
        throw EFCreateError("Cannot create folder " + sys::FailureText(UserText(scratchBase_)));
}

ReaderMachine::~ReaderMachine() {
    RemoveScratch();
    sys::SetSystem(previous_);
}

void ReaderMachine::RemoveScratch() {
    if (!scratchBase_.empty()) RemoveTree(scratchBase_);
}

std::string ReaderMachine::Path(const std::string& toolPath) const {
#ifdef _WIN32
    return toolPath;
#else
    std::string path = kHostDrive + toolPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
#endif
}

std::string ReaderMachine::NewScratchFolder() {
    const std::string dir = scratchBase_ + "\\" + std::to_string(++scratchCount_);
    if (!sys::Sys().CreateDirectory(dir)) throw EFCreateError(sys::FailureText(UserText(dir)));
    return dir;
}

std::string ReaderMachine::UserText(const std::string& text) const {
#ifdef _WIN32
    return text;
#else
    // A path runs up to the ": " of a reason, a quote or the end of a line.
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        if (IsHostDrivePath(text.substr(i, 3)) && (i == 0 || !std::isalnum(static_cast<unsigned char>(text[i - 1])))) {
            size_t end = i + 2;
            while (end < text.size() && text[end] != '"' && text[end] != '\n' && text[end] != '\r' &&
                   !(text[end] == ':' && (end + 1 == text.size() || text[end + 1] == ' ')))
                ++end;
            out += HostFile(text.substr(i, end - i));
            i = end;
        } else {
            out += text[i++];
        }
    }
    return out;
#endif
}

}  // namespace zov::zovpack
