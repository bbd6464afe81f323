#include "install/wizard/uninstall_info.h"

#include <algorithm>

#include "install/install_journal.h"

#include "sys/canonical_path.h"
#include "sys/decimal.h"
#include "sys/paths.h"
#include "sys/concat.h"

namespace zov {
namespace {

namespace section = uninstall_section;

constexpr uint32_t kNamesBuffer = 1u << 20;
constexpr uint32_t kValueBuffer = 4096;

const char* const kRewrittenSections[] = {
    section::kFiles,           section::kFolders,          section::kRegistry,
    section::kWrittenFiles,    section::kCreatedDirectories, section::kIniValues,
    section::kSetIniValues,    section::kEarlierIniValues, section::kCreatedIniFiles,
    section::kCreatedIniSections, section::kRegistryValues, section::kSetRegistryValues,
    section::kEarlierRegistryValues, section::kCreatedRegistryKeys,
    section::kAutoexec,        section::kSharedFiles,
};

std::vector<std::string> Keys(const std::string& path, const char* name) {
    return sys::Sys().GetProfileKeyNames(path, name, kNamesBuffer);
}

std::string Value(const std::string& path, const char* name, const std::string& key) {
    return sys::Sys().GetProfileString(path, name, key, "", kValueBuffer);
}

// Whether the key is there: an empty value and a missing one read alike with an empty default.
bool HasKey(const std::string& path, const char* name, const std::string& key) {
    return sys::Sys().GetProfileString(path, name, key, "\x01", kValueBuffer) != "\x01";
}

// The reader's view of a record: the values of its sections.
class CfgReader {
public:
    explicit CfgReader(std::string path) : path_(std::move(path)) {}

