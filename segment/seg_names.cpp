#include "segment/seg_names.h"

namespace zov::segment {

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool SameTextAscii(const std::string& a, const std::string& b) {
    return a.size() == b.size() && LowerAscii(a) == LowerAscii(b);
}

std::string DirectoryPart(const std::string& path) {
    const size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string FileNamePart(const std::string& path) {
    const size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string WithoutTrailingBackslash(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
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
