#include "sys/paths.h"

#include "sys/system.h"

namespace zov {

std::string UpperCase(const std::string& original) {
    std::string text = original;
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string LowerCase(const std::string& original) {
    std::string text = original;
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string FileNamePart(const std::string& path) {
    const size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string DirectoryPart(const std::string& path) {
    const size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string WithoutTrailingBackslash(const std::string& original) {
    std::string path = original;
    while (!path.empty() && IsPathSeparator(path.back())) {
        if (path.size() == 3 && path[1] == ':') break;  // a drive root
        path.pop_back();
    }
    return path;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    return IsPathSeparator(dir.back()) ? dir + name : dir + "\\" + name;
}

bool FileExists(const std::string& path) {
    const uint32_t attributes = sys::Sys().GetFileAttributes(path);
    return attributes != sys::kInvalidAttributes && !(attributes & sys::kAttrDirectory);
}

bool DirectoryExists(const std::string& path) {
    const uint32_t attributes = sys::Sys().GetFileAttributes(path);
    return attributes != sys::kInvalidAttributes && (attributes & sys::kAttrDirectory);
}

bool ForceDirectories(const std::string& dir, std::vector<std::string>* created) {
    std::vector<std::string> missing;
    std::string path = dir;
    for (;;) {
        while (!path.empty() && IsPathSeparator(path.back())) path.pop_back();
        // A drive ("C:") or a name that is all separators: nothing more to make.
        if (path.empty() || (path.size() == 2 && path[1] == ':')) break;
        if (DirectoryExists(path)) break;
        missing.push_back(path);
        const size_t cut = path.find_last_of("\\/");
        if (cut == std::string::npos) break;
        path.resize(cut);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        // Only "already exists" may still be a directory made meanwhile; any other reason
        // stays the last error, unspoilt by a look at the path.
        if (!sys::Sys().CreateDirectory(*it) &&
            (sys::Sys().LastError().code != sys::kErrorAlreadyExists || !DirectoryExists(*it)))
            return false;
        if (created) created->push_back(*it);
    }
    return true;
}

bool DeleteFileForced(const std::string& path) {
    sys::System& os = sys::Sys();
    if (os.DeleteFile(path)) return true;
    const uint32_t attributes = os.GetFileAttributes(path);
    if (attributes == sys::kInvalidAttributes || !(attributes & sys::kAttrReadOnly)) return false;
    os.SetFileAttributes(path, attributes & ~sys::kAttrReadOnly);
    return os.DeleteFile(path);
}

void EmptyAndRemoveDirectory(const std::string& dir) {
    if (dir.empty()) return;
    sys::System& os = sys::Sys();
    std::vector<sys::FindEntry> entries;
    os.FindFiles(JoinPath(dir, "*.*"), true, entries);
    for (const sys::FindEntry& entry : entries)
        if (!(entry.attributes & sys::kAttrDirectory)) DeleteFileForced(JoinPath(dir, entry.name));
    os.RemoveDirectory(dir);
}

}  // namespace zov
