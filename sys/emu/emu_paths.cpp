#include "sys/emu/emu_paths.h"

#include <cctype>
#include <vector>

namespace zov::sys::emu {

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

std::string FullWindowsPath(const std::string& path, const std::string& currentDir) {
    std::string drive = currentDir.size() >= 2 ? currentDir.substr(0, 2) : "C:";
    std::string rest;
    std::vector<std::string> parts;
    if (path.size() >= 2 && path[1] == ':') {
        drive = path.substr(0, 2);
        rest = path.substr(2);
        const bool rooted = !rest.empty() && (rest[0] == '\\' || rest[0] == '/');
        if (!rooted && UpperAscii(drive) == UpperAscii(currentDir.substr(0, 2)))
            parts = SplitComponents(currentDir.substr(2));
    } else if (!path.empty() && (path[0] == '\\' || path[0] == '/')) {
        rest = path;
    } else {
        parts = SplitComponents(currentDir.size() > 2 ? currentDir.substr(2) : "");
        rest = path;
    }
    for (const std::string& p : SplitComponents(rest)) {
        if (p == ".") continue;
        if (p == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(p);
    }
    drive[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])));
    std::string out = drive + "\\";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) out += '\\';
        out += parts[i];
    }
    return out;
}

std::string FullPathName(const std::string& path, const std::string& currentDir) {
    std::string full = FullWindowsPath(path, currentDir);
    const bool trailing = !path.empty() && (path.back() == '\\' || path.back() == '/');
    if (trailing || (path.size() == 2 && path[1] == ':')) {
        if (full.back() != '\\') full += '\\';
        return full;
    }
    while (full.size() > 3 && (full.back() == '.' || full.back() == ' ')) full.pop_back();
    return full;
}

std::filesystem::path HostPath(const std::filesystem::path& root, const std::string& fullPath,
                               const AliasLookup& alias) {
    namespace fs = std::filesystem;
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(fullPath[0])));
    fs::path host = root / std::string(1, letter);
    bool exists = fs::is_directory(host);
    for (const std::string& part : SplitComponents(fullPath.substr(2))) {
        fs::path next = host / part;
        if (exists && !fs::exists(fs::symlink_status(next))) {
            const std::string want = UpperAscii(part);
            std::error_code ec;
            bool found = false;
            for (const auto& entry : fs::directory_iterator(host, ec)) {
                if (UpperAscii(entry.path().filename().string()) == want) {
                    next = entry.path();
                    found = true;
                    break;
                }
            }
            if (!found && alias) {
                if (auto aliased = alias(host, part)) next = *aliased;
            }
        }
        host = next;
        exists = exists && fs::is_directory(host);
    }
    return host;
}

}  // namespace zov::sys::emu
