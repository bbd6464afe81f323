#pragma once
// What an uninstall must never remove or change, whatever uninstall.cfg says: the drive
// roots, the Windows, the system and the temporary directory, Program Files, the shell
// folders and every parent of them; the keys Windows keeps its own settings in; and what
// other registered products own: their install folders, their registrations, and the
// files, values and keys their own uninstall information records. Paths are compared in
// their full form (see sys/canonical_path.h), so "C:\WINDOWS\..\WINDOWS" is C:\WINDOWS.
#include <string>
#include <vector>

#include "shell/name_set.h"
#include "sys/system.h"

namespace zov {

class TProtectedPlaces {
public:
    // Reads the places from the running system. The products registered under any title but
    // `ownTitle` are the others.
    explicit TProtectedPlaces(const std::string& ownTitle = std::string());

    // Whether `dir` must not be emptied or removed: a path with no full form, a root, a
    // protected place or a parent of one, another product's folder or a folder below it.
    bool Protects(const std::string& dir) const;
    // Whether `dir` must stay even when empty: a root, a protected place, another product's
    // folder or a parent of one of them.
    bool KeepsFolder(const std::string& dir) const;
    // The other product whose record lists `path`, or whose folder holds it when it has no
    // record; "".
    std::string OtherOwner(const std::string& path) const;
    // Why a value must stay unchanged, or a key must stay: one of the system's, another
    // product's registration, value or key; "" when it may go.
    std::string ValueProtection(sys::RegRoot root, const std::string& key, const std::string& name) const;
    std::string KeyProtection(sys::RegRoot root, const std::string& key) const;

private:
    std::string Protection(sys::RegRoot root, const std::string& comparableKey, const std::string& upperName) const;
    void Add(const std::string& dir);
    bool IsSystemPlace(const std::string& dir) const;  // a root, a place or a parent of one
    void AddOtherProduct(const std::string& title);
    std::vector<std::string> places_;  // full paths
    struct Product {
        std::string Title, Dir;
        bool Recorded = false;  // its uninstall.cfg lists what it wrote
    };
    std::vector<Product> others_;
    std::vector<std::pair<std::string, std::string>> otherFiles_;  // upper-case full path, title
    TNameSet otherValues_;  // "HKLM|HKCU\KEY\NAME" in upper case, of values and (NAME empty) keys
    std::vector<std::string> otherRegistrations_;  // upper-case keys below HKEY_LOCAL_MACHINE
};

// A registry key as it compares: upper case, no empty parts.
std::string ComparableKey(const std::string& key);

}  // namespace zov
