#include "install/wizard/install_engine.h"

#include <algorithm>
#include <memory>

#include "install/cfg_entries.h"
#include "install/free_space.h"
#include "install/launch_command.h"
#include "install/wizard/directory_tags.h"
#include "install/wizard/registration.h"
#include "shell/shared_files.h"
#include "shell/system_helpers.h"
#include "shell/text_lines.h"
#include "sys/canonical_path.h"
#include "sys/decimal.h"
#include "sys/paths.h"
#include "sys/system.h"
#include "sys/concat.h"

namespace zov {
namespace {

constexpr int kShowNormal = 5;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

bool ReplaceFirst(std::string& text, const std::string& what, const std::string& with) {
    const size_t at = text.find(what);
    if (at == std::string::npos) return false;
    text.replace(at, what.size(), with);
    return true;
}

std::vector<std::string> MissingKeys(sys::RegRoot root, const std::string& key) { return MissingRegistryKeys(root, key); }

// The user confirmed a cancel.
struct TStopRequested {};

constexpr const char* kNotWhollyUndone =
    "Some changes could not be undone; the setup undoes them when it next starts, or the uninstall does.";
// The user answered Abort to a failure: the install is undone.
ZOV_EXCEPTION(EInstallAborted);

bool IsDiskFull(const sys::Failure& failure) {
    return failure.code == sys::kErrorDiskFull || failure.code == 39 /* ERROR_HANDLE_DISK_FULL */;
}

// In a handler: the failure the exception being handled carries, or one made of its message.
sys::Failure CaughtFailure() {
    try {
        throw;
    } catch (const Exception& e) {
        if (e.Failure().Failed()) return e.Failure();
        return {sys::kErrorWriteFault, "", e.what()};
    } catch (const std::exception& e) {
        return {sys::kErrorWriteFault, "", e.what()};
    }
}

bool Listed(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

int TInstallReport::ExitCode() const {
    switch (End) {
        case TInstallEnd::NothingDone:
        case TInstallEnd::Cancelled: return 1;
        case TInstallEnd::Stopped:
        case TInstallEnd::RolledBack: return 2;
        case TInstallEnd::Completed: return FailedFiles.empty() && LaunchFailure.empty() ? 0 : 2;
    }
    return 2;
}

TInstallEngine::TInstallEngine(TSetupSettings& settings, TInstallChoices choices, TSetupPrompts& prompts,
                               TInstallProgress& progress, TInstallLog* log)
    : settings_(settings), choices_(std::move(choices)), prompts_(prompts), progress_(progress), log_(log),
      journal_(log) {}

void TInstallEngine::Note(const std::string& line) {
    if (log_) log_->Line(line);
}

void TInstallEngine::Show(const std::string& status) {
    progress_.Status(status);
    Pump();
}

void TInstallEngine::Pump() {
    progress_.Pump();
    if (journal_.IsOpen() && progress_.StopRequested()) throw TStopRequested{};
}

TInstallReport TInstallEngine::Run() {
    TInstallReport report;
    windowsDir_ = GetWindowsDir();
    // An install that was killed is undone before this one starts.
    RollBackUnfinishedInstalls(log_);
    progress_.Begin();
    progress_.SetRange(static_cast<int>(settings_.Files.size() + settings_.Shortcuts.size() +
                                        settings_.IniEntries.size() + settings_.WorkStationFiles.size()));
    Show("Preparing Directory Structure");
    try {
        if (!ResolveDirectories(report)) return report;
        files_ = choices_.Workstation ? &settings_.WorkStationFiles : &settings_.Files;
        copyNeeds_ = CopyNeeds(settings_, targetDir_, choices_.Workstation);  // before a file leaves TempDir
        settings_.LaunchCommand = ExpandDirTag(settings_.LaunchCommand);
        CopyInstaller();
        CopyPayload(report);
        CreateShortcuts(report);
        if (!settings_.IniEntries.empty()) WriteIniEntries();
        if (!settings_.AutoexecLines.empty()) UpdateAutoexec();
        uninstall_.Flush();
        Show("Creating Uninstall Information");
        RegisterUninstaller();
        uninstall_.Flush();  // the keys the registration made
        journal_.Commit();
    } catch (const TStopRequested&) {
        const bool whole = journal_.RollBack();
        report.End = TInstallEnd::Cancelled;
        report.Error = whole ? "The installation was stopped: nothing was installed." : "The installation was stopped.\r" + std::string(kNotWhollyUndone);
        Note(whole ? "stopped: every change was undone" : "stopped: not every change could be undone");
        return report;
    } catch (const std::exception& e) {
        const sys::Failure failure = CaughtFailure();
        std::string why = e.what();
        if (failure.Failed() && why.find(failure.text) == std::string::npos) why += "\r" + failure.text;
        // The path and the code follow where the message does not name them.
        Note(sys::WithFailure("FAILED " + sys::OneLine(why), failure));
        const bool whole = journal_.RollBack();
        // A drive that filled although it had room when checked: what it holds free now.
        if (failure.code == sys::kErrorDiskFull && files_)
            if (const std::string full = FilledDriveText(copyNeeds_, failure.path); !full.empty()) {
                why += "\r" + full;
                Note("FAILED " + full);
            }
        report.End = TInstallEnd::RolledBack;
        report.Error = why + "\r\r" + (whole ? "The installation was undone: nothing was installed." : kNotWhollyUndone);
        Note(whole ? "rolled back: nothing was installed" : "rolled back in part: the rest is undone at the next start");
        return report;
    }
    Launch(report);
    progress_.Pump();
    return report;
}

bool TInstallEngine::ResolveDirectories(TInstallReport& report) {
    const bool hasInstallDir =
        std::any_of(settings_.Directories.begin(), settings_.Directories.end(),
                    [](const std::string& entry) { return ParseDirectoryEntry(entry).Tag == "<INSTALLDIR>"; });
    if (!hasInstallDir) {
        // Without an install directory the uninstall information has no home: install
        // nothing rather than files that could never be removed.
        report.End = TInstallEnd::NothingDone;
        report.Error = "This setup names no install directory (<INSTALLDIR> in its Directories): nothing was installed.";
        Note("FAILED " + report.Error);
        return false;
    }
    targetDir_ = choices_.Destination;
    if (const TCanonicalPath full = CanonicalPath(targetDir_); full.Ok()) targetDir_ = WithoutTrailingBackslash(full.Path);
    std::vector<std::string> created;  // recorded once the uninstall file is open
    const std::string earlierDir = RegisteredInstallDir(choices_.Title);
    registrationKeys_ = MissingKeys(sys::RegRoot::LocalMachine, RegistrationKey(choices_.Title));
    try {
        journal_.Begin(choices_.Title, targetDir_, settings_.TempDir, &created);
    } catch (const Exception& e) {
        report.End = TInstallEnd::NothingDone;
        report.Error = "Unable to Create " + targetDir_;
        const bool directory = report.Error == e.what();
        Note(sys::WithFailure("FAILED " + (directory ? "directory " + e.Failure().Describe() : sys::OneLine(e.what())),
                         e.Failure()));
        return false;
    }
    for (const std::string& entry : settings_.Directories) {
        const TDirectoryEntry entryDir = ParseDirectoryEntry(entry);
        const std::string& tag = entryDir.Tag;
        // Recorded and compared in its one full form: "Evil\..\WINDOWS" is the Windows directory.
        std::string dir = ResolveDirectory(tag, entryDir.Path);
        if (const TCanonicalPath full = CanonicalPath(dir); full.Ok()) dir = WithoutTrailingBackslash(full.Path);
        dirTags_.push_back(tag);
        dirPaths_.push_back(dir);
        sys::Failure failure{sys::kErrorPathNotFound, dir, "No directory is given"};
        const bool made = !dir.empty() && journal_.ForceDirectories(dir, &created, failure);
        if (tag == "<INSTALLDIR>") {
            if (!made) throw Exception("Unable to Create " + dir, failure);
            journal_.File(JoinPath(targetDir_, TUninstallInfo::kFileName), TInstallJournal::TKeep::Copy);
            uninstall_.Open(targetDir_, choices_.Title, earlierDir);
        }
        Note(made ? "directory " + dir : sys::WithFailure("FAILED directory " + failure.Describe(), failure));
        if (uninstall_.IsOpen()) {
            for (const std::string& d : created) uninstall_.AddCreatedDirectory(d);
            created.clear();
        }
    }
    return true;
}

std::string TInstallEngine::ResolveDirectory(const std::string& tag, const std::string& path) const {
    return ResolveDirectoryTag(tag, path, {windowsDir_, settings_.WindowsRoot, targetDir_});
}

std::string TInstallEngine::ExpandDirTag(const std::string& text) const {
    return ExpandDirectoryTag(text, dirTags_, dirPaths_);
}

bool TInstallEngine::IsSharedFile(const std::string& name, size_t index) const {
    const std::string upper = UpperCase(name);
    for (size_t j = 0; j < files_->size(); ++j)
        if (j != index && Contains(UpperCase((*files_)[j]), upper)) return true;
    return false;
}

void TInstallEngine::CopyInstaller() {
    for (const char* name : {"install.exe", "install.cfg"}) {
        const std::string source = Concat({settings_.TempDir, "\\", name});
        const bool existed = FileExists(JoinPath(targetDir_, name));
        journal_.File(JoinPath(targetDir_, name), TInstallJournal::TKeep::Move);
        CopyFileInto(source, targetDir_);
        uninstall_.AddWrittenFile(JoinPath(targetDir_, name), existed);
        Note("file " + JoinPath(targetDir_, name));
    }
}


// For each directory and file entry of the copy loop, in its order, whether it is the last
// use of that file of TempDir: the one that may take the file away.
std::vector<bool> TInstallEngine::LastUses() const {
    const std::vector<std::string>& files = *files_;
    std::vector<bool> last(dirTags_.size() * files.size());
    TNameSet seen;
    for (size_t i = dirTags_.size(); i-- > 0;)
        for (size_t j = files.size(); j-- > 0;) {
            const TFileEntry file = ParseFileEntry(files[j]);
            if (file.Tag == dirTags_[i]) last[i * files.size() + j] = seen.Insert(UpperCase(file.Name()));
        }
    return last;
}

void TInstallEngine::CopyPayload(TInstallReport& report) {
    const std::vector<std::string>& files = *files_;
    const std::vector<bool> lastUse = LastUses();
    for (size_t i = 0; i < dirTags_.size(); ++i) {
        Show("Ready to Install");
        for (size_t j = 0; j < files.size(); ++j) {
            const TFileEntry file = ParseFileEntry(files[j]);
            const std::string name = file.Name();
            Pump();
            if (file.Tag != dirTags_[i]) continue;
            progress_.Advance();
            progress_.Status(name);
            progress_.Target(dirPaths_[i]);
            Pump();
            const std::string target = Concat({dirPaths_[i], "\\", name});
            const bool shared = IsSystemDirectory(dirPaths_[i], windowsDir_);
            const bool existed = FileExists(target);
            // A file sent to two places (a tag listed twice, a name in two entries) is kept
            // in TempDir until its last use.
            if (CopyOneFile(name, dirPaths_[i], file.AskBeforeOverwrite(), !lastUse[i * files.size() + j], report))
                uninstall_.AddWrittenFile(target, existed);
            Pump();
            uninstall_.AddFile(target);
            if (shared) CountSharedFile(target, existed, report);
        }
    }
}

void TInstallEngine::CountSharedFile(const std::string& path, bool existed, TInstallReport& report) {
    // One use per product: a file listed twice, or again by a repeated install of the same
    // product, is counted once.
    if (uninstall_.IsSharedFile(path) || uninstall_.WasSharedFile(path)) {
        uninstall_.AddSharedFile(path);
        return;
    }
    for (const std::string& key : MissingKeys(sys::RegRoot::LocalMachine, kSharedDllsKey))
        uninstall_.AddCreatedRegistryKey(sys::RegRoot::LocalMachine, key);
    uninstall_.AddSharedFile(path);
    journal_.RegistryValue(sys::RegRoot::LocalMachine, kSharedDllsKey, path);
    for (;;) {
        if (AddSharedFileUse(path, existed)) {
            Note("shared " + path);
            return;
        }
        // The count lives in the registry: the failure names its value.
        if (!Retry("shared count " + path, sys::FailureOf(Concat({"HKEY_LOCAL_MACHINE\\", kSharedDllsKey, " ", path})),
                   report))
            return;
    }
}

bool TInstallEngine::Retry(const std::string& what, const sys::Failure& failure, TInstallReport& report) {
    if (IsDiskFull(failure)) throw Exception("Unable to write " + what, failure);
    switch (prompts_.OnFailure(what, failure)) {
        case TFailureChoice::Retry: return true;
        case TFailureChoice::Abort: throw EInstallAborted("Stopped at " + what, failure);
        case TFailureChoice::Ignore: break;
    }
    report.FailedFiles.push_back(failure.Describe());
    Note(sys::WithFailure("FAILED " + what + ": " + failure.text, failure));
    return false;
}

bool TInstallEngine::CopyOneFile(const std::string& name, const std::string& dir, bool ask, bool keepInTemp,
                                 TInstallReport& report) {
    const std::string target = Concat({dir, "\\", name});
    if (ask && FileExists(target) && !prompts_.Overwrite(name)) {
        Note("kept " + target);
        return false;
    }
    const std::string source = Concat({settings_.TempDir, "\\", name});
    // The file it replaces is kept until the install is complete.
    journal_.File(target, TInstallJournal::TKeep::Move);
    for (;;) {
        try {
            // The last use of an expanded file takes it from TempDir: written once.
            if (!PlaceFile(source, target, !keepInTemp) && !keepInTemp) DeleteFileForced(source);
            Note("file " + target);
            return true;
        } catch (const std::exception&) {
            if (Retry("file " + target, CaughtFailure(), report)) continue;
            journal_.PutBack(target);
            if (!keepInTemp) DeleteFileForced(source);
            return false;
        }
    }
}

void TInstallEngine::CreateShortcuts(TInstallReport& report) {
    Show("Creating Icons and Folders");
    const std::string desktop = GetShellFolder(sfDesktop);
    const std::string startMenu = GetShellFolder(sfStartMenu);
    const std::string programs = GetShellFolder(sfPrograms);
    for (const std::string& entry : settings_.Shortcuts) {
        const TLinkEntry link = ParseLinkEntry(entry);
        const std::string& name = link.Name;
        const std::string& folder = link.Folder;
        progress_.Target(folder);
        progress_.Advance();
        Pump();
        shortcuts_.Folder = folder;
        shortcuts_.ProgramName = name;
        shortcuts_.RunProgram = ExpandDirTag(link.Target);
        // A link to nothing is a mistake of the medium (a file with a wrong tag): none is made.
        if (!FileExists(shortcuts_.RunProgram) && !DirectoryExists(shortcuts_.RunProgram)) {
            Note(Concat({"link ", name, " not made: its target ", shortcuts_.RunProgram, " was not installed"}));
            continue;
        }
        shortcuts_.IconFile = ExpandDirTag(link.Icon);
        shortcuts_.Desktop = link.OfferedOnDesktop() && Listed(choices_.DesktopLinks, name);
        shortcuts_.StartMenu = link.OfferedInStartMenu() && Listed(choices_.StartMenuLinks, name);
        shortcuts_.FolderDesktop = choices_.FolderDesktop;
        shortcuts_.FolderStartMenu = choices_.FolderStartMenu;
        shortcuts_.QuickLaunch = false;
        shortcuts_.FolderQuickLaunch = false;
        std::vector<std::string> links;  // NAME.* of each place; the link is NAME.lnk
        if (shortcuts_.FolderDesktop) {
            uninstall_.AddFolder(desktop + folder);
            links.push_back(Concat({desktop, folder, "\\", name, ".*"}));
        }
        if (shortcuts_.Desktop) links.push_back(Concat({desktop, name, ".*"}));
        if (shortcuts_.StartMenu) links.push_back(Concat({startMenu, name, ".*"}));
        if (shortcuts_.FolderStartMenu) {
            uninstall_.AddFolder(startMenu + folder);
            links.push_back(Concat({startMenu, folder, "\\", name, ".*"}));
        }
        uninstall_.AddFolder(programs + folder);
        links.push_back(Concat({programs, folder, "\\", name, ".*"}));
        TNameSet there;       // the links that were there before
        TNameSet noFolder;    // the links whose folder failed, already reported
        for (const std::string& pattern : links) {
            uninstall_.AddFile(pattern);
            const std::string link = pattern.substr(0, pattern.size() - 1) + "lnk";
            if (FileExists(link)) there.Insert(UpperCase(link));
            sys::Failure failure;
            if (!journal_.ForceDirectories(DirectoryPart(link), nullptr, failure) &&
                !Retry("link " + link, failure, report)) {
                noFolder.Insert(UpperCase(link));
                continue;
            }
            journal_.File(link, TInstallJournal::TKeep::Move);
        }
        for (;;) {
            sys::Failure failure;
            try {
                shortcuts_.CreateShortcuts();
                for (const sys::Failure& notSaved : shortcuts_.NotSaved())
                    if (!noFolder.Contains(UpperCase(notSaved.path))) {
                        failure = notSaved;
                        break;
                    }
            } catch (const std::exception&) {
                failure = CaughtFailure();
            }
            for (const std::string& saved : shortcuts_.Saved()) {
                uninstall_.AddWrittenFile(saved, there.Contains(UpperCase(saved)));
                Note("link " + saved);
            }
            if (!failure.Failed() || !Retry("link " + name, failure, report)) break;
        }
        for (const sys::Failure& failed : shortcuts_.NotSaved()) journal_.PutBack(failed.path);
    }
}

void TInstallEngine::WriteIniEntries() {
    Show("Processing Registry Entries / INI Creation");
    for (std::string& entry : settings_.IniEntries) {
        TValueEntry value = ParseValueEntry(entry);
        value.Location = ExpandDirTag(value.Location);
        value.Value = ExpandDirTag(value.Value);
        entry = value.Text();
    }
    for (const std::string& entry : settings_.IniEntries) {
        const TValueEntry value = ParseValueEntry(entry);
        progress_.Advance();
        Pump();
        if (value.Kind() == TValueKind::Ini)
            WriteIniValue(value.Location, value.Section, value.Name, value.Value);
        else
            WriteRegistryValue(value.Location, value.Section, value.Name, value.Value);
    }
}

void TInstallEngine::WriteIniValue(const std::string& file, const std::string& section, const std::string& name,
                                   const std::string& value) {
    const std::string path = Contains(file, "\\") ? file : windowsDir_ + "\\" + file;
    uninstall_.AddFile(path);
    sys::System& os = sys::Sys();
    const bool fileExisted = FileExists(path);
    // What is there must be read to be put back: a file that cannot be read is not changed.
    if (std::vector<std::string> lines; fileExisted && !ReadTextLines(path, lines))
        StepFailed("Unable to read " + path, sys::FailureOf(path));
    const bool sectionExisted = fileExisted && !os.GetProfileKeyNames(path, section, 65536).empty();
    const std::string absent = "\x01";
    const std::string earlier = fileExisted ? os.GetProfileString(path, section, name, absent, 65536) : absent;
    journal_.File(path, TInstallJournal::TKeep::Copy);
    if (!os.WriteProfileString(file, section, name, value))
        StepFailed("Unable to write to " + file, sys::FailureOf(path + " [" + section + "] " + name));
    if (!fileExisted) uninstall_.AddCreatedIniFile(path);
    if (!sectionExisted) uninstall_.AddCreatedIniSection(path, section);
    uninstall_.AddIniValue(path, section, name, os.GetProfileString(path, section, name, "", 65536), earlier != absent,
                           earlier == absent ? "" : earlier);
    Note(Concat({"ini ", path, " [", section, "] ", name, "=", value}));
}

void TInstallEngine::WriteRegistryValue(std::string location, std::string section, const std::string& name,
                                        const std::string& value) {
    if (!section.empty() && section.back() == '\\') section.pop_back();
    if ((location.empty() || location.back() != '\\') && (section.empty() || section[0] != '\\'))
        section = "\\" + section;
    uninstall_.AddRegistryLocation(location);
    sys::RegRoot root = sys::RegRoot::CurrentUser;
    const std::string upper = UpperCase(location);
    if (upper.compare(0, 5, "HKEY_") == 0) {
        if (Contains(upper, "HKEY_LOCAL_MACHINE")) root = sys::RegRoot::LocalMachine;
        const size_t slash = location.find('\\');
        if (slash != std::string::npos) location.erase(0, slash + 1);
    }
    // Windows refuses a key path that starts with "\" or holds an empty part ("a\\b", when
    // both the location ends and the section starts with one): the plain path is meant.
    std::string key;
    for (char c : location + section)
        if (c != '\\' || (!key.empty() && key.back() != '\\')) key += c;
    key = WithoutTrailingBackslash(key);
    const std::string rootName = root == sys::RegRoot::LocalMachine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\";
    sys::System& os = sys::Sys();
    const std::vector<std::string> missing = MissingKeys(root, key);
    const std::string earlier = missing.empty() ? EarlierRegistryValue(root, key, name) : "";
    journal_.RegistryValue(root, key, name);
    if (!os.RegCreateKey(root, key)) StepFailed("Failed to create key " + key, sys::FailureOf(rootName + key));
    for (const std::string& created : missing) uninstall_.AddCreatedRegistryKey(root, created);
    if (!os.RegSetString(root, key, name, value))
        StepFailed("Failed to set data for '" + name + "'", sys::FailureOf(rootName + key + " " + name));
    uninstall_.AddRegistryValue(root, key, name, value, earlier);
    Note(Concat({"registry ", rootName, key, " ", name, "=", value}));
}

std::vector<std::string> TInstallEngine::AutoexecBlock() const {
    std::vector<std::string> block{"REM - Starting Zovrand Update"};
    for (const std::string& entry : settings_.AutoexecLines) {
        std::string line = UpperCase(entry);
        if (Contains(line, "COPY ")) line.insert(line.find("COPY") + 4, "/Y");
        // Passes until nothing is replaced; a bound keeps a path that holds a tag itself
        // from replacing forever.
        for (int pass = 0; pass < 64 && Contains(line, "<"); ++pass) {
            bool replaced = ReplaceFirst(line, "<ROOT>", settings_.WindowsRoot);
            for (size_t i = 0; i < dirTags_.size(); ++i)
                if (Contains(line, dirTags_[i])) replaced |= ReplaceFirst(line, dirTags_[i], GetShortPath(dirPaths_[i]));
            if (!replaced) break;
        }
        block.push_back(line);
    }
    block.push_back("REM - End of Zovrand");
    return block;
}

void TInstallEngine::UpdateAutoexec() {
    Show("Copying Old Autoexec.bat to Autoexec.zov");
    const std::string autoexec = settings_.WindowsRoot + "autoexec.bat";
    const std::string backup = settings_.WindowsRoot + "autoexec.zov";
    const bool newFile = !FileExists(autoexec), newBackup = !FileExists(backup);
    std::vector<std::string> lines;
    // A missing autoexec.bat is an empty one; one that cannot be read must not lose its lines.
    if (FileExists(autoexec) && !ReadTextLines(autoexec, lines))
        StepFailed("Unable to read " + autoexec, sys::FailureOf(autoexec));
    journal_.File(backup, TInstallJournal::TKeep::Move);
    SaveTextLines(backup, lines);
    const std::vector<std::string> block = AutoexecBlock();
    // A reinstall puts its block where the earlier install of the product put its own.
    const size_t earlier = SamePath(uninstall_.EarlierAutoexecFile(), autoexec)
                               ? FindLineBlock(lines, uninstall_.EarlierAutoexecLines())
                               : std::string::npos;
    if (earlier == std::string::npos) {
        lines.insert(lines.end(), block.begin(), block.end());
    } else {
        const auto at = lines.begin() + static_cast<std::ptrdiff_t>(earlier);
        lines.erase(at, at + static_cast<std::ptrdiff_t>(uninstall_.EarlierAutoexecLines().size()));
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(earlier), block.begin(), block.end());
    }
    Show("Updating Autoexec.bat file");
    // Kept by a copy: a file that cannot be replaced (read-only) stays as it is.
    journal_.File(autoexec, TInstallJournal::TKeep::Copy);
    SaveTextLines(autoexec, lines);
    for (const std::string& line : block) uninstall_.AddAutoexecLine(autoexec, line);
    uninstall_.SetAutoexecMade(newFile, newBackup);
    Note(Concat({"autoexec ", autoexec, " (", DecimalText(block.size()), " lines added)"}));
}

void TInstallEngine::RegisterUninstaller() {
    const std::string uninstaller = targetDir_ + "\\uninstaller.exe";
    if (!FileExists(uninstaller)) return;
    const std::string key = kUninstallRegistryKey + choices_.Title;
    sys::System& os = sys::Sys();
    const auto root = sys::RegRoot::LocalMachine;
    const std::vector<std::string>& missing = registrationKeys_;
    if (!os.RegCreateKey(root, key))
        StepFailed("Failed to create key " + key, sys::FailureOf("HKEY_LOCAL_MACHINE\\" + key));
    for (const std::string& created : missing) uninstall_.AddCreatedRegistryKey(root, created);
    TRegistrationFacts facts{choices_.Title, targetDir_, uninstaller, ProductIcon(), settings_.Publisher,
                             settings_.Version, settings_.AboutUrl};
    for (const TDriveNeed& drive : copyNeeds_.Drives()) facts.InstalledBytes += drive.Needed;
    // The day the record was written, as its file's time keeps it: the install's day.
    const std::unique_ptr<sys::File> record =
        os.OpenFile(uninstall_.Path(), sys::FileAccess::Read, sys::FileCreate::OpenExisting, sys::FileShare::DenyNone);
    uint16_t time = 0;
    if (!record || !record->GetDosTime(facts.DosDate, time)) facts.DosDate = 0;
    // Each value is journaled before it is set.
    struct TWriter : TRegistrationValues {
        TInstallJournal& journal;
        const std::string& key;
        void Text(const char* name, const std::string& value) override {
            journal.RegistryValue(sys::RegRoot::LocalMachine, key, name);
            if (!sys::Sys().RegSetString(sys::RegRoot::LocalMachine, key, name, value)) RegistrationFailed(key, name);
        }
        void Number(const char* name, uint32_t value) override {
            journal.RegistryValue(sys::RegRoot::LocalMachine, key, name);
            if (!sys::Sys().RegSetDword(sys::RegRoot::LocalMachine, key, name, value)) RegistrationFailed(key, name);
        }
        TWriter(TInstallJournal& j, const std::string& k) : journal(j), key(k) {}
    } writer(journal_, key);
    WriteRegistrationValues(facts, writer);
    Note("registration HKEY_LOCAL_MACHINE\\" + key);
}

std::string TInstallEngine::ProductIcon() const {
    if (settings_.ProductIcon.empty()) return "";
    const std::string icon = ExpandDirTag(settings_.ProductIcon);
    return FileExists(IconFile(icon)) ? icon : "";
}

void TInstallEngine::RegistrationFailed(const std::string& key, const std::string& name) {
    StepFailed("Failed to set data for '" + name + "'", sys::FailureOf("HKEY_LOCAL_MACHINE\\" + key + " " + name));
}

void TInstallEngine::StepFailed(const std::string& message, const sys::Failure& failure) {
    throw Exception(message + "\r" + failure.text, failure);
}

void TInstallEngine::Launch(TInstallReport& report) {
    const std::string command = settings_.LaunchCommand;
    const std::string upper = UpperCase(command);
    if (command.empty() || !(choices_.Launch || Contains(upper, "SETUP.") || Contains(upper, "INSTALL."))) return;
    const TLaunchCommand launch = SplitLaunchCommand(command);
    const std::string& path = launch.Program;
    const intptr_t result = LaunchProgram(FileNamePart(path), launch.Parameters, DirectoryPart(path), kShowNormal);
    if (result > 32) {
        report.Launched = true;
        Note("launch " + LaunchCommandText(launch));
        return;
    }
    // Below 33 the result is the system's error code.
    const sys::Failure failure{static_cast<uint32_t>(result), path, sys::StandardErrorText(static_cast<uint32_t>(result))};
    report.LaunchFailure = failure.Describe();
    Note(sys::WithFailure("FAILED launch " + LaunchCommandText(launch) + ": " + failure.text, failure));
}

}  // namespace zov