    std::vector<std::string> Keys(const char* section) const { return zov::Keys(path_, section); }
    std::string Value(const char* section, const std::string& key) const { return zov::Value(path_, section, key); }
    // The values of a numbered section, in the file's order, with their numbers.
    std::vector<std::pair<std::string, std::string>> Numbered(const char* section) const {
        std::vector<std::pair<std::string, std::string>> values;
        for (const std::string& key : Keys(section))
            if (!key.empty() && key[0] >= '0' && key[0] <= '9') values.emplace_back(key, Value(section, key));
        return values;
    }
    std::vector<std::string> Values(const char* section) const {
        std::vector<std::string> values;
        for (auto& [key, value] : Numbered(section)) values.push_back(value);
        return values;
    }
    bool Has(const char* section, const std::string& key) const { return HasKey(path_, section, key); }

private:
    std::string path_;
};

// Fields are cut at "~"; a path may hold "~" itself (an 8.3 name), the other fields cannot
// (they were cut at "~" from install.cfg), so the path takes what the others leave.
bool CutLast(std::string& text, std::string& last) {
    const size_t at = text.rfind('~');
    if (at == std::string::npos) return false;
    last = text.substr(at + 1);
    text.resize(at);
    return true;
}

bool CutRoot(std::string& text, sys::RegRoot& root) {
    const size_t at = text.find('~');
    if (at == std::string::npos) return false;
    const std::string name = text.substr(0, at);
    if (name != "HKLM" && name != "HKCU") return false;
    root = name == "HKLM" ? sys::RegRoot::LocalMachine : sys::RegRoot::CurrentUser;
    text.erase(0, at + 1);
    return true;
}

}  // namespace

std::string EarlierRegistryValue(sys::RegRoot root, const std::string& key, const std::string& name) {
    sys::System& os = sys::Sys();
    std::string text;
    uint32_t number = 0;
    if (os.RegGetString(root, key, name, text)) return "S:" + text;
    if (os.RegGetDword(root, key, name, number)) return "D:" + DecimalText(number);
    std::vector<std::string> subKeys, names;
    if (!os.RegEnumKey(root, key, subKeys, names)) return "";
    for (const std::string& n : names)
        if (UpperCase(n) == UpperCase(name)) return "?";
    return "";
}

std::string CommandProgramDir(const std::string& command) {
    std::string program = command;
    if (!program.empty() && program[0] == '"') {
        const size_t close = program.find('"', 1);
        program = program.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    } else {
        const size_t exe = UpperCase(program).find(".EXE");
        if (exe != std::string::npos) program.resize(exe + 4);
    }
    return WithoutTrailingBackslash(DirectoryPart(program));
}

std::string RegisteredInstallDir(const std::string& title) {
    sys::System& os = sys::Sys();
    const std::string key = kUninstallRegistryKey + title;
    std::string value;
    if (os.RegGetString(sys::RegRoot::LocalMachine, key, "UninstallString", value)) {
        const std::string dir = CommandProgramDir(value);
        if (!dir.empty()) return dir;
    }
    if (os.RegGetString(sys::RegRoot::LocalMachine, key, "InstallLocation", value)) return value;
    return UnfinishedInstallDir(title);
}

void TUninstallInfo::Open(const std::string& targetDir, const std::string& title, const std::string& earlierDir) {
    path_ = JoinPath(targetDir, kFileName);
    counts_.Clear();
    shared_.Clear();
    sharedBefore_.Clear();
    recorded_.Clear();
    later_.clear();
    written_.clear();
    writtenKeys_.Clear();
    unwritten_ = 0;
    numbers_.clear();
    earlierAutoexecFile_.clear();
    earlierAutoexec_.clear();
    earlierNewAutoexec_ = earlierNewBackup_ = false;
    const bool hadRecord = FileExists(path_);
    if (hadRecord) TakeOver(path_, true);
    const std::string other = earlierDir.empty() ? "" : JoinPath(earlierDir, kFileName);
    const bool otherRecord = !other.empty() && !SamePath(other, path_) && FileExists(other) &&
                             Value(other, section::kProgram, "Title") == title;
    for (const char* name : kRewrittenSections)
        if (hadRecord && !sys::Sys().DeleteProfileEntry(path_, name, ""))
            throw EUninstallInfoError("Unable to write to " + path_);
    Write("Program", "Title", title);
    AddFile(targetDir + "\\*.*");
    AddFile(targetDir + "\\Setup\\*.*");
    if (hadRecord) TakeOver(path_, false);
    if (otherRecord) {
        TakeOver(other, true);
        TakeOver(other, false);
        AddFile(other);
        AddWrittenFile(other, false);
    }
}

// What an earlier install of the product recorded stays the product's to remove: this
// install finds it present and would not record it as made, or would take the earlier
// install's values for what was there before. The first pass (`before`) reads what must be
// known before the old sections are erased; the second writes the records.
void TUninstallInfo::TakeOver(const std::string& cfg, bool before) {
    if (before) {
        for (const std::string& file : Keys(cfg, section::kSharedFiles)) sharedBefore_.Insert(UpperCase(file));
        for (const std::string& key : Keys(cfg, section::kAutoexec)) {
            if (key == "File")
                earlierAutoexecFile_ = Value(cfg, section::kAutoexec, key);
            else if (key == kAutoexecNewFile)
                earlierNewAutoexec_ = true;
            else if (key == kAutoexecNewBackup)
                earlierNewBackup_ = true;
            else
                earlierAutoexec_.push_back(Value(cfg, section::kAutoexec, key));
        }
        // Read now: the second pass may find the same file's sections already erased.
        for (const char* name : {section::kFiles, section::kFolders, section::kRegistry})
            for (const std::string& key : Keys(cfg, name)) Later(name, key, "\x01");
        for (const std::string& file : Keys(cfg, section::kWrittenFiles))
            if (FirstRecord(section::kWrittenFiles, file))
                Later(section::kWrittenFiles, file, Value(cfg, section::kWrittenFiles, file));
        for (const char* name : {section::kCreatedDirectories, section::kCreatedIniFiles})
            for (const std::string& key : Keys(cfg, name))
                if (FirstRecord(name, key)) Later(name, key, "");
        for (const char* name : {section::kCreatedIniSections, section::kCreatedRegistryKeys})
            for (const std::string& number : Keys(cfg, name))
                if (const std::string value = Value(cfg, name, number); FirstRecord(name, value)) Numbered(name, value);
        const std::vector<const char*> groups[] = {
            {section::kIniValues, section::kSetIniValues, section::kEarlierIniValues},
            {section::kRegistryValues, section::kSetRegistryValues, section::kEarlierRegistryValues}};
        for (const std::vector<const char*>& group : groups)
            for (const std::string& number : Keys(cfg, group[0]))
                if (const std::string value = Value(cfg, group[0], number); FirstRecord(group[0], value)) {
                    std::vector<Paired> paired;
                    for (size_t i = 1; i < group.size(); ++i)
                        paired.push_back({group[i], Value(cfg, group[i], number), HasKey(cfg, group[i], number)});
                    Numbered(group[0], value, paired);
                }
        for (const std::string& file : Keys(cfg, section::kSharedFiles)) AddSharedFile(file);
        return;
    }
    // The four sections stand at the top and are written at once.
    std::vector<Entry> kept;
    for (Entry& e : later_) {
        if (e.value == "\x01")
            Key(e.section, e.key);
        else
            kept.push_back(std::move(e));
    }
    later_.swap(kept);
}

bool TUninstallInfo::FirstRecord(const std::string& name, const std::string& value) {
    return !value.empty() && recorded_.Insert(name + '\n' + UpperCase(value));
}

void TUninstallInfo::AddWrittenFile(const std::string& path, bool replaced) {
    if (FirstRecord(section::kWrittenFiles, path))
        Later(section::kWrittenFiles, path, replaced ? kFileReplaced : kFileNew);
}

void TUninstallInfo::AddSharedFile(const std::string& path) {
    if (shared_.Insert(UpperCase(path))) Later(section::kSharedFiles, path, "");
}

bool TUninstallInfo::IsSharedFile(const std::string& path) const { return shared_.Contains(UpperCase(path)); }

bool TUninstallInfo::WasSharedFile(const std::string& path) const {
    return sharedBefore_.Contains(UpperCase(path));
}

void TUninstallInfo::AddIniValue(const std::string& file, const std::string& name, const std::string& key,
                                 const std::string& set, bool existed, const std::string& earlier) {
    const std::string value = Concat({file, "~", name, "~", key});
    if (FirstRecord(section::kIniValues, value))
        Numbered(section::kIniValues, value,
                 {{section::kSetIniValues, set, true}, {section::kEarlierIniValues, earlier, existed}});
    else
        SetAgain(section::kSetIniValues, std::string(section::kIniValues) + '\n' + UpperCase(value), set);
}

void TUninstallInfo::SetAgain(const char* setSection, const std::string& record, const std::string& set) {
    for (const auto& [known, number] : numbers_) {
        if (known != record) continue;
        for (Entry& e : later_)
            if (e.section == setSection && e.key == number) {
                e.value = set;
                return;
            }
        Later(setSection, number, set);
        return;
    }
}

void TUninstallInfo::AddCreatedIniSection(const std::string& file, const std::string& name) {
    if (FirstRecord(section::kCreatedIniSections, Concat({file, "~", name})))
        Numbered(section::kCreatedIniSections, Concat({file, "~", name}));
}

void TUninstallInfo::AddRegistryValue(sys::RegRoot root, const std::string& key, const std::string& name,
                                      const std::string& set, const std::string& earlier) {
    const std::string value = Concat({RootName(root), "~", key, "~", name});
    if (FirstRecord(section::kRegistryValues, value))
        Numbered(section::kRegistryValues, value,
                 {{section::kSetRegistryValues, set, true}, {section::kEarlierRegistryValues, earlier, !earlier.empty()}});
    else
        SetAgain(section::kSetRegistryValues, std::string(section::kRegistryValues) + '\n' + UpperCase(value), set);
}

void TUninstallInfo::AddCreatedRegistryKey(sys::RegRoot root, const std::string& key) {
    if (FirstRecord(section::kCreatedRegistryKeys, Concat({RootName(root), "~", key})))
        Numbered(section::kCreatedRegistryKeys, Concat({RootName(root), "~", key}));
}

void TUninstallInfo::AddAutoexecLine(const std::string& autoexecPath, const std::string& line) {
    if (!counts_.Contains(section::kAutoexec)) Later(section::kAutoexec, "File", autoexecPath);
    Numbered(section::kAutoexec, line);
}

void TUninstallInfo::SetAutoexecMade(bool file, bool backup) {
    if (file || earlierNewAutoexec_) Later(section::kAutoexec, kAutoexecNewFile, "1");
    if (backup || earlierNewBackup_) Later(section::kAutoexec, kAutoexecNewBackup, "1");
}

void TUninstallInfo::Numbered(const std::string& name, const std::string& value, const std::vector<Paired>& paired) {
    const std::string number = DecimalText(counts_.Increment(name));
    Later(name, number, value);
    if (!paired.empty()) numbers_.emplace_back(name + '\n' + UpperCase(value), number);
    for (const Paired& p : paired)
        if (p.present) Later(p.section, number, p.value);
}

void TUninstallInfo::Flush() {
    // An earlier block this install did not replace stays in autoexec.bat, and in the record.
    if (!counts_.Contains(section::kAutoexec) && !earlierAutoexecFile_.empty()) {
        for (const std::string& line : earlierAutoexec_) AddAutoexecLine(earlierAutoexecFile_, line);
        SetAutoexecMade(false, false);
    }
    std::vector<Entry> entries;
    entries.swap(later_);
    for (const Entry& e : entries) Write(e.section, e.key, e.value);
    // The sections in the order they came, and those with an entry changed since the last Flush.
    std::vector<std::string> names, changed;
    for (size_t i = 0; i < written_.size(); ++i) {
        const std::string& name = written_[i].section;
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        if (i >= unwritten_ && std::find(changed.begin(), changed.end(), name) == changed.end()) changed.push_back(name);
    }
    for (const std::string& name : names) {
        if (std::find(changed.begin(), changed.end(), name) == changed.end()) continue;
        std::vector<std::string> lines;
        for (const Entry& e : written_)
            if (e.section == name) lines.push_back(e.key + '=' + e.value);
        if (!sys::Sys().WriteProfileSection(path_, name, lines)) throw EUninstallInfoError("Unable to write to " + path_);
    }
    unwritten_ = written_.size();
}

void TUninstallInfo::Write(const std::string& name, const std::string& key, const std::string& value) {
    if (std::none_of(std::begin(kRewrittenSections), std::end(kRewrittenSections),
                     [&](const char* rewritten) { return name == rewritten; })) {
        if (!sys::Sys().WriteProfileString(path_, name, key, value))
            throw EUninstallInfoError("Unable to write to " + path_);
        return;
    }
    if (writtenKeys_.Insert(UpperCase(name + '\n' + key))) {
        written_.push_back({name, key, value});
        return;
    }
    for (size_t i = 0; i < written_.size(); ++i)
        if (written_[i].section == name && UpperCase(written_[i].key) == UpperCase(key)) {
            written_[i].value = value;
            unwritten_ = std::min(unwritten_, i);
        }
}

// --- reading it back -------------------------------------------------------------------------

std::string RootKeyName(sys::RegRoot root) {
    return root == sys::RegRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::string TUninstallRecord::CfgPath() const { return JoinPath(Dir, TUninstallInfo::kFileName); }

std::string ReadUninstallRecord(const std::string& dir, const std::string& title, TUninstallRecord& record) {
    record = TUninstallRecord{};
    record.Dir = WithoutTrailingBackslash(dir);
    const std::string path = record.CfgPath();
    if (!FileExists(path)) return Concat({"The uninstall information ", path, " is missing."});
    const CfgReader cfg(path);
    record.Title = cfg.Value(section::kProgram, "Title");
    if (record.Title.empty()) return path + " is not uninstall information: it names no product.";
    if (record.Title != title) return Concat({path, " belongs to \"", record.Title, "\", not to \"", title, "\"."});

    record.Files = cfg.Keys(section::kFiles);
    record.Folders = cfg.Keys(section::kFolders);
    record.CreatedDirectories = cfg.Keys(section::kCreatedDirectories);
    record.CreatedIniFiles = cfg.Keys(section::kCreatedIniFiles);
    record.SharedFiles = cfg.Keys(section::kSharedFiles);
    for (const std::string& file : cfg.Keys(section::kWrittenFiles))
        record.WrittenFiles.push_back({file, cfg.Value(section::kWrittenFiles, file) == kFileReplaced});
    for (auto [number, entry] : cfg.Numbered(section::kIniValues)) {
        TIniEntry ini;
        if (CutLast(entry, ini.Name) && CutLast(entry, ini.Section)) {
            ini.File = entry;
            ini.HasSet = cfg.Has(section::kSetIniValues, number);
            ini.Set = cfg.Value(section::kSetIniValues, number);
            ini.Existed = cfg.Has(section::kEarlierIniValues, number);
            if (ini.Existed) ini.Earlier = cfg.Value(section::kEarlierIniValues, number);
            record.IniValues.push_back(ini);
        }
    }
    for (std::string entry : cfg.Values(section::kCreatedIniSections)) {
        TIniEntry ini;
        if (CutLast(entry, ini.Section)) {
            ini.File = entry;
            record.CreatedIniSections.push_back(ini);
        }
    }
    for (auto [number, entry] : cfg.Numbered(section::kRegistryValues)) {
        TRegistryEntry reg;
        if (CutRoot(entry, reg.Root) && CutLast(entry, reg.Name)) {
            reg.Key = entry;
            reg.HasSet = cfg.Has(section::kSetRegistryValues, number);
            reg.Set = cfg.Value(section::kSetRegistryValues, number);
            reg.Earlier = cfg.Value(section::kEarlierRegistryValues, number);
            record.RegistryValues.push_back(reg);
        }
    }
    for (std::string entry : cfg.Values(section::kCreatedRegistryKeys)) {
        TRegistryEntry reg;
        if (CutRoot(entry, reg.Root)) {
            reg.Key = entry;
            record.CreatedRegistryKeys.push_back(reg);
        }
    }
    record.AutoexecFile = cfg.Value(section::kAutoexec, "File");
    if (!record.AutoexecFile.empty()) record.AutoexecLines = cfg.Values(section::kAutoexec);
    record.AutoexecNewFile = cfg.Has(section::kAutoexec, kAutoexecNewFile);
    record.AutoexecNewBackup = cfg.Has(section::kAutoexec, kAutoexecNewBackup);
    return "";
}

}  // namespace zov
