#pragma once
// The install's journal: all or nothing. Before its first change an install marks its
// registration unfinished (the value InstallUnfinished, which names the journal), then
// writes every change into the journal before it makes it. Whatever a change replaces is
// kept first: files in the backup folder beside the journal, registry values in the
// journal. An install that fails or is stopped is rolled back from the journal; one that
// was killed is rolled back by the next setup or by the product's uninstaller, which find
// the mark. Once the install is complete it commits: the backups, the journal and the mark
// go, and uninstall.cfg alone says what the product owns.
//
// The journal, uninstall.jnl in the install directory, is a text file of one line per
// change, fields split by tabs ("%" escapes tab, CR, LF and itself); a line counts only
// once it is whole:
//   D dir                    a directory about to be made
//   F path                   a file about to be written where none was
//   R path backup            a file about to be replaced, kept as backup (once it exists)
//   K HKLM|HKCU key          a registry key about to be made
//   V HKLM|HKCU key name was a registry value about to be set; `was` as EarlierRegistryValue
//   C                        the install is complete
// The mark holds the journal's path and, "|" before each, what was made before the journal
// could exist: "Kkey" for a key of the registration, "Ddir" for a directory of the path to
// the install directory, and "Sdir" for the setup's scratch folder, which a rollback empties.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "shell/name_set.h"
#include "sys/concat.h"
#include "sys/system.h"

namespace zov {

class TInstallLog;

constexpr const char* kUnfinishedValue = "InstallUnfinished";

class TInstallJournal {
public:
    static constexpr const char* kFileName = "uninstall.jnl";
    static constexpr const char* kBackupFolder = "uninstall.bak";

    explicit TInstallJournal(TInstallLog* log = nullptr) : log_(log) {}
    ~TInstallJournal();
    TInstallJournal(const TInstallJournal&) = delete;
    TInstallJournal& operator=(const TInstallJournal&) = delete;

    // Marks the registration of `title` unfinished, makes `targetDir` (its made directories
    // in `created`) and opens the journal there. Raises Exception with the failure when one
    // of them fails, after undoing what it did.
    void Begin(const std::string& title, const std::string& targetDir, const std::string& scratchDir,
               std::vector<std::string>* created = nullptr);
    bool IsOpen() const { return file_ != nullptr; }

    // Makes `dir` and its missing parents, each journaled first; false with the failure when
    // one cannot be made.
    bool ForceDirectories(const std::string& dir, std::vector<std::string>* created, sys::Failure& failure);
    enum class TKeep {
        Move,  // the writer makes the file anew: the old one is moved out of its way
        Copy,  // the writer edits the file in place (an INI file): a copy is kept
    };
    // Before `path` is written: it is new, or the file there is kept. Each path is journaled
    // once; later calls for it do nothing.
    void File(const std::string& path, TKeep keep);
    // A file moved out of the way whose new one could not be written goes back at once.
    void PutBack(const std::string& path);
    // Before a value is set: the missing keys of `key`, then the value as it is now.
    void RegistryValue(sys::RegRoot root, const std::string& key, const std::string& name);
    // The complete install keeps what it did: the backups, the journal and the mark go.
    void Commit();
    // Undoes every change, last first, and removes the journal and the mark. False when a
    // change could not be undone: the journal and the mark then stay for the next start.
    bool RollBack();

    // The number of journal lines written, for measuring.
    size_t Lines() const { return lines_; }

private:
    void Append(std::initializer_list<TTextPart> fields);
    std::string BackupPath();

    TInstallLog* log_;
    std::string title_;
    std::string journalPath_;
    std::string backupDir_;
    bool backupDirMade_ = false;
    size_t backups_ = 0;
    size_t lines_ = 0;
    // Each line flushed to the disk. The Linux setup leaves the flushes out with
    // ZOV_NO_RECORD_FLUSH=1, to measure what they cost.
#ifdef _WIN32
    bool flush_ = true;
#else
    bool flush_ = !std::getenv("ZOV_NO_RECORD_FLUSH");
#endif
    std::unique_ptr<sys::File> file_;
    TNameSet journaled_;  // upper-case paths of F and R lines
    TNameSet values_;     // root, key and name of V lines, upper case
    std::vector<std::pair<std::string, std::string>> backupOf_;  // upper-case path, its backup
};

// The keys of `key` (below `root`) that do not exist yet, parents first.
std::vector<std::string> MissingRegistryKeys(sys::RegRoot root, const std::string& key);
// The registration key of `title` below HKEY_LOCAL_MACHINE.
std::string RegistrationKey(const std::string& title);
// The install directory of the unfinished install of `title`; "" when there is none.
std::string UnfinishedInstallDir(const std::string& title);
// Undoes the unfinished install of `title`; false when there is none, or when a setup that
// is running now holds its journal.
bool RollBackUnfinishedInstall(const std::string& title, TInstallLog* log);
// Undoes every unfinished install the registry marks; returns their titles.
std::vector<std::string> RollBackUnfinishedInstalls(TInstallLog* log);

}  // namespace zov
