#include "sys/emu/shell_link_format.h"

#include <cctype>
#include <vector>

#include "sys/emu/emu_paths.h"

namespace zov::sys::emu {
namespace {

enum : uint32_t {
    kHasLinkInfo = 0x02,
    kHasName = 0x04,
    kHasRelativePath = 0x08,
    kHasWorkingDir = 0x10,
    kHasArguments = 0x20,
    kHasIconLocation = 0x40,
    kIsUnicode = 0x80,
};
constexpr uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr uint32_t kDriveFixed = 3;
constexpr uint32_t kShowNormal = 1;

// The Windows ANSI code page (1252) where it differs from Latin-1.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

class Out {
public:
    void U16(uint32_t v) {
        bytes_ += static_cast<char>(v & 0xFF);
        bytes_ += static_cast<char>((v >> 8) & 0xFF);
    }
    void U32(uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void U64(uint64_t v) {
        U32(static_cast<uint32_t>(v));
        U32(static_cast<uint32_t>(v >> 32));
    }
    void Raw(const void* p, size_t n) { bytes_.append(static_cast<const char*>(p), n); }
    void Ansi(const std::string& s) { bytes_ += s + '\0'; }
    void CountedUtf16(const std::string& s) {
        U16(static_cast<uint32_t>(s.size()));
        for (unsigned char c : s) U16(c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c);
    }
    std::string& Bytes() { return bytes_; }

private:
    std::string bytes_;
};

bool IsDrivePath(const std::string& p) {
    return p.size() >= 3 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':' &&
           p[2] == '\\';
}

std::string LinkInfo(const std::string& target, uint32_t driveSerial) {
    constexpr uint32_t kHeaderSize = 0x1C;
    constexpr uint32_t kVolumeIdSize = 0x11;  // four fields and an empty label
    const uint32_t basePathOffset = kHeaderSize + kVolumeIdSize;
    const uint32_t suffixOffset = basePathOffset + static_cast<uint32_t>(target.size()) + 1;
    Out o;
    o.U32(suffixOffset + 1);
    o.U32(kHeaderSize);
    o.U32(1);  // VolumeIDAndLocalBasePath
    o.U32(kHeaderSize);
    o.U32(basePathOffset);
    o.U32(0);  // no network location
    o.U32(suffixOffset);
    o.U32(kVolumeIdSize);
    o.U32(kDriveFixed);
    o.U32(driveSerial);
    o.U32(0x10);  // label offset
    o.Ansi("");
    o.Ansi(target);
    o.Ansi("");  // common path suffix
    return o.Bytes();
}

std::vector<std::string> Parts(const std::string& path) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : path + "\\") {
        if (c == '\\') {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    return parts;
}

}  // namespace

std::string RelativeLinkPath(const std::string& fromDir, const std::string& target) {
    const auto from = Parts(fromDir);
    const auto to = Parts(target);
    if (from.empty() || to.empty() || UpperAscii(from[0]) != UpperAscii(to[0])) return "";
    size_t common = 0;
    while (common < from.size() && common + 1 < to.size() &&
           UpperAscii(from[common]) == UpperAscii(to[common]))
        ++common;
    std::string out;
    for (size_t i = common; i < from.size(); ++i) out += "..\\";
    if (out.empty()) out = ".\\";
    for (size_t i = common; i < to.size(); ++i) out += to[i] + (i + 1 < to.size() ? "\\" : "");
    return out;
}

std::string EncodeShellLink(const ShellLinkFields& link) {
    const bool hasInfo = IsDrivePath(link.target);
    uint32_t flags = kIsUnicode;
    if (hasInfo) flags |= kHasLinkInfo;
    if (!link.description.empty()) flags |= kHasName;
    if (!link.relativePath.empty()) flags |= kHasRelativePath;
    if (!link.workingDir.empty()) flags |= kHasWorkingDir;
    if (!link.arguments.empty()) flags |= kHasArguments;
    if (!link.iconFile.empty()) flags |= kHasIconLocation;

    Out o;
    o.U32(0x4C);
    o.Raw(kLinkClsid, sizeof kLinkClsid);
    o.U32(flags);
    o.U32(link.targetAttributes);
    o.U64(link.targetWriteTime);  // creation
    o.U64(link.targetWriteTime);  // access
    o.U64(link.targetWriteTime);  // write
    o.U32(link.targetSize);
    o.U32(static_cast<uint32_t>(link.iconIndex));
    o.U32(kShowNormal);
    o.U16(0);  // hot key
    o.U16(0);
    o.U32(0);
    o.U32(0);
    if (hasInfo) o.Bytes() += LinkInfo(link.target, link.driveSerial);
    if (flags & kHasName) o.CountedUtf16(link.description);
    if (flags & kHasRelativePath) o.CountedUtf16(link.relativePath);
    if (flags & kHasWorkingDir) o.CountedUtf16(link.workingDir);
    if (flags & kHasArguments) o.CountedUtf16(link.arguments);
    if (flags & kHasIconLocation) o.CountedUtf16(link.iconFile);
    o.U32(0);  // terminal extra-data block
    return o.Bytes();
}

}  // namespace zov::sys::emu
