#pragma once
// The directories an uninstall must never empty or remove, whatever uninstall.cfg says: the
// drive roots, the Windows, the system and the temporary directory, Program Files, the shell
// folders, and every parent of them.
#include <string>
#include <vector>

namespace zov {

// Upper case, "\" separators, no doubled or trailing one: "c:/Win//" gives "C:\WIN".
std::string ComparableDir(const std::string& path);
// "X:\..." or "\\server\share\...".
bool IsAbsolutePath(const std::string& path);
// Whether `path` lies below `dir` (both comparable).
bool IsBelow(const std::string& path, const std::string& dir);

class TProtectedPlaces {
public:
    // Reads the places from the running system.
    TProtectedPlaces();

    bool Protects(const std::string& dir) const;
    const std::vector<std::string>& Places() const { return places_; }

private:
    void Add(const std::string& dir);
    std::vector<std::string> places_;  // comparable
};

}  // namespace zov
