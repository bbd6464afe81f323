#include "sys/emu/emu_paths.h"

#include <cctype>
#include <vector>

#include "sys/canonical_path.h"
#include "sys/emu/host_files.h"
#include "sys/sys_error.h"

namespace zov::sys::emu {
namespace fs = std::filesystem;

std::string UpperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool IsHostPath(const std::string& path) {
    return !path.empty() && path[0] == '/' && path.find('\\') == std::string::npos;
}

std::vector<std::string> SplitComponents(const std::string& text) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : text) {
        if (c == '\\' || c == '/') {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// `names` with "." and ".." applied below a root that ".." cannot leave.
std::string Collapsed(const std::string& root, std::vector<std::string> parts,
                      const std::string& rest) {
    for (const std::string& p : SplitComponents(rest)) {
        if (p == ".") continue;
        if (p == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(p);
    }
    std::string out = root;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? "\\" : "") + parts[i];
    return out;
}

// The device's name as GetFullPathName gives it: without extension and trailing blanks.
std::string DeviceStem(const std::string& path) {
    std::string name = SplitComponents(path).back();
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

}  // namespace

std::string FullPathName(const std::string& path, const std::string& currentDir) {
    if (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
        (path[2] == '?' || path[2] == '.') && IsSeparator(path[3]))
        return path;
    const std::vector<std::string> names = SplitComponents(path);
    if (!names.empty() && IsDeviceName(names.back())) return "\\\\.\\" + DeviceStem(path);
    std::string full;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // "\\server\share\rest": ".." stops at the share.
        if (names.size() < 2) return "\\\\" + (names.empty() ? std::string() : names[0]);
        std::string rest;
        for (size_t i = 2; i < names.size(); ++i) rest += "\\" + names[i];
        full = Collapsed("\\\\" + names[0] + "\\" + names[1] + "\\", {}, rest);
        if (full.back() == '\\') full.pop_back();
    } else {
        const std::string drive = path.size() >= 2 && path[1] == ':' && IsLetter(path[0])
                                      ? path.substr(0, 2)
                                      : currentDir.substr(0, 2);
        std::string rest = path;
        std::vector<std::string> start;
        if (path.size() >= 2 && path[1] == ':' && IsLetter(path[0])) {
            rest = path.substr(2);
            if ((rest.empty() || !IsSeparator(rest[0])) && UpperAscii(drive) == UpperAscii(currentDir.substr(0, 2)))
                start = SplitComponents(currentDir.substr(2));
        } else if (path.empty() || !IsSeparator(path[0])) {
            start = SplitComponents(currentDir.substr(2));
        }
        std::string root = drive + "\\";
        root[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
        full = Collapsed(root, start, rest);
    }
    const bool trailing = !path.empty() && IsSeparator(path.back());
    if (trailing || (path.size() == 2 && path[1] == ':')) {
        if (full.back() != '\\') full += '\\';
        return full;
    }
    while (full.size() > 3 && (full.back() == '.' || full.back() == ' ')) full.pop_back();
    return full;
}

namespace {

bool Inside(const fs::path& path, const fs::path& root) {
    const fs::path rel = path.lexically_relative(root);
    return !rel.empty() && *rel.begin() != "..";
}

// Where an existing entry leads: itself, or a link's target when that lies inside `root`.
bool StaysInside(const fs::path& entry, const fs::path& root) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(entry, ec))) return true;
    const fs::path target = fs::canonical(entry, ec);
    return !ec && Inside(target, root);
}

bool IsDir(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

}  // namespace

HostLookup HostPath(const fs::path& root, const std::string& fullPath, const AliasLookup& alias) {
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(fullPath[0])));
    fs::path host = root / std::string(1, letter);
    if (!StaysInside(host, root)) return {host, kErrorAccessDenied};
    bool exists = IsDir(host);
    for (const std::string& part : SplitComponents(fullPath.substr(2))) {
        fs::path next = host / part;
        std::error_code ec;
        if (exists && !fs::exists(fs::symlink_status(next, ec))) {
            const std::string want = UpperAscii(part);
            bool found = false;
            for (const fs::path& entry : FolderEntries(host)) {
                if (UpperAscii(entry.filename().string()) == want) {
                    next = entry;
                    found = true;
                    break;
                }
            }
            if (!found && alias) {
                if (auto aliased = alias(host, part)) next = *aliased;
            }
        }
        if (!StaysInside(next, root)) return {next, kErrorAccessDenied};
        host = next;
        exists = exists && IsDir(host);
    }
    return {host, 0};
}

}  // namespace zov::sys::emu
