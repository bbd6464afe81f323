#include "install/free_space.h"

#include "install/wizard/directory_tags.h"
#include "install/wizard/install_engine.h"
#include "segment/seg_check.h"
#include "shell/system_helpers.h"
#include "sys/decimal.h"
#include "sys/paths.h"
#include "sys/system.h"
#include "sys/concat.h"

namespace zov {
namespace {

constexpr uint64_t kMegabyte = 1048576;

// The size of a file; 0 when it is missing.
uint64_t SizeOf(const std::string& path) {
    std::vector<sys::FindEntry> found;
    if (!sys::Sys().FindFiles(path, true, found) || found.size() != 1) return 0;
    return found[0].size;
}

// The size of the file `name` among the `files` of one folder; 0 when it is not there.
uint64_t SizeAmong(const std::vector<sys::FindEntry>& files, const std::string& name) {
    const std::string upper = UpperCase(name);
    for (const sys::FindEntry& file : files)
        if (!(file.attributes & sys::kAttrDirectory) && UpperCase(file.name) == upper) return file.size;
    return 0;
}

std::string RootOf(const std::string& drive) { return drive + "\\"; }

}  // namespace

std::string DriveOf(const std::string& path) {
    const char letter = path.empty() ? '\0' : static_cast<char>(path[0] | 0x20);
    if (path.size() >= 2 && path[1] == ':' && letter >= 'a' && letter <= 'z')
        return UpperCase(path.substr(0, 2));
    if (path.size() > 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        // \\server\share: the share is the drive.
        size_t end = path.find_first_of("\\/", 2);
        if (end != std::string::npos) end = path.find_first_of("\\/", end + 1);
        return UpperCase(path.substr(0, end));
    }
    return {};
}

void TSpaceNeeds::Add(const std::string& path, uint64_t size) {
    const std::string drive = DriveOf(path);
    if (drive.empty()) return;
    auto it = drives_.begin();
    while (it != drives_.end() && it->Drive != drive) ++it;
    if (it == drives_.end()) {
        TDriveNeed need;
        need.Drive = drive;
        uint32_t cluster = 0;
        if (sys::Sys().GetDiskClusterSize(RootOf(drive), cluster) && cluster > 0) need.ClusterSize = cluster;
        drives_.push_back(need);
        it = drives_.end() - 1;
    }
    it->Needed += (size + it->ClusterSize - 1) / it->ClusterSize * it->ClusterSize;
}

std::optional<TDriveNeed> TSpaceNeeds::Shortage() const {
    for (TDriveNeed drive : drives_) {
        if (!sys::Sys().GetDiskFreeSpace(RootOf(drive.Drive), drive.Free)) continue;
        if (drive.Free < drive.Needed) return drive;
    }
    return std::nullopt;
}

std::string FilledDriveText(const TSpaceNeeds& needs, const std::string& path) {
    const std::string drive = UpperCase(DriveOf(path));
    for (TDriveNeed need : needs.Drives())
        if (!drive.empty() && UpperCase(need.Drive) == drive && sys::Sys().GetDiskFreeSpace(RootOf(need.Drive), need.Free))
            return ShortageText(need);
    return "";
}

std::string MegabytesText(uint64_t bytes, bool roundUp) {
    const uint64_t tenths = (bytes / kMegabyte) * 10 + ((bytes % kMegabyte) * 10 + (roundUp ? kMegabyte - 1 : 0)) / kMegabyte;
    return DecimalText(static_cast<int64_t>(tenths / 10)) + "." + DecimalText(static_cast<int64_t>(tenths % 10)) +
           " MB";
}

std::string ShortageText(const TDriveNeed& drive) {
    // "D:" has its colon; "\\server\share" gets one.
    const char* const after = !drive.Drive.empty() && drive.Drive.back() == ':' ? " " : ": ";
    return "Not enough space on " + drive.Drive + after + MegabytesText(drive.Needed, true) + " needed, " +
           MegabytesText(drive.Free, false) + " free";
}

TSpaceNeeds ExpansionNeeds(const TSetupSettings& settings) {
    TSpaceNeeds needs;
    // The reader copies each segment, less its 8-byte header, once into the temporary
    // archive; the medium's one archive lies there whole while its files are expanded.
    uint64_t data = 0;
    const auto add = [&data](uint64_t size) { data += size > 8 ? size - 8 : 0; };
    const std::string cfg = settings.SourceDir + "install.cfg";
    bool checked = false;
    for (const segment::TSegCheckEntry& segment : segment::ReadSegChecks(cfg)) {
        if (UpperCase(segment.Name) == "INSTALL.CFG" || segment.Check.Size <= 0) continue;  // the file itself: below
        add(static_cast<uint64_t>(segment.Check.Size));
        checked = true;
    }
    // A medium without the sizes of its segments: those at hand (a set on floppies shows the first).
    std::vector<sys::FindEntry> segments;
    if (!checked && sys::Sys().FindFiles(settings.SourceDir + "disk.*", false, segments))
        for (const sys::FindEntry& segment : segments)
            if (segment.name.find_first_not_of("0123456789", 5) == std::string::npos && segment.name.size() > 5)
                add(segment.size);
    if (data) needs.Add(settings.TempDir + "\\disk.$A$", data);
    for (const char* name : {"install.exe", "install.cfg"})
        needs.Add(Concat({settings.TempDir, "\\", name}), SizeOf(settings.SourceDir + name));
    return needs;
}

TSpaceNeeds CopyNeeds(const TSetupSettings& settings, const std::string& destination, bool workstation) {
    TSpaceNeeds needs;
    const TDirectoryBases bases{GetWindowsDir(), settings.WindowsRoot, WithoutTrailingBackslash(destination)};
    std::vector<std::string> tags, dirs;
    for (std::string rest : settings.Directories) {
        std::string tag;
        SplitField(rest, '~', tag);
        tags.push_back(UpperCase(tag));
        dirs.push_back(ResolveDirectoryTag(tags.back(), rest, bases));
    }
    // The expanded payload, listed once rather than looked up file by file.
    std::vector<sys::FindEntry> expanded;
    sys::Sys().FindFiles(settings.TempDir + "\\*.*", true, expanded);
    for (std::string rest : workstation ? settings.WorkStationFiles : settings.Files) {
        std::string source, tag;
        SplitField(rest, '~', source);
        SplitField(rest, '~', tag);
        const std::string name = FileNamePart(source);
        const uint64_t size = SizeAmong(expanded, name);
        // The copy sends a file to every directory of its tag.
        for (size_t i = 0; i < tags.size(); ++i)
            if (tags[i] == UpperCase(tag)) needs.Add(JoinPath(dirs[i], name), size);
    }
    for (const char* name : {"install.exe", "install.cfg"})
        needs.Add(JoinPath(bases.InstallDir, name), SizeAmong(expanded, name));
    needs.Add(JoinPath(bases.InstallDir, "uninstall.cfg"), 1);
    return needs;
}

std::string SpaceShortage(const TSpaceNeeds& needs) {
    const std::optional<TDriveNeed> drive = needs.Shortage();
    return drive ? ShortageText(*drive) : std::string();
}

bool HasRoom(const TSpaceNeeds& needs, TInstallLog* log) {
    const std::string shortage = SpaceShortage(needs);
    if (shortage.empty()) return true;
    if (log) log->Line("FAILED " + shortage);
    return false;
}

}  // namespace zov
