#include "tests/support/shell_link_reader.h"

#include <cstring>

namespace zov::test {
namespace {

constexpr uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

class Reader {
public:
    explicit Reader(const std::string& bytes) : b_(bytes) {}
    bool Has(size_t n) const { return pos_ + n <= b_.size(); }
    uint32_t U16() {
        if (!Has(2)) return Fail(2);
        pos_ += 2;
        return Byte(pos_ - 2) | Byte(pos_ - 1) << 8;
    }
    uint32_t U32() {
        const uint32_t lo = U16();
        return lo | U16() << 16;
    }
    uint32_t At32(size_t at) const {
        return at + 4 <= b_.size() ? Byte(at) | Byte(at + 1) << 8 | Byte(at + 2) << 16 |
                                         Byte(at + 3) << 24
                                   : 0;
    }
    std::string CString(size_t at) const {
        std::string s;
        while (at < b_.size() && b_[at]) s += b_[at++];
        return s;
    }
    std::string Counted(bool unicode) {
        const uint32_t n = U16();
        std::string s;
        for (uint32_t i = 0; i < n && ok_; ++i) {
            const uint32_t c = unicode ? U16() : (Has(1) ? Byte(pos_++) : Fail(1));
            s += c < 0x100 ? static_cast<char>(c) : '?';
        }
        // Wine counts a terminating zero that the format does not have.
        while (!s.empty() && s.back() == '\0') s.pop_back();
        return s;
    }
    void Skip(size_t n) { Has(n) ? (void)(pos_ += n) : (void)Fail(n); }
    size_t Pos() const { return pos_; }
    bool Ok() const { return ok_; }

private:
    uint32_t Byte(size_t at) const { return static_cast<uint8_t>(b_[at]); }
    uint32_t Fail(size_t n) {
        ok_ = false;
        pos_ = b_.size();
        (void)n;
        return 0;
    }
    const std::string& b_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace

std::optional<ShellLinkInfo> ParseShellLink(const std::string& bytes) {
    if (bytes.size() < 0x4C || bytes.compare(0, 4, std::string("\x4C\0\0\0", 4)) != 0 ||
        std::memcmp(bytes.data() + 4, kLinkClsid, 16) != 0)
        return std::nullopt;
    Reader r(bytes);
    ShellLinkInfo info;
    r.Skip(20);
    info.flags = r.U32();
    r.Skip(4 + 24 + 4);  // attributes, three times, size
    info.iconIndex = static_cast<int>(r.U32());
    info.showCommand = r.U32();
    r.Skip(12);
    if (info.flags & 0x01) r.Skip(r.U16());  // item-id list
    if (info.flags & 0x02) {
        const size_t start = r.Pos();
        const uint32_t size = r.U32();
        if (r.At32(start + 8) & 1)  // VolumeIDAndLocalBasePath
            info.localBasePath = r.CString(start + r.At32(start + 16)) +
                                 r.CString(start + r.At32(start + 24));
        r.Skip(size - 4);
    }
    const bool unicode = info.flags & 0x80;
    if (info.flags & 0x04) info.name = r.Counted(unicode);
    if (info.flags & 0x08) info.relativePath = r.Counted(unicode);
    if (info.flags & 0x10) info.workingDir = r.Counted(unicode);
    if (info.flags & 0x20) info.arguments = r.Counted(unicode);
    if (info.flags & 0x40) info.iconLocation = r.Counted(unicode);
    if (!r.Ok()) return std::nullopt;
    return info;
}

}  // namespace zov::test
