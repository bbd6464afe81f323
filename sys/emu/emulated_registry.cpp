// The registry of the emulated machine, read from and written back to registry.reg on
// every call so that a test or a second program sees each change at once.
#include <algorithm>

#include "sys/emu/emu_paths.h"
#include "sys/emu/emulated_system.h"
#include "sys/emu/host_files.h"
#include "sys/emu/registry_store.h"

namespace zov::sys::emu {
namespace {

RegistryStore Load(const std::filesystem::path& file) {
    return RegistryStore::Parse(ReadHostFile(file).value_or(std::string()));
}

bool Save(const std::filesystem::path& file, const RegistryStore& store) {
    return ReplaceHostFile(file, store.Text());
}

// The key's parts in upper case, for comparing paths; nullopt for a refused path.
std::optional<std::vector<std::string>> UpperParts(const std::string& subKey) {
    auto parts = SplitKeyPath(subKey);
    if (parts)
        for (std::string& p : *parts) p = UpperAscii(p);
    return parts;
}

}  // namespace

void EmulatedSystem::FailRegistryKey(RegRoot root, const std::string& subKey) {
    failingKeys_.emplace_back(root, subKey);
}

bool EmulatedSystem::RegistryKeyFails(RegRoot root, const std::string& subKey) const {
    const auto parts = UpperParts(subKey);
    if (!parts) return false;
    for (const auto& [failRoot, failKey] : failingKeys_) {
        const auto fail = UpperParts(failKey);
        if (failRoot != root || !fail || fail->size() > parts->size()) continue;
        if (std::equal(fail->begin(), fail->end(), parts->begin())) return true;
    }
    return false;
}

bool EmulatedSystem::RegCreateKey(RegRoot root, const std::string& subKey) {
    RegistryStore store = Load(RegistryFile());
    if (store.KeyExists(root, subKey)) return true;
    if (RegistryKeyFails(root, subKey)) return Fail(kErrorAccessDenied);
    if (!store.CreateKey(root, subKey)) return Fail(kErrorInvalidParameter);
    return Save(RegistryFile(), store) || Fail(kErrorWriteFault);
}

bool EmulatedSystem::RegKeyExists(RegRoot root, const std::string& subKey) {
    return Load(RegistryFile()).KeyExists(root, subKey);
}

bool EmulatedSystem::RegSetString(RegRoot root, const std::string& subKey, const std::string& name,
                                  const std::string& value) {
    return SetValue(root, subKey, RegistryValue{name, value, std::nullopt});
}

bool EmulatedSystem::RegSetDword(RegRoot root, const std::string& subKey, const std::string& name,
                                 uint32_t value) {
    return SetValue(root, subKey, RegistryValue{name, "", value});
}

bool EmulatedSystem::SetValue(RegRoot root, const std::string& subKey, RegistryValue value) {
    if (RegistryKeyFails(root, subKey)) return Fail(kErrorAccessDenied);
    RegistryStore store = Load(RegistryFile());
    if (!store.SetValue(root, subKey, std::move(value))) return Fail(kErrorInvalidParameter);
    return Save(RegistryFile(), store) || Fail(kErrorWriteFault);
}

bool EmulatedSystem::RegGetString(RegRoot root, const std::string& subKey, const std::string& name,
                                  std::string& value) {
    const auto found = Load(RegistryFile()).GetValue(root, subKey, name);
    if (!found) return Fail(kErrorFileNotFound);
    if (found->dword) return Fail(kErrorInvalidData);
    value = found->text;
    return true;
}

bool EmulatedSystem::RegGetDword(RegRoot root, const std::string& subKey, const std::string& name,
                                 uint32_t& value) {
    const auto found = Load(RegistryFile()).GetValue(root, subKey, name);
    if (!found) return Fail(kErrorFileNotFound);
    if (!found->dword) return Fail(kErrorInvalidData);
    value = *found->dword;
    return true;
}

bool EmulatedSystem::RegDeleteValue(RegRoot root, const std::string& subKey,
                                    const std::string& name) {
    if (RegistryKeyFails(root, subKey)) return Fail(kErrorAccessDenied);
    RegistryStore store = Load(RegistryFile());
    if (!store.DeleteValue(root, subKey, name)) return Fail(kErrorFileNotFound);
    return Save(RegistryFile(), store) || Fail(kErrorWriteFault);
}

bool EmulatedSystem::RegDeleteKey(RegRoot root, const std::string& subKey) {
    if (RegistryKeyFails(root, subKey)) return Fail(kErrorAccessDenied);
    RegistryStore store = Load(RegistryFile());
    if (!store.KeyExists(root, subKey)) return Fail(kErrorFileNotFound);
    // A key with subkeys stays, as Windows NT keeps it.
    if (!store.DeleteKey(root, subKey)) return Fail(kErrorAccessDenied);
    return Save(RegistryFile(), store) || Fail(kErrorWriteFault);
}

bool EmulatedSystem::RegEnumKey(RegRoot root, const std::string& subKey, std::vector<std::string>& subKeys,
                                std::vector<std::string>& valueNames) {
    if (!Load(RegistryFile()).List(root, subKey, subKeys, valueNames)) return Fail(kErrorFileNotFound);
    return true;
}

}  // namespace zov::sys::emu
