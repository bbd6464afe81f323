#include "segment/seg_names.h"

#include "compress/archive_paths.h"
#include "sys/decimal.h"
#include "sys/exception.h"
#include "sys/system.h"
#include "sys/concat.h"

namespace zov::segment {

bool ForceDirectories(const std::string& dir) {
    if (dir.empty()) throw Exception("Unable to create directory");
    return zov::ForceDirectories(dir);
}

std::string NormalizeSegBaseName(const std::string& value) {
    const size_t cut = value.find_last_of("\\:/");
    std::string name = LowerCase(cut == std::string::npos ? value : value.substr(cut + 1));
    return name.empty() ? kDefaultSegBaseName : name;
}

std::string SegExtension(const std::string& segExt, uint16_t number) {
    if (!segExt.empty()) return segExt;
    std::string digits = DecimalText(number);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return digits;
}

std::string SegFileName(const std::string& baseName, const std::string& segExt, uint16_t number) {
    return Concat({baseName, ".", SegExtension(segExt, number)});
}

std::string SegFilePath(const std::string& dir, const std::string& baseName,
                        const std::string& segExt, uint16_t number) {
    return JoinPath(dir, SegFileName(baseName, segExt, number));
}

}  // namespace zov::segment
