#include "uninstall/uninstall_record.h"

#include "install/wizard/uninstall_info.h"
#include "sys/paths.h"

namespace zov {
namespace {

constexpr uint32_t kNamesBuffer = 1u << 20;
constexpr uint32_t kValueBuffer = 4096;

namespace section = uninstall_section;

class CfgReader {
public:
    explicit CfgReader(std::string path) : path_(std::move(path)) {}

    std::vector<std::string> Keys(const char* section) const {
        return sys::Sys().GetProfileKeyNames(path_, section, kNamesBuffer);
    }
    std::string Value(const char* section, const std::string& key) const {
        return sys::Sys().GetProfileString(path_, section, key, "", kValueBuffer);
    }
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
    bool Has(const char* section, const std::string& key) const {
        return sys::Sys().GetProfileString(path_, section, key, "\x01", kValueBuffer) != "\x01";
    }

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

std::string RootKeyName(sys::RegRoot root) {
    return root == sys::RegRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::string TUninstallRecord::CfgPath() const { return JoinPath(Dir, TUninstallInfo::kFileName); }

std::string ReadUninstallRecord(const std::string& dir, const std::string& title, TUninstallRecord& record) {
    record = TUninstallRecord{};
    record.Dir = WithoutTrailingBackslash(dir);
    const std::string path = record.CfgPath();
    if (!FileExists(path)) return "The uninstall information " + path + " is missing.";
    const CfgReader cfg(path);
    record.Title = cfg.Value(section::kProgram, "Title");
    if (record.Title.empty()) return path + " is not uninstall information: it names no product.";
    if (record.Title != title) return path + " belongs to \"" + record.Title + "\", not to \"" + title + "\".";

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
