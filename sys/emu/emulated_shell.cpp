// Shell and session services of the emulated machine: shell links written as real .lnk
// files, and launch, privilege and restart requests recorded in the journal.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "sys/emu/emu_paths.h"
#include "sys/emu/emulated_system.h"
#include "sys/emu/shell_link_format.h"

namespace zov::sys::emu {
namespace {

constexpr uint32_t kDriveSerial = 0x1E5A0C31;
constexpr intptr_t kLaunched = 42;         // any value above 32 means success
constexpr intptr_t kFileNotFound = 2;      // ERROR_FILE_NOT_FOUND
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

const char* const kPrivileges[] = {
    "SeAssignPrimaryTokenPrivilege", "SeAuditPrivilege",          "SeBackupPrivilege",
    "SeChangeNotifyPrivilege",       "SeCreatePagefilePrivilege", "SeCreatePermanentPrivilege",
    "SeCreateTokenPrivilege",        "SeDebugPrivilege",          "SeIncreaseBasePriorityPrivilege",
    "SeIncreaseQuotaPrivilege",      "SeLoadDriverPrivilege",     "SeLockMemoryPrivilege",
    "SeMachineAccountPrivilege",     "SeProfileSingleProcessPrivilege",
    "SeRemoteShutdownPrivilege",     "SeRestorePrivilege",        "SeSecurityPrivilege",
    "SeShutdownPrivilege",           "SeSystemEnvironmentPrivilege",
    "SeSystemProfilePrivilege",      "SeSystemtimePrivilege",     "SeTakeOwnershipPrivilege",
    "SeTcbPrivilege",                "SeUndockPrivilege",
};

class EmuShellLink : public ShellLink {
public:
    explicit EmuShellLink(EmulatedSystem& os) : os_(os) {}

    void SetPath(const std::string& target) override { target_ = target; }
    void SetWorkingDirectory(const std::string& dir) override { fields_.workingDir = dir; }
    void SetIconLocation(const std::string& file, int index) override {
        fields_.iconFile = file;
        fields_.iconIndex = index;
    }
    void SetArguments(const std::string& args) override { fields_.arguments = args; }
    void SetDescription(const std::string& text) override { fields_.description = text; }

    bool Save(const std::string& linkPath) override {
        ShellLinkFields link = fields_;
        link.target = target_.empty() ? "" : os_.GetFullPathName(target_);
        link.driveSerial = kDriveSerial;
        const std::string full = os_.GetFullPathName(linkPath);
        link.relativePath = link.target.empty()
                                ? ""
                                : RelativeLinkPath(full.substr(0, full.find_last_of('\\')),
                                                   link.target);
        struct stat st {};
        if (!link.target.empty() && ::stat(os_.ToHost(link.target).c_str(), &st) == 0) {
            link.targetAttributes = os_.GetFileAttributes(link.target);
            link.targetSize = S_ISDIR(st.st_mode) ? 0 : static_cast<uint32_t>(st.st_size);
            link.targetWriteTime =
                kUnixEpochAsFileTime + static_cast<uint64_t>(st.st_mtime) * 10000000ull;
        }
        const std::string bytes = EncodeShellLink(link);
        auto f = os_.OpenFile(linkPath, FileAccess::Write, FileCreate::CreateAlways,
                              FileShare::DenyWrite);
        uint32_t done = 0;
        return f && f->Write(bytes.data(), static_cast<uint32_t>(bytes.size()), done) &&
               done == bytes.size();
    }

private:
    EmulatedSystem& os_;
    std::string target_;
    ShellLinkFields fields_;
};

}  // namespace

std::unique_ptr<ShellLink> EmulatedSystem::CreateShellLink() {
    return std::make_unique<EmuShellLink>(*this);
}

void EmulatedSystem::AppendJournal(const std::string& line) {
    std::ofstream out(JournalFile(), std::ios::binary | std::ios::app);
    out << line << '\n';
}

std::vector<std::string> EmulatedSystem::Journal() const {
    std::vector<std::string> lines;
    std::ifstream in(JournalFile(), std::ios::binary);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

intptr_t EmulatedSystem::ShellExecute(const std::string& verb, const std::string& file,
                                      const std::string& parameters, const std::string& directory,
                                      int showMode) {
    // A bare name is looked for in the given directory, then in the current one.
    bool found = !file.empty() && GetFileAttributes(file) != kInvalidAttributes;
    if (!found && !file.empty() && !directory.empty() &&
        file.find_first_of("\\/:") == std::string::npos)
        found = GetFileAttributes(directory + "\\" + file) != kInvalidAttributes;
    const intptr_t result = found ? kLaunched : kFileNotFound;
    AppendJournal("shellexecute\t" + verb + "\t" + file + "\t" + parameters + "\t" + directory +
                  "\t" + std::to_string(showMode) + "\t" + std::to_string(result));
    return result;
}

bool EmulatedSystem::AdjustTokenPrivilege(const std::string& name, bool enable) {
    for (const char* known : kPrivileges) {
        if (UpperAscii(known) != UpperAscii(name)) continue;
        AppendJournal("privilege\t" + std::string(known) + (enable ? "\tenable" : "\tdisable"));
        return true;
    }
    return false;  // LookupPrivilegeValue does not know the name
}

bool EmulatedSystem::ExitWindows(uint32_t flags) {
    AppendJournal("exitwindows\t" + std::to_string(flags));
    return true;
}

bool EmulatedSystem::DeleteAtRestart(const std::string& path) {
    if (GetFileAttributes(path) == kInvalidAttributes) return false;  // the reason is set
    AppendJournal("deleteatrestart\t" + Full(path));
    return true;
}

}  // namespace zov::sys::emu

namespace zov::sys {

// The machine in $ZOV_MACHINE, else /tmp/zov-machine-<user id>. Programs without a machine
// of their own (the builder tool) work on host files, so it takes host paths.
std::unique_ptr<System> MakeDefaultSystem() {
    const char* root = std::getenv("ZOV_MACHINE");
    const std::string dir = root && *root ? std::string(root)
                                          : "/tmp/zov-machine-" + std::to_string(::getuid());
    return std::make_unique<emu::EmulatedSystem>(dir, emu::HostPaths::Taken);
}

}  // namespace zov::sys
