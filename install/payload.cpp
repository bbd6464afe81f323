#include "install/payload.h"

#include "install/destination_check.h"
#include "install/wizard/uninstall_info.h"
#include "segment/seg_check.h"
#include "segment/seg_names.h"
#include "shell/system_helpers.h"
#include "sys/canonical_path.h"
#include "sys/decimal.h"
#include "sys/paths.h"
#include "sys/system.h"
#include "sys/concat.h"

namespace zov {

void FixStartupPaths(TSetupSettings& settings, const std::string& programPath) {
    settings.SourceDir = sys::Sys().GetCurrentDirectory();
    if (settings.SourceDir.size() > 3) settings.SourceDir += '\\';
    // Started by its full path from another folder (Start > Run "A:\install.exe"): the
    // medium is the program's own folder.
    const std::string programDir = DirectoryPart(programPath);
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

std::string SegmentFileFor(const TSetupSettings& settings, const std::string& baseName, uint16_t number) {
    return settings.SourceDir + segment::SegFileName(baseName, "", number);
}

std::string FlatTarget(const std::string& storedPath, const TSetupSettings& settings) {
    return Concat({settings.TempDir, "\\", FileNamePart(storedPath)});
}

namespace {

// The message of a failure, with the system's reason when the message does not give it.
std::string ReasonOf(const std::exception& e, const sys::Failure& failure) {
    const std::string message = e.what();
    if (failure.text.empty() || message.find(failure.text) != std::string::npos) return message;
    return Concat({message, ": ", failure.text});
}

// The reader names a segment by its lower-cased directory; the user knows the medium's
// path as the setup spells it.
void SpellSegmentAs(const std::string& segment, std::string& text, sys::Failure& failure) {
    if (failure.path.empty() || UpperCase(failure.path) != UpperCase(segment)) return;
    for (size_t at = text.find(failure.path); at != std::string::npos; at = text.find(failure.path, at + segment.size()))
        text.replace(at, failure.path.size(), segment);
    failure.path = segment;
}

// One run: the component's handlers, and where the run is for the failure's words.
class TPayloadRun {
public:
    TPayloadRun(segment::TSegCompEZ& component, const TSetupSettings& settings, TSetupPrompts& prompts,
                TPayloadView& view, TInstallLog* log)
        : component_(component), settings_(settings), prompts_(prompts), view_(view), log_(log) {}

    TPayloadOutcome Run(const std::string& title);

private:
    void SegmentBefore(uint16_t number);
    void CheckFile(std::string& path);
    void Log(const std::string& line) {
        if (log_) log_->Line(line);
    }
    TPayloadOutcome Failed(const std::string& reason, const sys::Failure& failure);
    bool MakeDirectory(const std::string& dir, TPayloadOutcome& outcome);

    segment::TSegCompEZ& component_;
    const TSetupSettings& settings_;
    TSetupPrompts& prompts_;
    TPayloadView& view_;
    TInstallLog* log_;
    std::string segment_, file_;  // being read, for the failure's words
};

TPayloadOutcome TPayloadRun::Failed(const std::string& reason, const sys::Failure& failure) {
    TPayloadOutcome outcome{TPayloadEnd::Failed, "", failure};
    if (!segment_.empty()) outcome.Reason += Concat({"Disk: ", segment_, "\r"});
    if (!file_.empty()) outcome.Reason += Concat({"File: ", file_, "\r"});
    outcome.Reason += reason;
    Log(sys::WithFailure("FAILED Error Expanding Files!! " + sys::OneLine(outcome.Reason), outcome.Failure));
    return outcome;
}

bool TPayloadRun::MakeDirectory(const std::string& dir, TPayloadOutcome& outcome) {
    if (ForceDirectories(dir)) return true;
    const sys::Failure failure = sys::FailureOf(dir);
    outcome = Failed(Concat({"Cannot create directory ", dir, ": ", failure.text}), failure);
    return false;
}

void TPayloadRun::SegmentBefore(uint16_t number) {
    segment_ = SegmentFileFor(settings_, component_.SegBaseName(), number);
    file_.clear();
    prompts_.Pump();
    Log("segment " + segment_);
    if (number == 1) {
        view_.Begin(static_cast<int>(settings_.Files.size()) + 3);
        prompts_.Pump();
        for (const char* name : {"install.exe", "install.cfg"}) {
            CopyFileInto(settings_.SourceDir + name, settings_.TempDir);
            view_.Step("");
            prompts_.Pump();
        }
    }
    prompts_.Pump();
}

void TPayloadRun::CheckFile(std::string& path) {
    path = FlatTarget(path, settings_);
    file_ = FileNamePart(path);
    view_.Step(path);
    prompts_.Pump();
}

TPayloadOutcome TPayloadRun::Run(const std::string& title) {
    component_.SetSegPopUp(false);
    component_.MakeDirectories = false;
    // A payload file that cannot be written is a failure, never a file left out.
    component_.ExceptionOnFileError = true;
    component_.CheckSpaceBeforeExpand = false;
    component_.MediumTitle = title;
    component_.SetSegBaseName("disk");
    component_.SetSegDir(settings_.SourceDir);
    component_.SetSegTmpDir(GetWindowsDir() + "\\temp");
    component_.SetTargetPath(settings_.TempDir);
    component_.SegArcList().Clear();
    component_.SetSegSource({});
    // Read now: install.cfg lies on the first disk only.
    component_.SegChecks = segment::ReadSegChecks(settings_.SourceDir + "install.cfg");
    component_.OnSegBefore = [this](segment::TSegMode, const std::string&, uint16_t number) { SegmentBefore(number); };
    component_.OnCheckFile = [this](std::string& path, compress::TCProcessMode) { CheckFile(path); };
    component_.OnShowProgress = [this](int32_t& percentage) { view_.Progress(percentage); };
    component_.OnSegShowProgress = [this](int32_t) { prompts_.Pump(); };
    TPayloadOutcome outcome;
    if (!MakeDirectory(settings_.TempDir, outcome) || !MakeDirectory(component_.SegTmpDir(), outcome)) return outcome;
    try {
        component_.ExpandSegmentSet(prompts_);
    } catch (const Exception& e) {
        std::string reason = component_.Cancelled() ? e.what() : ReasonOf(e, e.Failure());
        sys::Failure failure = e.Failure();
        SpellSegmentAs(segment_, reason, failure);
        if (component_.Cancelled()) return {TPayloadEnd::Cancelled, reason, failure};
        return Failed(reason, failure);
    } catch (const std::exception& e) {
        return Failed(e.what(), {});
    }
    return outcome;
}

}  // namespace

TPayloadOutcome ExpandPayload(segment::TSegCompEZ& component, const TSetupSettings& settings,
                              const std::string& title, TSetupPrompts& prompts, TPayloadView& view,
                              TInstallLog* log) {
    return TPayloadRun(component, settings, prompts, view, log).Run(title);
}

bool SafeToEmptyStartDir(const std::string& dir) {
    const TCanonicalPath full = CanonicalPath(dir, sys::Sys().GetCurrentDirectory());
    return full.Ok() && !IsSharedPlace(full.Path) && FileExists(full.Path + "\\install.cfg");
}

// Clean-up of the setup's own scratch: what cannot go stays, unreported, as nothing depends
// on it and the user can do nothing about it at the end of the run.
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
        names.push_back(segment::SegFileName("disk", "", static_cast<uint16_t>(disk)));
    names.push_back("install.cfg");
    // A process cannot remove its own current directory: leave it first.
    os.SetCurrentDirectory(GetWindowsDir());
    for (const std::string& name : names)
        if (FileNamePart(name) == name && name != "..") DeleteFileForced(Concat({dir, "\\", name}));
    os.RemoveDirectory(dir);  // only when that left it empty
}

}  // namespace zov
