#include "segment/seg_names.h"

#include "compress/archive_paths.h"
#include "sys/exception.h"
#include "sys/system.h"

namespace zov::segment {

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string WithoutTrailingBackslash(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

bool ForceDirectories(const std::string& dir) {
    if (dir.empty()) throw Exception("Unable to create directory");
    const std::string path = WithoutTrailingBackslash(dir);
    if (path.size() < 3) return true;
    const uint32_t attributes = sys::Sys().GetFileAttributes(path);
    if (attributes != sys::kInvalidAttributes && (attributes & sys::kAttrDirectory)) return true;
    const std::string parent = compress::DirectoryPart(path);
    if (parent == path || parent.empty()) return sys::Sys().CreateDirectory(path);
    return ForceDirectories(parent) && sys::Sys().CreateDirectory(path);
}

std::string NormalizeSegBaseName(const std::string& value) {
    const size_t cut = value.find_last_of("\\:/");
    std::string name = LowerAscii(cut == std::string::npos ? value : value.substr(cut + 1));
    return name.empty() ? kDefaultSegBaseName : name;
}

std::string SegExtension(const std::string& segExt, uint16_t number) {
    if (!segExt.empty()) return segExt;
    std::string digits = std::to_string(number);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return digits;
}

std::string SegFileName(const std::string& baseName, const std::string& segExt, uint16_t number) {
    return baseName + "." + SegExtension(segExt, number);
}

std::string SegFilePath(const std::string& dir, const std::string& baseName,
                        const std::string& segExt, uint16_t number) {
    return WithoutTrailingBackslash(dir) + "\\" + SegFileName(baseName, segExt, number);
}

}  // namespace zov::segment
