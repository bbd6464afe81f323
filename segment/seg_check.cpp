#include "segment/seg_check.h"

#include <string>

#include "compress/crc32.h"
#include "sys/decimal.h"
#include "sys/paths.h"
#include "sys/system.h"

namespace zov::segment {

uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t size) { return compress::Crc32(crc, data, size); }

// Written by hand: the C library's formatted input and output would add more to install.exe
// than everything else here.
std::string SegCheckValue(const TSegCheck& check) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string text = DecimalText(check.Size) + ",";
    for (int shift = 28; shift >= 0; shift -= 4) text += kHex[(check.Crc >> shift) & 15];
    return text;
}

bool ParseSegCheck(const std::string& value, TSegCheck& check) {
    const size_t comma = value.find(',');
    if (comma == 0 || comma == std::string::npos || comma > 18 || value.size() - comma - 1 != 8)
        return false;
    int64_t size = 0;
    for (size_t i = 0; i < comma; ++i) {
        if (value[i] < '0' || value[i] > '9') return false;
        size = size * 10 + (value[i] - '0');
    }
    uint32_t crc = 0;
    for (size_t i = comma + 1; i < value.size(); ++i) {
        const char c = value[i];
        const int digit = c >= '0' && c <= '9' ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : -1;
        if (digit < 0) return false;
        crc = crc << 4 | static_cast<uint32_t>(digit);
    }
    check.Size = size;
    check.Crc = crc;
    return true;
}

const TSegCheck* FindSegCheck(const TSegChecks& checks, const std::string& fileName) {
    const std::string wanted = UpperCase(fileName);
    for (const TSegCheckEntry& e : checks)
        if (UpperCase(e.Name) == wanted) return &e.Check;
    return nullptr;
}

TSegChecks ReadSegChecks(const std::string& cfgPath) {
    TSegChecks checks;
    for (const std::string& key : sys::Sys().GetProfileKeyNames(cfgPath, kSegCheckSection, 32768)) {
        TSegCheck check;
        if (ParseSegCheck(sys::Sys().GetProfileString(cfgPath, kSegCheckSection, key, "", 64), check))
            checks.push_back({key, check});
    }
    return checks;
}

}  // namespace zov::segment
