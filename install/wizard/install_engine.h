#pragma once
// The install itself, apart from any window: it resolves and creates the directories,
// copies the expanded payload from TempDir into them (asking before it overwrites where
// install.cfg says so), makes the shortcuts, writes the INI and registry values and the
// autoexec.bat block, records all of it in uninstall.cfg, registers the uninstaller with
// Windows and launches the program when asked. The wizard, the silent mode and the Linux
// preview all run it; they differ only in how they show progress and answer questions.
// It is all or nothing: every change is journaled before it is made (see TInstallJournal),
// and an install that fails, is stopped or is aborted is undone whole.
#include <string>
#include <vector>

#include "install/free_space.h"
#include "install/install_journal.h"
#include "install/setup_config.h"
#include "install/setup_prompts.h"
#include "install/wizard/uninstall_info.h"
#include "shell/Shortcut.h"

namespace zov {

// What the user chose, as plain values.
struct TInstallChoices {
    std::string Title;                        // the product title (the main screen's header)
    std::string Destination;                  // the install directory
    bool FolderStartMenu = false;             // the program folder in the Start Menu
    bool FolderDesktop = false;               // ... on the desktop (and in Programs)
    std::vector<std::string> DesktopLinks;    // shortcut names wanted on the desktop
    std::vector<std::string> StartMenuLinks;  // ... in the Start Menu
    bool Workstation = false;                 // the network workstation install
    bool Launch = false;                      // start the program afterwards
};

// Where the install shows what it does. Every call but Pump may be followed by a Pump.
class TInstallProgress {
public:
    virtual ~TInstallProgress() = default;
    virtual void Begin() {}                     // the install starts
    virtual void SetRange(int maximum) { (void)maximum; }
    virtual void Advance() {}
    virtual void Status(const std::string& text) { (void)text; }  // what is being done
    virtual void Target(const std::string& text) { (void)text; }  // where it goes
    virtual void Pump() {}                      // let pending window messages run
    // The user asked to stop (the progress page's Cancel, Escape, the close box) and
    // confirmed it: the install stops at the next step and undoes what it did.
    virtual bool StopRequested() { return false; }
};

// One line per action done or failed.
class TInstallLog {
public:
    virtual ~TInstallLog() = default;
    virtual void Line(const std::string& text) = 0;
};

enum class TInstallEnd {
    Completed,       // every step ran (some files may have failed: see FailedFiles)
    NothingDone,     // stopped before anything was installed (Error says why)
    Stopped,         // a step failed and the later ones did not run (Error says why)
    RolledBack,      // a step failed or was aborted: every change was undone (Error says why)
    Cancelled,       // the user stopped the install: every change was undone
};

struct TInstallReport {
    TInstallEnd End = TInstallEnd::Completed;
    std::string Error;                     // the message for the user when not completed
    std::vector<std::string> FailedFiles;  // "PATH: reason" of files, links and counts not made
    bool Launched = false;
    std::string LaunchFailure;             // "PROGRAM: reason" when the launch failed
    // 0 installed, 1 nothing done or cancelled, 2 failed on the way, rolled back, or some
    // file, link, count or the launch failed
    int ExitCode() const;
};

class TInstallEngine {
public:
    TInstallEngine(TSetupSettings& settings, TInstallChoices choices, TSetupPrompts& prompts,
                   TInstallProgress& progress, TInstallLog* log = nullptr);

    TInstallReport Run();

    // A directory tag at the start of `text` replaced by its directory: valid once the
    // directories are resolved. An unknown tag gives the text before it.
    std::string ExpandDirTag(const std::string& text) const;
    // Whether `name` occurs in an entry of the active file list other than `index`.
    bool IsSharedFile(const std::string& name, size_t index) const;

    const std::vector<std::string>& DirTags() const { return dirTags_; }
    const std::vector<std::string>& DirPaths() const { return dirPaths_; }
    const std::string& TargetDir() const { return targetDir_; }
    // The lines AppendAutoexecBlock adds for the configured autoexec lines.
    std::vector<std::string> AutoexecBlock() const;

private:
    bool ResolveDirectories(TInstallReport& report);
    std::string ResolveDirectory(const std::string& tag, const std::string& path) const;
    void CopyInstaller();
    std::vector<bool> LastUses() const;
    void CopyPayload(TInstallReport& report);
    void CountSharedFile(const std::string& path, bool existed, TInstallReport& report);
    // False when the file was not written (declined or failed).
    bool CopyOneFile(const std::string& name, const std::string& dir, bool ask, bool keepInTemp,
                     TInstallReport& report);
    // A step that may fail alone: asks whether to try again (true), go on without it (the
    // failure is listed in the report) or stop, which undoes the install.
    bool Retry(const std::string& what, const sys::Failure& failure, TInstallReport& report);
    void CreateShortcuts(TInstallReport& report);
    void WriteIniEntries();
    void WriteIniValue(const std::string& file, const std::string& section, const std::string& name,
                       const std::string& value);
    void WriteRegistryValue(std::string location, std::string section, const std::string& name,
                            const std::string& value);
    void UpdateAutoexec();
    void RegisterUninstaller();
    // The product's icon for its entry in the list of programs; "" for the uninstaller's own.
    std::string ProductIcon() const;
    [[noreturn]] static void RegistrationFailed(const std::string& key, const std::string& name);
    // Stops the install: `message` and the system's reason to the user; the failure, with
    // its path and code, goes on to the log.
    [[noreturn]] static void StepFailed(const std::string& message, const sys::Failure& failure);
    void Launch(TInstallReport& report);
    void Note(const std::string& line);
    void Show(const std::string& status);
    void Pump();  // lets messages run; a confirmed cancel stops the install here

    TSetupSettings& settings_;
    TInstallChoices choices_;
    TSetupPrompts& prompts_;
    TInstallProgress& progress_;
    TInstallLog* log_;
    std::string windowsDir_;
    std::string targetDir_;
    std::vector<std::string> dirTags_;
    std::vector<std::string> dirPaths_;
    const std::vector<std::string>* files_ = nullptr;  // the active file list
    TInstallJournal journal_;
    TSpaceNeeds copyNeeds_;  // what the copy writes on each drive, for a drive that fills
    std::vector<std::string> registrationKeys_;  // the keys the registration makes
    TUninstallInfo uninstall_;
    TShortcuts shortcuts_;
};

}  // namespace zov
