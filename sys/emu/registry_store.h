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
// Key and value names are compared without regard to case and keep the spelling they were
// created with. A value with line breaks or other control characters is written as hex(1).
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sys/system.h"

namespace zov::sys::emu {

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
    bool SetValue(RegRoot root, const std::string& path, const std::string& name,
                  const std::string& value);
    std::optional<std::string> GetValue(RegRoot root, const std::string& path,
                                        const std::string& name) const;
    bool DeleteValue(RegRoot root, const std::string& path, const std::string& name);

private:
    struct Key;
    Key* Find(RegRoot root, const std::string& path, bool create) const;
    std::unique_ptr<Key> roots_[2];
};

// Splits a key path at "\". A leading "\" is refused (nullopt), as the registry refuses it;
// empty parts elsewhere, such as a trailing "\", are skipped.
std::optional<std::vector<std::string>> SplitKeyPath(const std::string& path);

}  // namespace zov::sys::emu
