#include "ui/picture_info.h"

namespace zov::ui {
namespace {

uint32_t Le16(const std::string& b, size_t at) {
    return static_cast<uint8_t>(b[at]) | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8;
}
uint32_t Le32(const std::string& b, size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }
uint32_t Be16(const std::string& b, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) << 8 | static_cast<uint8_t>(b[at + 1]);
}
uint32_t Be32(const std::string& b, size_t at) { return Be16(b, at) << 16 | Be16(b, at + 2); }

// Skips a chain of data sub-blocks starting at `at`; npos when the chain is cut off.
size_t SkipSubBlocks(const std::string& b, size_t at) {
    while (at < b.size()) {
        const size_t len = static_cast<uint8_t>(b[at]);
        if (len == 0) return at + 1;
        at += len + 1;
    }
    return std::string::npos;
}

std::optional<TPictureInfo> Gif(const std::string& b) {
    if (b.size() < 13) return std::nullopt;
    TPictureInfo info{static_cast<int>(Le16(b, 6)), static_cast<int>(Le16(b, 8)), {}};
    size_t at = 13;
    if (b[10] & 0x80) at += 3u << ((b[10] & 7) + 1);  // global colour table
    uint32_t delay = 0;
    while (at < b.size()) {
        const uint8_t kind = static_cast<uint8_t>(b[at]);
        if (kind == 0x3B) break;  // trailer
        if (kind == 0x21) {       // extension
            if (at + 2 >= b.size()) return std::nullopt;
            if (static_cast<uint8_t>(b[at + 1]) == 0xF9 && at + 6 < b.size()) delay = Le16(b, at + 4) * 10;
            at = SkipSubBlocks(b, at + 2);
        } else if (kind == 0x2C) {  // image
            if (at + 10 > b.size()) return std::nullopt;
            size_t next = at + 10;
            const uint8_t flags = static_cast<uint8_t>(b[at + 9]);
            if (flags & 0x80) next += 3u << ((flags & 7) + 1);
            at = SkipSubBlocks(b, next + 1);  // past the LZW code size
            info.FrameDelays.push_back(delay);
            delay = 0;
        } else {
            return std::nullopt;
        }
        if (at == std::string::npos) return std::nullopt;
    }
    if (info.FrameDelays.empty()) return std::nullopt;
    return info;
}

std::optional<TPictureInfo> Jpeg(const std::string& b) {
    size_t at = 2;
    while (at + 9 < b.size()) {
        if (static_cast<uint8_t>(b[at]) != 0xFF) return std::nullopt;
        const uint8_t marker = static_cast<uint8_t>(b[at + 1]);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                           marker != 0xCC;
        if (frame)
            return TPictureInfo{static_cast<int>(Be16(b, at + 7)), static_cast<int>(Be16(b, at + 5)), {0}};
        at += 2 + Be16(b, at + 2);
    }
    return std::nullopt;
}

}  // namespace

std::optional<TPictureInfo> ReadPictureInfo(const std::string& b) {
    if (b.size() >= 26 && b.compare(0, 2, "BM") == 0) {
        const int32_t height = static_cast<int32_t>(Le32(b, 22));
        return TPictureInfo{static_cast<int>(Le32(b, 18)), height < 0 ? -height : height, {0}};
    }
    if (b.size() >= 6 && (b.compare(0, 6, "GIF87a") == 0 || b.compare(0, 6, "GIF89a") == 0)) return Gif(b);
    if (b.size() >= 24 && b.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0)
        return TPictureInfo{static_cast<int>(Be32(b, 16)), static_cast<int>(Be32(b, 20)), {0}};
    if (b.size() >= 4 && static_cast<uint8_t>(b[0]) == 0xFF && static_cast<uint8_t>(b[1]) == 0xD8)
        return Jpeg(b);
    if (b.size() >= 22 && Le16(b, 0) == 0 && Le16(b, 2) == 1 && Le16(b, 4) > 0) {
        const int w = static_cast<uint8_t>(b[6]), h = static_cast<uint8_t>(b[7]);
        return TPictureInfo{w ? w : 256, h ? h : 256, {0}};
    }
    return std::nullopt;
}

}  // namespace zov::ui
