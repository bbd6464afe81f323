#include "install/payload.h"

#include "install/Setup_Unit1.h"
#include "install/wizard/uninstall_info.h"
#include "segment/seg_check.h"
#include "segment/seg_names.h"
#include "shell/system_helpers.h"
#include "sys/canonical_path.h"
#include "sys/decimal.h"
#include "sys/paths.h"
#include "sys/system.h"
#include "ui/application.h"

namespace zov {

void FixStartupPaths(TSetupSettings& settings) {
    settings.SourceDir = sys::Sys().GetCurrentDirectory();
    if (settings.SourceDir.size() > 3) settings.SourceDir += '\\';
    // Started by its full path from another folder (Start > Run "A:\install.exe"): the
    // medium is the program's own folder.
    const std::string programDir = DirectoryPart(ui::App().ExeName);
    if (!programDir.empty() && !FileExists(settings.SourceDir + "install.cfg") && FileExists(programDir + "install.cfg"))
        settings.SourceDir = programDir;
    const std::string windows = GetWindowsDir();
    settings.WindowsRoot = windows.substr(0, 3);
    settings.TempDir = windows + "\\Temp\\z";
}

std::string DefaultDestination(const TSetupSettings& settings, const std::string& title) {
    // Installed before: the same folder again, so that the new install replaces the old.
    std::string earlier;
    if (sys::Sys().RegGetString(sys::RegRoot::LocalMachine, kUninstallRegistryKey + title, "InstallLocation", earlier) &&
        IsFullPath(earlier))
        return earlier;
    return settings.AddToProgramFiles ? settings.WindowsRoot + "Program Files\\" + settings.InstallDir
                                      : settings.WindowsRoot + settings.InstallDir;
}

void ConfigureExpansion(segment::TSegCompEZ& component, const TSetupSettings& settings, const std::string& title) {
    component.MediumTitle = title;
    component.SetSegBaseName("disk");
    component.SetSegDir(settings.SourceDir);
    component.SetSegTmpDir(GetWindowsDir() + "\\temp");
    component.SetTargetPath(settings.TempDir);
    component.SegArcList().Clear();
    component.SetSegSource({});
    // Read now: install.cfg lies on the first disk only.
    component.SegChecks = segment::ReadSegChecks(settings.SourceDir + "install.cfg");
    segment::ForceDirectories(settings.TempDir);
    segment::ForceDirectories(component.SegTmpDir());
}

std::string SegmentFileFor(const TSetupSettings& settings, const std::string& baseName, uint16_t number) {
    std::string digits = DecimalText(number);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return settings.SourceDir + baseName + "." + digits;
}

void PromptForSegment(segment::TSegCompress& component, const std::string& segmentPath, uint16_t number) {
    for (int prompt = 0; prompt < 2 && !FileExists(segmentPath); ++prompt)
        if (ui::MessageDlg("Please Insert Disk #" + DecimalText(number) + " into Floppy Drive.",
                           ui::TMsgDlgType::mtCustom, ui::mbOK | ui::mbCancel) != ui::mrOk)
            component.Cancel(segment::MissingDiskText(number, segmentPath));
}

std::string FlatTarget(const std::string& storedPath, const TSetupSettings& settings) {
    return settings.TempDir + "\\" + FileNamePart(storedPath);
}

std::string ExpansionFailure(const std::string& segmentPath, const std::string& file, const std::string& reason) {
    std::string detail = "Disk: " + segmentPath;
    if (!file.empty()) detail += "\rFile: " + file;
    return detail + "\r" + reason;
}

void RemoveSetupDirectories(TSetupSettings& settings) {
    EmptyAndRemoveDirectory(settings.TempDir);
    if (settings.StartDir.empty() || !SafeToEmptyStartDir(settings.StartDir)) return;
    sys::System& os = sys::Sys();
    const std::string dir = WithoutTrailingBackslash(os.GetFullPathName(settings.StartDir));
    // Only the setup's own files go: whatever else the folder holds is not ours.
    std::vector<std::string> names{"install.exe"};
    for (const segment::TSegCheckEntry& segment : segment::ReadSegChecks(dir + "\\install.cfg"))
        names.push_back(segment.Name);
    for (int32_t disk = 1; disk == 1 || (disk <= settings.InstallDisks && disk < 1000); ++disk)
        names.push_back(FileNamePart(SegmentFileFor(settings, "disk", static_cast<uint16_t>(disk))));
    names.push_back("install.cfg");
    // A process cannot remove its own current directory: leave it first.
    os.SetCurrentDirectory(GetWindowsDir());
    for (const std::string& name : names)
        if (FileNamePart(name) == name && name != "..") DeleteFileForced(dir + "\\" + name);
    os.RemoveDirectory(dir);  // only when that left it empty
}

}  // namespace zov
