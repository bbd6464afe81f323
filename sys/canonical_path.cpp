#include "sys/canonical_path.h"

#include <vector>

#include "sys/paths.h"
#include "sys/concat.h"

namespace zov {
namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string Slashed(const std::string& path) {
    std::string out = path;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

std::vector<std::string> Names(const std::string& text) {
    std::vector<std::string> names;
    std::string cur;
    for (char c : text) {
        if (c == '\\') {
            if (!cur.empty()) names.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) names.push_back(cur);
    return names;
}

// A path split into its root ("C:" or "\\server\share") and its names below the root.
struct TParts {
    TPathKind Kind = TPathKind::Invalid;
    std::string Root;
    std::vector<std::string> Names;
};

// Adds names to `parts`, resolving "." and ".." and dropping trailing dots and spaces. A
// colon may stand in the last name only, where it names a stream of the file ("f.txt:s").
bool Append(TParts& parts, const std::string& text) {
    const std::vector<std::string> names = Names(text);
    for (size_t i = 0; i < names.size(); ++i) {
        std::string name = names[i];
        const bool last = i + 1 == names.size();
        if (name == "..") {
            if (!parts.Names.empty()) parts.Names.pop_back();
            continue;
        }
        while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
        if (name.empty()) continue;  // ".", "...", ". " and the like
        for (unsigned char c : name)
            if (c < 32 || (c == ':' && !last) || c == '"' || c == '<' || c == '>' || c == '|') return false;
        parts.Names.push_back(name);
    }
    return true;
}

TParts Split(const std::string& raw, const TParts* base);

// "\\server\share\rest" (the prefix already removed: `text` starts at the server).
TParts SplitShare(const std::string& text) {
    TParts parts;
    const size_t server = text.find('\\');
    if (server == 0 || server == std::string::npos) return parts;
    size_t share = text.find('\\', server + 1);
    if (share == std::string::npos) share = text.size();
    if (share == server + 1) return parts;
    const std::string serverName = text.substr(0, server);
    const std::string shareName = text.substr(server + 1, share - server - 1);
    if (serverName == "." || serverName == "?" || shareName == "." || shareName == "..") return parts;
    parts.Kind = TPathKind::Unc;
    parts.Root = Concat({"\\\\", serverName, "\\", shareName});
    if (!Append(parts, text.substr(share))) parts.Kind = TPathKind::Invalid;
    return parts;
}

TParts Split(const std::string& raw, const TParts* base) {
    const std::string path = Slashed(raw);
    TParts parts;
    if (path.empty()) return parts;
    if (path.compare(0, 4, "\\\\?\\") == 0) {
        const std::string rest = path.substr(4);
        if (UpperCase(rest.substr(0, 4)) == "UNC\\") return SplitShare(rest.substr(4));
        if (rest.size() >= 3 && IsLetter(rest[0]) && rest[1] == ':' && rest[2] == '\\') return Split(rest, nullptr);
        parts.Kind = TPathKind::Device;
        return parts;
    }
    if (path.compare(0, 4, "\\\\.\\") == 0) {
        parts.Kind = TPathKind::Device;
        return parts;
    }
    if (path.compare(0, 2, "\\\\") == 0) {
        size_t start = 2;
        while (start < path.size() && path[start] == '\\') ++start;
        return SplitShare(path.substr(start));
    }
    std::string rest;
    if (path.size() >= 2 && path[1] == ':') {
        if (!IsLetter(path[0])) return parts;
        const std::string drive(1, static_cast<char>(UpperCase(path.substr(0, 1))[0]));
        rest = path.substr(2);
        if (rest.empty() || rest[0] != '\\') {
            // "C:dir" goes on from that drive's current directory: the base's, when it is on C.
            if (!base) return parts;
            if (base->Kind == TPathKind::Drive && base->Root == drive + ":") {
                parts = *base;
            } else {
                parts.Kind = TPathKind::Drive;
                parts.Root = drive + ":";
            }
        } else {
            parts.Kind = TPathKind::Drive;
            parts.Root = drive + ":";
        }
    } else if (path[0] == '\\') {
        if (!base) return parts;
        parts.Kind = base->Kind;
        parts.Root = base->Root;
        rest = path;
    } else {
        if (!base) return parts;
        parts = *base;
        rest = path;
    }
    if (!Append(parts, rest)) parts = TParts{};
    return parts;
}

}  // namespace

bool IsDeviceName(const std::string& name) {
    std::string stem = UpperCase(FileNamePart(Slashed(name)));
    const size_t dot = stem.find('.');
    if (dot != std::string::npos) stem.erase(dot);
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

TCanonicalPath CanonicalPath(const std::string& path, const std::string& base) {
    TCanonicalPath out;
    TParts baseParts;
    const bool haveBase = !base.empty();
    if (haveBase) {
        baseParts = Split(base, nullptr);
        if (baseParts.Kind != TPathKind::Drive && baseParts.Kind != TPathKind::Unc) return out;
    }
    const TParts parts = Split(path, haveBase ? &baseParts : nullptr);
    if (parts.Kind == TPathKind::Device) {
        out.Kind = TPathKind::Device;
        return out;
    }
    if (parts.Kind == TPathKind::Invalid) return out;
    if (!parts.Names.empty() && IsDeviceName(parts.Names.back())) {
        out.Kind = TPathKind::Device;
        return out;
    }
    out.Kind = parts.Kind;
    out.Path = parts.Root;
    for (const std::string& name : parts.Names) out.Path += "\\" + name;
    if (parts.Kind == TPathKind::Drive && parts.Names.empty()) out.Path += "\\";
    return out;
}

std::string CanonicalText(const std::string& path, const std::string& base) {
    return CanonicalPath(path, base).Path;
}

bool IsFullPath(const std::string& path) {
    const std::string p = Slashed(path);
    if (p.size() >= 3 && IsLetter(p[0]) && p[1] == ':' && p[2] == '\\') return true;
    return p.size() > 2 && p[0] == '\\' && p[1] == '\\';
}

namespace {

std::string Key(const std::string& path) {
    const TCanonicalPath c = CanonicalPath(path);
    return c.Ok() ? UpperCase(c.Path) : std::string();
}

bool KeyBelow(const std::string& path, const std::string& dir) {
    if (path.empty() || dir.empty() || path.size() <= dir.size()) return false;
    if (path.compare(0, dir.size(), dir) != 0) return false;
    return dir.back() == '\\' || path[dir.size()] == '\\';
}

}  // namespace

bool SamePath(const std::string& a, const std::string& b) {
    const std::string ka = Key(a);
    return !ka.empty() && ka == Key(b);
}

bool PathIsBelow(const std::string& path, const std::string& dir) { return KeyBelow(Key(path), Key(dir)); }

bool PathIsAtOrBelow(const std::string& path, const std::string& dir) {
    const std::string kp = Key(path), kd = Key(dir);
    return !kp.empty() && (kp == kd || KeyBelow(kp, kd));
}

}  // namespace zov
