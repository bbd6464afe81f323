#include "install/wizard/directory_tags.h"

#include "install/cfg_entries.h"
#include "sys/paths.h"
#include "sys/concat.h"

namespace zov {
namespace {

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

}  // namespace

std::string ResolveDirectoryTag(const std::string& tag, const std::string& path, const TDirectoryBases& bases) {
    const std::string& root = bases.WindowsRoot;
    const std::string& windows = bases.WindowsDir;
    if (tag == "<WINDOWS>") return windows;
    if (tag == "<WINDOWS_SYSTEM>") return windows + "\\System";
    if (tag == "<PROGRAMFILES>") return root + "Program Files";
    if (tag == "<INSTALLDIR>") return bases.InstallDir;
    if (Contains(tag, "<SUB")) {
        if (!Contains(tag, "><")) return Concat({bases.InstallDir, "\\", path});
        if (Contains(tag, "<WINDOWS>")) return Concat({windows, "\\", path});
        if (Contains(tag, "<PROGRAMFILES>")) return Concat({root, "Program Files\\", path});
        if (Contains(tag, "<WINDOWS_SYSTEM>")) return Concat({windows, "\\System\\", path});
        if (Contains(tag, "<INSTALLDIR>")) return Concat({bases.InstallDir, "\\", path});
        return path;
    }
    return root + path;
}

std::string ExpandDirectoryTag(const std::string& text, const std::vector<std::string>& tags,
                               const std::vector<std::string>& paths) {
    const size_t start = text.find('<');
    if (start == std::string::npos) return text;
    const size_t end = text.rfind('>');
    if (end == std::string::npos || end < start) return text.substr(0, start);
    const std::string tag = UpperCase(text.substr(start, end - start + 1));
    const std::string rest = text.substr(end + 1);
    for (size_t i = tags.size(); i-- > 0;) {
        if (tags[i] != tag) continue;
        // "<INSTALLDIR>\tool.exe" as well as "<INSTALLDIR>tool.exe": one separator either way.
        return !rest.empty() && IsPathSeparator(rest[0]) ? paths[i] + rest : paths[i] + "\\" + rest;
    }
    return text.substr(0, start);
}

std::string PreviewDirectoryTag(const std::string& text, const std::vector<std::string>& entries,
                                const TDirectoryBases& bases) {
    std::vector<std::string> tags, paths;
    for (const std::string& entry : entries) {
        const TDirectoryEntry directory = ParseDirectoryEntry(entry);
        tags.push_back(directory.Tag);
        paths.push_back(ResolveDirectoryTag(directory.Tag, directory.Path, bases));
    }
    return ExpandDirectoryTag(text, tags, paths);
}

}  // namespace zov
