#include "install/wizard/uninstall_info.h"

#include "sys/decimal.h"
#include "sys/paths.h"

namespace zov {
namespace {

const char* const kRewrittenSections[] = {
    "UNINS",          "Folders",          "Registry",          "Created Directories",
    "INI Values",     "Created INI Files", "Created INI Sections", "Registry Values",
    "Created Registry Keys", "Autoexec",  "Shared Files",
};

}  // namespace

void TUninstallInfo::Open(const std::string& targetDir, const std::string& title) {
    path_ = JoinPath(targetDir, kFileName);
    counts_.Clear();
    shared_.Clear();
    sharedBefore_.Clear();
    created_.Clear();
    later_.clear();
    if (FileExists(path_)) {
        for (const std::string& file : sys::Sys().GetProfileKeyNames(path_, uninstall_section::kSharedFiles, 1u << 20))
            sharedBefore_.Insert(UpperCase(file));
        CarryOverCreated();
    }
    for (const char* section : kRewrittenSections)
        if (FileExists(path_) && !sys::Sys().DeleteProfileEntry(path_, section, ""))
            throw EUninstallInfoError("Unable to write to " + path_);
    Write("Program", "Title", title);
    AddFile(targetDir + "\\*.*");
    AddFile(targetDir + "\\Setup\\*.*");
}

// What the earlier install into this directory created stays the product's to remove: this
// install finds it present and would not record it, so an uninstall after a reinstall would
// leave the directories, INI files and keys behind.
void TUninstallInfo::CarryOverCreated() {
    namespace s = uninstall_section;
    for (const char* section : {s::kCreatedDirectories, s::kCreatedIniFiles})
        for (const std::string& name : sys::Sys().GetProfileKeyNames(path_, section, 1u << 20))
            if (FirstRecord(section, name)) Later(section, name, "");
    for (const char* section : {s::kCreatedIniSections, s::kCreatedRegistryKeys})
        for (const std::string& number : sys::Sys().GetProfileKeyNames(path_, section, 1u << 20))
            if (const std::string value = sys::Sys().GetProfileString(path_, section, number, "", 4096);
                FirstRecord(section, value))
                Numbered(section, value);
}

bool TUninstallInfo::FirstRecord(const std::string& section, const std::string& value) {
    return !value.empty() && created_.Insert(section + '\n' + UpperCase(value));
}

void TUninstallInfo::AddSharedFile(const std::string& path) {
    shared_.Insert(UpperCase(path));
    Later(uninstall_section::kSharedFiles, path, "");
}

bool TUninstallInfo::IsSharedFile(const std::string& path) const { return shared_.Contains(UpperCase(path)); }

bool TUninstallInfo::WasSharedFile(const std::string& path) const {
    return sharedBefore_.Contains(UpperCase(path));
}

void TUninstallInfo::AddIniValue(const std::string& file, const std::string& section, const std::string& name) {
    Numbered("INI Values", file + "~" + section + "~" + name);
}

void TUninstallInfo::AddCreatedIniSection(const std::string& file, const std::string& section) {
    if (FirstRecord(uninstall_section::kCreatedIniSections, file + "~" + section))
        Numbered(uninstall_section::kCreatedIniSections, file + "~" + section);
}

void TUninstallInfo::AddRegistryValue(sys::RegRoot root, const std::string& key, const std::string& name) {
    Numbered("Registry Values", RootName(root) + "~" + key + "~" + name);
}

void TUninstallInfo::AddCreatedRegistryKey(sys::RegRoot root, const std::string& key) {
    if (FirstRecord(uninstall_section::kCreatedRegistryKeys, RootName(root) + "~" + key))
        Numbered(uninstall_section::kCreatedRegistryKeys, RootName(root) + "~" + key);
}

void TUninstallInfo::AddAutoexecLine(const std::string& autoexecPath, const std::string& line) {
    if (!counts_.Contains("Autoexec")) Later("Autoexec", "File", autoexecPath);
    Numbered("Autoexec", line);
}

void TUninstallInfo::Numbered(const std::string& section, const std::string& value) {
    const int number = counts_.Increment(section);
    Later(section, DecimalText(number), value);
}

void TUninstallInfo::Flush() {
    std::vector<Entry> entries;
    entries.swap(later_);
    for (const Entry& e : entries) Write(e.section, e.key, e.value);
}

void TUninstallInfo::Write(const std::string& section, const std::string& key, const std::string& value) {
    if (!sys::Sys().WriteProfileString(path_, section, key, value))
        throw EUninstallInfoError("Unable to write to " + path_);
}

}  // namespace zov
