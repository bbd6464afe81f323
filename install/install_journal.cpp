#include "install/install_journal.h"

#ifndef _WIN32
#include <csignal>
#include <cstdlib>
#endif

#include "install/wizard/install_engine.h"
#include "install/wizard/uninstall_info.h"
#include "shell/system_helpers.h"
#include "sys/canonical_path.h"
#include "sys/concat.h"
#include "sys/decimal.h"
#include "sys/paths.h"
#include "sys/stream.h"

namespace zov {
namespace {

constexpr auto kMachine = sys::RegRoot::LocalMachine;

enum class TFinished { NoMark, Whole, Partly, InUse };
TFinished Finish(const std::string& title, TInstallLog* log, bool scratch);

void Note(TInstallLog* log, const std::string& line) {
    if (log) log->Line(line);
}

// Appends the field to the line, its tabs, line ends and percent signs as %XX.
void AppendEscaped(std::string& out, const char* field) {
    static const char kHex[] = "0123456789ABCDEF";
    for (; char c = *field; ++field) {
        if (c == '%' || c == '\t' || c == '\r' || c == '\n') {
            out += '%';
            out += kHex[(static_cast<unsigned char>(c) >> 4) & 15];
            out += kHex[c & 15];
        } else {
            out += c;
        }
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c == '%' && i + 2 < line.size() && HexDigit(line[i + 1]) >= 0 && HexDigit(line[i + 2]) >= 0) {
            fields.back() += static_cast<char>(HexDigit(line[i + 1]) * 16 + HexDigit(line[i + 2]));
            i += 2;
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

sys::RegRoot RootOf(const std::string& name) { return name == "HKLM" ? kMachine : sys::RegRoot::CurrentUser; }

void DeleteKeyIfEmpty(sys::RegRoot root, const std::string& key) {
    std::vector<std::string> subKeys, names;
    if (sys::Sys().RegEnumKey(root, key, subKeys, names) && subKeys.empty() && names.empty())
        sys::Sys().RegDeleteKey(root, key);
}

std::string FileBytes(const std::string& path) {
    std::string bytes;
    std::unique_ptr<sys::File> in =
        sys::Sys().OpenFile(path, sys::FileAccess::Read, sys::FileCreate::OpenExisting, sys::FileShare::DenyWrite);
    char buffer[16384];
    uint32_t got = 0;
    while (in && in->Read(buffer, sizeof buffer, got) && got > 0) bytes.append(buffer, got);
    return bytes;
}

// The kept file goes back to its place, whole: moved where it can be, else copied. A file
// that cannot be put back but was never replaced (its write failed) is as it was.
bool Restore(const std::string& path, const std::string& backup) {
    if (sys::Sys().MoveFileReplacing(backup, path)) return true;
    try {
        CopyFileTo(backup, path);
    } catch (const std::exception&) {
        if (!FileExists(path) || FileBytes(path) != FileBytes(backup)) return false;
    }
    DeleteFileForced(backup);
    return true;
}

// The whole lines of the journal; a line cut short by a kill names a change not yet made.
std::vector<std::vector<std::string>> ReadJournal(const std::string& path) {
    std::vector<std::vector<std::string>> lines;
    const std::string text = FileBytes(path);
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(Fields(text.substr(start, end - start)));
        start = end + 1;
    }
    return lines;
}

void RestoreValue(sys::RegRoot root, const std::string& key, const std::string& name, const std::string& was,
                  TInstallLog* log) {
    sys::System& os = sys::Sys();
    if (was.compare(0, 2, "S:") == 0)
        os.RegSetString(root, key, name, was.substr(2));
    else if (was.compare(0, 2, "D:") == 0)
        os.RegSetDword(root, key, name, static_cast<uint32_t>(std::strtoul(was.c_str() + 2, nullptr, 10)));
    else if (was.empty())
        os.RegDeleteValue(root, key, name);
    else
        Note(log, Concat({"kept ", key, " ", name, " (a value of a kind that cannot be put back)"}));
}

// False when a kept file could not be put back.
bool Undo(const std::vector<std::string>& f, const std::string& backupDir, TInstallLog* log) {
    sys::System& os = sys::Sys();
    const std::string& kind = f[0];
    if (kind == "D" && f.size() >= 2) {
        if (SamePath(f[1], backupDir))
            EmptyAndRemoveDirectory(f[1]);
        else if (DirectoryExists(f[1]))
            os.RemoveDirectory(f[1]);
    } else if (kind == "F" && f.size() >= 2) {
        if (FileExists(f[1])) DeleteFileForced(f[1]);
    } else if (kind == "R" && f.size() >= 3) {
        if (FileExists(f[2]) && !Restore(f[1], f[2])) {
            Note(log, Concat({"LEFT ", f[1], ": ", sys::Sys().LastError().text, " (its backup ", f[2], " stays)"}));
            return false;
        }
    } else if (kind == "K" && f.size() >= 3) {
        DeleteKeyIfEmpty(RootOf(f[1]), f[2]);
    } else if (kind == "V" && f.size() >= 5) {
        RestoreValue(RootOf(f[1]), f[2], f[3], f[4], log);
    }
    return true;
}

std::vector<std::string> MarkParts(const std::string& mark) {
    std::vector<std::string> parts(1);
    for (char c : mark) {
        if (c == '|')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

std::vector<std::string> MissingDirectories(const std::string& dir) {
    std::vector<std::string> missing;
    std::string path = WithoutTrailingBackslash(dir);
    while (!path.empty() && !(path.size() == 2 && path[1] == ':') && !DirectoryExists(path)) {
        missing.insert(missing.begin(), path);
        const size_t cut = path.find_last_of("\\/");
        if (cut == std::string::npos) break;
        path.resize(cut);
    }
    return missing;
}

#ifndef _WIN32
// The kill test of the Linux setup: ZOV_TEST_KILL_AT=N ends the program the hard way right
// after the N-th journal line, before its change is made.
void KillPointReached(size_t line) {
    static const unsigned long killAt = [] {
        const char* text = std::getenv("ZOV_TEST_KILL_AT");
        return text ? std::strtoul(text, nullptr, 10) : 0ul;
    }();
    if (killAt != 0 && line == killAt) std::raise(SIGKILL);
}
#else
void KillPointReached(size_t) {}
#endif

}  // namespace

std::string RegistrationKey(const std::string& title) { return kUninstallRegistryKey + title; }

std::vector<std::string> MissingRegistryKeys(sys::RegRoot root, const std::string& key) {
    std::vector<std::string> missing;
    std::string path = WithoutTrailingBackslash(key);
    while (!path.empty() && !sys::Sys().RegKeyExists(root, path)) {
        missing.insert(missing.begin(), path);
        const size_t cut = path.rfind('\\');
        path.resize(cut == std::string::npos ? 0 : cut);
    }
    return missing;
}

TInstallJournal::~TInstallJournal() = default;

void TInstallJournal::Begin(const std::string& title, const std::string& targetDir, const std::string& scratchDir,
                            std::vector<std::string>* created) {
    sys::System& os = sys::Sys();
    title_ = title;
    journalPath_ = JoinPath(targetDir, kFileName);
    backupDir_ = JoinPath(targetDir, kBackupFolder);
    const std::string key = RegistrationKey(title);
    const std::vector<std::string> keys = MissingRegistryKeys(kMachine, key);
    const std::vector<std::string> dirs = MissingDirectories(targetDir);
    std::string mark = journalPath_;
    for (const std::string& k : keys) mark += "|K" + k;
    for (const std::string& d : dirs) mark += "|D" + d;
    if (!scratchDir.empty()) mark += "|S" + scratchDir;
    if (!os.RegSetString(kMachine, key, kUnfinishedValue, mark)) {
        const sys::Failure failure = sys::FailureOf("HKEY_LOCAL_MACHINE\\" + key);
        for (auto k = keys.rbegin(); k != keys.rend(); ++k) DeleteKeyIfEmpty(kMachine, *k);
        throw Exception("Failed to create key " + key, failure);
    }
    for (const std::string& d : dirs) {
        if (!os.CreateDirectory(d)) {
            const sys::Failure failure = sys::FailureOf(d);
            Finish(title_, log_, false);
            throw Exception("Unable to Create " + targetDir, failure);
        }
        if (created) created->push_back(d);
    }
    file_ = os.OpenFile(journalPath_, sys::FileAccess::Write, sys::FileCreate::CreateAlways, sys::FileShare::DenyWrite);
    if (!file_) {
        const sys::Failure failure = sys::FailureOf(journalPath_);
        Finish(title_, log_, false);
        throw Exception("Unable to write to " + journalPath_, failure);
    }
}

void TInstallJournal::Append(std::initializer_list<TTextPart> fields) {
    std::string line;
    for (const TTextPart field : fields) {
        if (!line.empty()) line += '\t';
        AppendEscaped(line, field.Text());
    }
    line += '\n';
    uint32_t done = 0;
    // On the disk before the change it names: after a loss of power the journal still
    // knows every change that may have reached the disk.
    if (!file_ || !file_->Write(line.data(), static_cast<uint32_t>(line.size()), done) || done != line.size() ||
        (flush_ && !file_->Flush())) {
        throw Exception("Unable to write to " + journalPath_, WriteFailure(journalPath_));
    }
    KillPointReached(++lines_);
}

bool TInstallJournal::ForceDirectories(const std::string& dir, std::vector<std::string>* created,
                                       sys::Failure& failure) {
    for (const std::string& d : MissingDirectories(dir)) {
        Append({"D", d});
        if (!sys::Sys().CreateDirectory(d)) {
            failure = sys::FailureOf(d);
            return false;
        }
        if (created) created->push_back(d);
    }
    return true;
}

std::string TInstallJournal::BackupPath() {
    if (!backupDirMade_) {
        std::vector<std::string> made;
        sys::Failure failure;
        if (!ForceDirectories(backupDir_, &made, failure))
            throw Exception("Unable to Create " + backupDir_, failure);
        backupDirMade_ = true;
    }
    return JoinPath(backupDir_, DecimalText(++backups_));
}

void TInstallJournal::File(const std::string& path, TKeep keep) {
    if (!journaled_.Insert(UpperCase(path))) return;
    if (!FileExists(path)) {
        Append({"F", path});
        return;
    }
    const std::string backup = BackupPath();
    backupOf_.emplace_back(UpperCase(path), backup);
    sys::System& os = sys::Sys();
    if (keep == TKeep::Move) {
        Append({"R", path, backup});
        if (os.MoveFileReplacing(path, backup)) return;
    }
    // Copied beside and then moved into place: a backup is whole or absent.
    const std::string part = backup + ".part";
    CopyFileTo(path, part);
    if (!os.MoveFileReplacing(part, backup)) throw Exception("Unable to write to " + backup, sys::FailureOf(backup));
    if (keep == TKeep::Copy) Append({"R", path, backup});
}

void TInstallJournal::PutBack(const std::string& path) {
    const std::string upper = UpperCase(path);
    for (const auto& [known, backup] : backupOf_)
        if (known == upper && FileExists(backup)) Restore(path, backup);
}

void TInstallJournal::RegistryValue(sys::RegRoot root, const std::string& key, const std::string& name) {
    const std::string rootName = root == kMachine ? "HKLM" : "HKCU";
    for (const std::string& k : MissingRegistryKeys(root, key)) Append({"K", rootName, k});
    if (!values_.Insert(UpperCase(Concat({rootName, "\\", key, "\t", name})))) return;
    Append({"V", rootName, key, name, EarlierRegistryValue(root, key, name)});
}

void TInstallJournal::Commit() {
    Append({"C"});
    file_.reset();
    Note(log_, Concat({"complete: ", DecimalText(lines_), " changes journaled"}));
    Finish(title_, log_, false);  // a complete journal only loses its files and mark
}

bool TInstallJournal::RollBack() {
    file_.reset();
    return title_.empty() || Finish(title_, log_, false) != TFinished::Partly;
}

std::string UnfinishedInstallDir(const std::string& title) {
    std::string mark;
    if (!sys::Sys().RegGetString(kMachine, RegistrationKey(title), kUnfinishedValue, mark)) return "";
    return WithoutTrailingBackslash(DirectoryPart(MarkParts(mark)[0]));
}

namespace {

// Undoes an unfinished install, or ends a complete one that was killed before its journal
// and mark were gone. `scratch`: the setup's scratch folder goes too (a setup that still
// runs removes its own).
TFinished Finish(const std::string& title, TInstallLog* log, bool scratch) {
    sys::System& os = sys::Sys();
    const std::string key = RegistrationKey(title);
    std::string mark;
    if (!os.RegGetString(kMachine, key, kUnfinishedValue, mark)) return TFinished::NoMark;
    const std::vector<std::string> parts = MarkParts(mark);
    const std::string& journal = parts[0];
    // A setup that is installing the product right now holds its journal open: what it does
    // is its own to finish or undo.
    if (scratch && FileExists(journal) &&
        !os.OpenFile(journal, sys::FileAccess::ReadWrite, sys::FileCreate::OpenExisting, sys::FileShare::Exclusive)) {
        Note(log, Concat({"left alone: the install of ", title, " is in use (", sys::FailureOf(journal).text, ")"}));
        return TFinished::InUse;
    }
    const std::string backupDir = JoinPath(DirectoryPart(journal), TInstallJournal::kBackupFolder);
    const std::vector<std::vector<std::string>> lines = ReadJournal(journal);
    bool complete = false;
    for (const auto& line : lines) complete |= line[0] == "C";
    bool whole = true;
    if (!complete)
        for (auto line = lines.rbegin(); line != lines.rend(); ++line) whole &= Undo(*line, backupDir, log);
    if (!whole) {
        // The backups, the journal and the mark stay: the next start tries again.
        Note(log, Concat({"FAILED to undo the install of ", title, " whole: it is tried again at the next start"}));
        return TFinished::Partly;
    }
    if (DirectoryExists(backupDir)) EmptyAndRemoveDirectory(backupDir);
    if (FileExists(journal)) DeleteFileForced(journal);
    for (auto part = parts.rbegin(); part + 1 != parts.rend(); ++part) {
        if (part->empty()) continue;
        const std::string dir = part->substr(1);
        if ((*part)[0] == 'D' && DirectoryExists(dir)) os.RemoveDirectory(dir);
        // The expanded payload of a killed setup: its own scratch, of no use to anyone now.
        if ((*part)[0] == 'S' && scratch && DirectoryExists(dir)) EmptyAndRemoveDirectory(dir);
    }
    os.RegDeleteValue(kMachine, key, kUnfinishedValue);
    for (auto part = parts.rbegin(); part + 1 != parts.rend(); ++part)
        if (part->size() > 1 && (*part)[0] == 'K') DeleteKeyIfEmpty(kMachine, part->substr(1));
    if (!complete)
        Note(log, Concat({"rolled back the install of ", title, " (", DecimalText(lines.size()), " changes)"}));
    else if (scratch)
        Note(log, Concat({"finished the install of ", title, ", which had been stopped once complete"}));
    return TFinished::Whole;
}

}  // namespace

bool RollBackUnfinishedInstall(const std::string& title, TInstallLog* log) {
    const TFinished finished = Finish(title, log, true);
    return finished == TFinished::Whole || finished == TFinished::Partly;
}

std::vector<std::string> RollBackUnfinishedInstalls(TInstallLog* log) {
    std::vector<std::string> titles, subKeys, names;
    if (!sys::Sys().RegEnumKey(kMachine, WithoutTrailingBackslash(kUninstallRegistryKey), subKeys, names)) return titles;
    for (const std::string& title : subKeys)
        if (RollBackUnfinishedInstall(title, log)) titles.push_back(title);
    return titles;
}

}  // namespace zov
