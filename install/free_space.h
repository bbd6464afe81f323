#pragma once
// Room on the drives before the setup writes: what it will write on each drive, every file
// counted in whole clusters of its drive, against the drive's free space. Checked before the
// payload is expanded (the temporary folder's drive) and again before the copy (each
// destination's drive), so that a short drive stops the setup before it changes anything.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "install/setup_config.h"

namespace zov {

class TInstallLog;

struct TDriveNeed {
    std::string Drive;          // "D:", or "\\server\share"
    uint32_t ClusterSize = 1;   // bytes; 1 when the system does not say
    uint64_t Needed = 0;        // bytes in whole clusters
    uint64_t Free = 0;          // filled in by Shortage
};

class TSpaceNeeds {
public:
    // A file of `size` bytes that will be written at `path`.
    void Add(const std::string& path, uint64_t size);
    const std::vector<TDriveNeed>& Drives() const { return drives_; }
    // The first drive with less free space than is needed there. A drive whose free space
    // cannot be read is not held short: the write itself will tell.
    std::optional<TDriveNeed> Shortage() const;

private:
    std::vector<TDriveNeed> drives_;
};

// "D:" for "D:\dir\file", "\\server\share" for a network path; "" for a relative path.
std::string DriveOf(const std::string& path);
// Megabytes (1048576 bytes) with one decimal, rounded up or down: "12.4 MB".
std::string MegabytesText(uint64_t bytes, bool roundUp);
// "Not enough space on D: 12.4 MB needed, 3.1 MB free": what is needed rounded up and what
// is free rounded down, so that the one shown never equals the other.
std::string ShortageText(const TDriveNeed& drive);

// Before the payload is expanded: the setup's own two files and the temporary archive, the
// segments' data written once, in the temporary folder: a lower bound, as the archive lies
// there whole while its files are expanded beside it. (What it expands to is known only once
// it is read; a drive that fills then ends the expansion with its reason.)
TSpaceNeeds ExpansionNeeds(const TSetupSettings& settings);
// Before the copy: every payload file of the active list (the workstation's or the full
// one) in each directory its tag names, and install.exe, install.cfg and uninstall.cfg in
// the install directory, `destination`. The payload lies expanded in TempDir.
TSpaceNeeds CopyNeeds(const TSetupSettings& settings, const std::string& destination, bool workstation);

// For a drive that filled during the install: ShortageText of the drive of `path` with the
// space free now; "" when `needs` has no such drive or its free space cannot be read.
std::string FilledDriveText(const TSpaceNeeds& needs, const std::string& path);
// ShortageText of the first short drive; "" when every drive has room.
std::string SpaceShortage(const TSpaceNeeds& needs);
// For the unattended setup: true when every drive has room; otherwise the log gets
// "FAILED " and the shortage.
bool HasRoom(const TSpaceNeeds& needs, TInstallLog* log);

}  // namespace zov
