#include "segment/file_list.h"

#include <algorithm>
#include <cstring>

#include "segment/seg_records.h"
#include "sys/exception.h"
#include "sys/concat.h"

namespace zov::segment {

std::string NameFromRecord(const uint8_t* record, size_t length) {
    const uint8_t* end = std::find(record, record + length, uint8_t{0});
    std::string name(reinterpret_cast<const char*>(record), static_cast<size_t>(end - record));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

int32_t FileListWidth(const std::vector<std::string>& names) {
    size_t longest = 0;
    for (const std::string& name : names) {
        if (name.empty() || name.back() == ' ' || name.find('\0') != std::string::npos)
            throw Exception(Concat({"cannot list the stored name \"", name, "\" in a file list"}));
        if (name.size() > static_cast<size_t>(TSegScanHeader::kMaxListWidth))
            throw Exception(Concat({"stored name longer than 8191 bytes: ", name.substr(0, 40), "..."}));
        longest = std::max(longest, name.size());
    }
    return static_cast<int32_t>(
        std::min<size_t>(longest + 1, static_cast<size_t>(TSegScanHeader::kMaxListWidth)));
}

std::vector<uint8_t> BuildFileList(const std::vector<std::string>& names, int32_t width) {
    std::vector<uint8_t> list(names.size() * static_cast<size_t>(width), 0);
    for (size_t i = 0; i < names.size(); ++i)
        std::memcpy(list.data() + i * static_cast<size_t>(width), names[i].data(),
                    std::min(names[i].size(), static_cast<size_t>(width)));
    return list;
}

}  // namespace zov::segment
