#pragma once
// The emulated registry: keys below HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE holding string
// values, kept as a REGEDIT4 file that regedit can import:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Acme]
//   @="the default value"
//   "Path"="C:\\Acme"
//
//   "Count"=dword:00000002
//
// Key and value names are compared without regard to case and keep the spelling they were
// created with. A value with line breaks or other control characters is written as hex(1).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sys/system.h"

namespace zov::sys::emu {

struct RegistryValue {
    std::string name;
    std::string text;              // a string value
    std::optional<uint32_t> dword;  // set for a DWORD value
};

class RegistryStore {
public:
    RegistryStore();
    ~RegistryStore();
    RegistryStore(RegistryStore&&) noexcept;
    RegistryStore& operator=(RegistryStore&&) noexcept;

    static RegistryStore Parse(const std::string& text);
    std::string Text() const;

    // `path` is the key below the root ("" is the root itself), see SplitKeyPath.
    bool CreateKey(RegRoot root, const std::string& path);
    bool KeyExists(RegRoot root, const std::string& path) const;
    // Creates the key when missing; a value of that name is replaced, keeping its spelling.
    bool SetValue(RegRoot root, const std::string& path, RegistryValue value);
    std::optional<RegistryValue> GetValue(RegRoot root, const std::string& path,
                                          const std::string& name) const;
    bool DeleteValue(RegRoot root, const std::string& path, const std::string& name);
    // Removes a key without subkeys, values and all; false when it has some or is missing.
    bool DeleteKey(RegRoot root, const std::string& path);
    bool List(RegRoot root, const std::string& path, std::vector<std::string>& subKeys,
              std::vector<std::string>& valueNames) const;

private:
    struct Key;
    Key* Find(RegRoot root, const std::string& path, bool create) const;
    std::unique_ptr<Key> roots_[2];
};

// Splits a key path at "\". A leading "\" is refused (nullopt), as the registry refuses it;
// empty parts elsewhere, such as a trailing "\", are skipped.
std::optional<std::vector<std::string>> SplitKeyPath(const std::string& path);

}  // namespace zov::sys::emu
