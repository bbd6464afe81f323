#include "tools/zovpack/media_machine.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

#ifdef _WIN32
#include <process.h>
#define ZOV_GETPID _getpid
#else
#include <unistd.h>
#define ZOV_GETPID getpid
#include "sys/emu/emulated_system.h"
#endif

#include "sys/exception.h"

namespace zov::zovpack {

void RemoveTree(const std::string& dir) {
    std::vector<sys::FindEntry> entries;
    if (sys::Sys().FindFiles(dir + "\\*.*", true, entries)) {
        for (const sys::FindEntry& e : entries) {
            if (e.name == "." || e.name == "..") continue;
            const std::string path = dir + "\\" + e.name;
            if (e.attributes & sys::kAttrDirectory) {
                RemoveTree(path);
            } else {
                sys::Sys().SetFileAttributes(path, sys::kAttrNormal);
                sys::Sys().DeleteFile(path);
            }
        }
    }
    sys::Sys().RemoveDirectory(dir);
}

ReaderMachine::ReaderMachine() : previous_(&sys::Sys()) {
    const std::string tag = "zovpack-" + std::to_string(ZOV_GETPID());
#ifdef _WIN32
    const char* temp = std::getenv("TEMP");
    scratchBase_ = std::string(temp ? temp : "C:\\WINDOWS\\TEMP") + "\\" + tag;
#else
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / (tag + "-machine");
    fs::remove_all(root);
    fs::create_directories(root);
    fs::create_directory_symlink("/", root / "h");
    hostRoot_ = root.string();
    own_ = std::make_unique<sys::emu::EmulatedSystem>(root);
    sys::SetSystem(own_.get());
    scratchBase_ = "C:\\" + tag;
#endif
    if (!sys::Sys().CreateDirectory(scratchBase_) &&
        sys::Sys().GetFileAttributes(scratchBase_) == sys::kInvalidAttributes)
        throw EFCreateError("Cannot create folder " + scratchBase_);
}

ReaderMachine::~ReaderMachine() {
    RemoveTree(scratchBase_);
    sys::SetSystem(previous_);
#ifndef _WIN32
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::remove(fs::path(hostRoot_) / "h", ec);  // the link first: nothing of the host goes
    fs::remove_all(hostRoot_, ec);
#endif
}

std::string ReaderMachine::Path(const std::string& toolPath) const {
#ifdef _WIN32
    return toolPath;
#else
    std::string path = "H:" + toolPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
#endif
}

std::string ReaderMachine::NewScratchFolder() {
    const std::string dir = scratchBase_ + "\\" + std::to_string(++scratchCount_);
    if (!sys::Sys().CreateDirectory(dir)) throw EFCreateError("Cannot create folder " + dir);
    return dir;
}

}  // namespace zov::zovpack
