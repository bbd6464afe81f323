// Profile (INI) files on the emulated machine, read and edited by the rules in
// profile_text.h.
#include "sys/emu/emu_paths.h"
#include "sys/emu/emulated_system.h"
#include "sys/emu/host_files.h"
#include "sys/emu/profile_text.h"
#include "sys/paths.h"

namespace zov::sys::emu {
namespace {

std::optional<std::string> ReadAll(System& os, const std::string& path) {
    // Profile files are opened letting others read and write, as the profile functions do.
    auto f = os.OpenFile(path, FileAccess::Read, FileCreate::OpenExisting, FileShare::DenyNone);
    if (!f) return std::nullopt;
    std::string bytes(static_cast<size_t>(f->Size()), '\0');
    uint32_t done = 0;
    if (!f->Read(bytes.data(), static_cast<uint32_t>(bytes.size()), done)) return std::nullopt;
    bytes.resize(done);
    return bytes;
}

// The parsed text of the profile read last. A parse depends on the bytes alone, so the same
// bytes give it again: reading many keys one by one parses a large file once, not per key.
const ProfileText& Parsed(const std::string& bytes) {
    thread_local std::string lastBytes;
    thread_local ProfileText lastText;
    if (bytes != lastBytes) {
        lastText = ProfileText(bytes);
        lastBytes = bytes;
    }
    return lastText;
}

std::string CutTo(std::string s, uint32_t bufferSize) {
    if (s.size() > bufferSize - 1) s.resize(bufferSize - 1);
    return s;
}

}  // namespace

std::string EmulatedSystem::ProfilePath(const std::string& file) {
    if (file.find_first_of("\\/:") == std::string::npos)
        return GetWindowsDirectory() + "\\" + file;
    return file;
}

std::string EmulatedSystem::GetProfileString(const std::string& file, const std::string& section,
                                             const std::string& key,
                                             const std::string& defaultValue,
                                             uint32_t bufferSize) {
    if (bufferSize == 0) return {};
    if (!section.empty() && !key.empty() && !file.empty()) {
        if (auto bytes = ReadAll(*this, ProfilePath(file))) {
            if (auto value = Parsed(*bytes).Get(section, key)) return CutTo(*value, bufferSize);
        }
    }
    // The default loses trailing blanks and enclosing quotes, as a value does.
    std::string def = defaultValue;
    while (!def.empty() && (def.back() == ' ' || def.back() == '\t')) def.pop_back();
    if (def.size() >= 2 && (def[0] == '"' || def[0] == '\'') && def.back() == def[0])
        def = def.substr(1, def.size() - 2);
    return CutTo(def, bufferSize);
}

std::vector<std::string> EmulatedSystem::GetProfileKeyNames(const std::string& file,
                                                            const std::string& section,
                                                            uint32_t bufferSize) {
    if (file.empty()) return {};
    const auto bytes = ReadAll(*this, ProfilePath(file));
    if (!bytes) return {};
    return NamesAsSeen(Parsed(*bytes).KeyNames(section), bufferSize);
}

std::vector<std::string> EmulatedSystem::GetProfileSectionNames(const std::string& file,
                                                                uint32_t bufferSize) {
    if (file.empty()) return {};
    const auto bytes = ReadAll(*this, ProfilePath(file));
    if (!bytes) return {};
    return NamesAsSeen(Parsed(*bytes).SectionNames(), bufferSize);
}

namespace {
// Reads the whole profile file through `f` and gives it edited.
template <typename Edit>
std::optional<std::string> EditedProfile(File& f, Edit edit) {
    std::string bytes(static_cast<size_t>(f.Size()), '\0');
    uint32_t done = 0;
    if (!f.Read(bytes.data(), static_cast<uint32_t>(bytes.size()), done)) return std::nullopt;
    bytes.resize(done);
    ProfileText text(bytes);
    edit(text);
    return text.Bytes();
}
}  // namespace

bool EmulatedSystem::ReplaceProfile(const std::filesystem::path& host, const std::optional<std::string>& bytes) {
    if (!bytes) return Fail(kErrorReadFault);
    if (host.empty()) return true;  // a device such as NUL: the text goes nowhere
    if (state_->writeBudget && *state_->writeBudget < bytes->size()) return Fail(kErrorDiskFull);
    if (!ReplaceHostFile(host, *bytes)) return Fail(kErrorWriteFault);
    if (state_->writeBudget) *state_->writeBudget -= bytes->size();
    return true;
}

bool EmulatedSystem::WriteProfileString(const std::string& file, const std::string& section,
                                        const std::string& key, const std::string& value) {
    if (file.empty() || section.empty() || key.empty()) return Fail(kErrorInvalidParameter);
    const std::string path = ProfilePath(file);
    auto f = OpenFile(path, FileAccess::ReadWrite, FileCreate::OpenAlways, FileShare::DenyNone);
    if (!f) return false;  // OpenFile gave the reason
    return ReplaceProfile(ToHost(path), EditedProfile(*f, [&](ProfileText& t) { t.Set(section, key, value); }));
}

bool EmulatedSystem::DeleteProfileEntry(const std::string& file, const std::string& section,
                                        const std::string& key) {
    if (file.empty() || section.empty()) return Fail(kErrorInvalidParameter);
    const std::string path = ProfilePath(file);
    if (!FileExists(path)) return true;
    auto f = OpenFile(path, FileAccess::ReadWrite, FileCreate::OpenExisting, FileShare::DenyNone);
    if (!f) return false;
    return ReplaceProfile(ToHost(path), EditedProfile(*f, [&](ProfileText& t) { t.Remove(section, key); }));
}

bool EmulatedSystem::WriteProfileSection(const std::string& file, const std::string& section,
                                         const std::vector<std::string>& lines) {
    if (file.empty() || section.empty()) return Fail(kErrorInvalidParameter);
    const std::string path = ProfilePath(file);
    auto f = OpenFile(path, FileAccess::ReadWrite, FileCreate::OpenAlways, FileShare::DenyNone);
    if (!f) return false;
    return ReplaceProfile(ToHost(path), EditedProfile(*f, [&](ProfileText& t) { t.ReplaceKeys(section, lines); }));
}

}  // namespace zov::sys::emu
