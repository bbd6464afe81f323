#pragma once
// Shell link (".lnk") files in the published Shell Link Binary File Format: the header with
// the link class identifier, a LinkInfo structure holding the target as a local base path
// on a fixed drive, and the string data (name, relative path, working directory, arguments,
// icon location) in UTF-16. No item-id list is written: the shell finds the target
// through the LinkInfo.
#include <cstdint>
#include <string>

namespace zov::sys::emu {

struct ShellLinkFields {
    std::string target;        // full path "X:\...", ANSI
    std::string relativePath;  // from the link's folder to the target, or ""
    std::string workingDir;
    std::string arguments;
    std::string description;
    std::string iconFile;
    int iconIndex = 0;
    uint32_t targetAttributes = 0;
    uint32_t targetSize = 0;
    uint64_t targetWriteTime = 0;  // FILETIME, 100 ns since 1601
    uint32_t driveSerial = 0;
};

std::string EncodeShellLink(const ShellLinkFields& link);

// The way from `fromDir` to `target`, both full paths: ".\sub\file" or "..\other\file";
// "" when they lie on different drives.
std::string RelativeLinkPath(const std::string& fromDir, const std::string& target);

}  // namespace zov::sys::emu
