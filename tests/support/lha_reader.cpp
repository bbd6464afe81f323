#include "tests/support/lha_reader.h"

#include <fstream>
#include <iterator>

namespace zov::test {
namespace {

class Cursor {
public:
    Cursor(const std::vector<uint8_t>& bytes, size_t start, size_t end)
        : bytes_(bytes), start_(start), end_(end) {}

    uint8_t U8(size_t at) const { return bytes_[Check(at, 1)]; }
    uint16_t U16(size_t at) const {
        const size_t p = Check(at, 2);
        return static_cast<uint16_t>(bytes_[p] | bytes_[p + 1] << 8);
    }
    uint32_t U32(size_t at) const {
        const size_t p = Check(at, 4);
        return static_cast<uint32_t>(bytes_[p]) | static_cast<uint32_t>(bytes_[p + 1]) << 8 |
               static_cast<uint32_t>(bytes_[p + 2]) << 16 | static_cast<uint32_t>(bytes_[p + 3]) << 24;
    }
    std::string Text(size_t at, size_t n) const {
        const size_t p = Check(at, n);
        return std::string(bytes_.begin() + static_cast<long>(p), bytes_.begin() + static_cast<long>(p + n));
    }

private:
    size_t Check(size_t at, size_t n) const {
        if (at + n > end_ - start_) throw LhaFormatError("LHA header runs past its end");
        return start_ + at;
    }
    const std::vector<uint8_t>& bytes_;
    size_t start_, end_;
};

// Directory names in extended headers separate their parts with 0xFF.
std::string DirectoryName(std::string text) {
    for (char& c : text)
        if (static_cast<uint8_t>(c) == 0xFF || c == '\\') c = '/';
    if (!text.empty() && text.back() != '/') text += '/';
    return text;
}

// Walks the chain of extended headers that starts at `at` with the size `next`; returns
// where the chain ends.
size_t ReadExtendedHeaders(const Cursor& h, size_t at, uint16_t next, LhaMember& m,
                           std::string& dir) {
    while (next != 0) {
        if (next < 3) throw LhaFormatError("LHA extended header too short");
        const uint8_t type = h.U8(at);
        if (type == 0x01) m.name = h.Text(at + 1, next - 3u);
        if (type == 0x02) dir = DirectoryName(h.Text(at + 1, next - 3u));
        const uint16_t following = h.U16(at + next - 2u);
        at += next;
        next = following;
    }
    return at;
}

LhaMember ReadMember(const std::vector<uint8_t>& archive, size_t pos) {
    LhaMember m;
    if (archive.size() - pos < 22) throw LhaFormatError("LHA header cut short");
    m.level = archive[pos + 20];
    const Cursor all(archive, pos, archive.size());
    m.method = all.Text(2, 5);
    m.originalSize = all.U32(11);
    std::string dir;
    size_t headerEnd = 0;  // relative to pos
    if (m.level == 0 || m.level == 1) {
        const size_t basic = all.U8(0) + 2u;
        const Cursor h(archive, pos, pos + basic);
        const uint8_t nameLength = h.U8(21);
        m.name = h.Text(22, nameLength);
        for (char& c : m.name)
            if (c == '\\' || static_cast<uint8_t>(c) == 0xFF) c = '/';
        m.crc = h.U16(22 + nameLength);
        m.compressedSize = h.U32(7);
        headerEnd = basic;
        if (m.level == 1) {
            const size_t end = ReadExtendedHeaders(all, basic, h.U16(basic - 2), m, dir);
            m.compressedSize -= static_cast<uint32_t>(end - basic);
            headerEnd = end;
        }
    } else if (m.level == 2) {
        const size_t total = all.U16(0);
        const Cursor h(archive, pos, pos + total);
        m.compressedSize = h.U32(7);
        m.crc = h.U16(21);
        ReadExtendedHeaders(h, 26, h.U16(24), m, dir);
        headerEnd = total;
    } else {
        throw LhaFormatError("LHA header level " + std::to_string(m.level) + " not read");
    }
    m.name = dir + m.name;
    m.dataOffset = pos + headerEnd;
    if (m.dataOffset > archive.size()) throw LhaFormatError("LHA header cut short");
    m.truncated = archive.size() - m.dataOffset < m.compressedSize;
    return m;
}

}  // namespace

std::vector<LhaMember> ReadLhaMembers(const std::vector<uint8_t>& archive) {
    std::vector<LhaMember> members;
    size_t pos = 0;
    while (pos < archive.size() && archive[pos] != 0) {
        LhaMember m = ReadMember(archive, pos);
        members.push_back(m);
        if (m.truncated) break;
        pos = m.dataOffset + m.compressedSize;
    }
    return members;
}

std::vector<uint8_t> LhaMemberData(const std::vector<uint8_t>& archive, const LhaMember& member) {
    const size_t end = std::min<size_t>(archive.size(), member.dataOffset + member.compressedSize);
    return std::vector<uint8_t>(archive.begin() + static_cast<long>(member.dataOffset),
                                archive.begin() + static_cast<long>(end));
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace zov::test
