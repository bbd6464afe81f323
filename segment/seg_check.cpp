#include "segment/seg_check.h"

#include <cstdio>

#include "sys/paths.h"
#include "sys/system.h"

namespace zov::segment {

uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t size) {
    static uint32_t table[256];
    if (table[1] == 0) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::string SegCheckValue(const TSegCheck& check) {
    char text[40];
    std::snprintf(text, sizeof text, "%lld,%08X", static_cast<long long>(check.Size),
                  static_cast<unsigned>(check.Crc));
    return text;
}

bool ParseSegCheck(const std::string& value, TSegCheck& check) {
    long long size = 0;
    unsigned crc = 0;
    int used = 0;
    if (std::sscanf(value.c_str(), "%lld,%8x%n", &size, &crc, &used) != 2 || size < 0 ||
        static_cast<size_t>(used) != value.size())
        return false;
    check.Size = size;
    check.Crc = crc;
    return true;
}

TSegChecks ReadSegChecks(const std::string& cfgPath) {
    TSegChecks checks;
    for (const std::string& key : sys::Sys().GetProfileKeyNames(cfgPath, kSegCheckSection, 32768)) {
        TSegCheck check;
        if (ParseSegCheck(sys::Sys().GetProfileString(cfgPath, kSegCheckSection, key, "", 64), check))
            checks[LowerCase(key)] = check;
    }
    return checks;
}

}  // namespace zov::segment
