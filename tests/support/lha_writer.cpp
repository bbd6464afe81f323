#include "tests/support/lha_writer.h"

#include <numeric>
#include <stdexcept>

#include "tests/support/crc16.h"

namespace zov::test {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutText(std::vector<uint8_t>& out, const std::string& s) { out.insert(out.end(), s.begin(), s.end()); }

constexpr uint32_t kDosTime = (20u << 25 | 1u << 21 | 1u << 16);  // 2000-01-01 00:00
constexpr uint32_t kUnixTime = 946684800;                         // the same, UTC
constexpr uint8_t kArchiveAttribute = 0x20;

std::vector<uint8_t> Level0Header(const std::string& method, uint32_t packed, uint32_t size,
                                  uint16_t crc, const std::string& name) {
    if (name.size() > 200) throw std::invalid_argument("name too long for a level-0 header");
    std::vector<uint8_t> h = {0, 0};  // header size and checksum, filled in below
    PutText(h, method);
    Put32(h, packed);
    Put32(h, size);
    Put32(h, kDosTime);
    h.push_back(kArchiveAttribute);
    h.push_back(0);  // level
    h.push_back(static_cast<uint8_t>(name.size()));
    PutText(h, name);
    Put16(h, crc);
    h[0] = static_cast<uint8_t>(h.size() - 2);
    h[1] = static_cast<uint8_t>(std::accumulate(h.begin() + 2, h.end(), 0u));
    return h;
}

std::vector<uint8_t> Level2Header(const std::string& method, uint32_t packed, uint32_t size,
                                  uint16_t crc, const std::string& name) {
    std::vector<uint8_t> h = {0, 0};  // total header size, filled in below
    PutText(h, method);
    Put32(h, packed);
    Put32(h, size);
    Put32(h, kUnixTime);
    h.push_back(kArchiveAttribute);
    h.push_back(2);  // level
    Put16(h, crc);
    h.push_back('U');  // made on Unix
    // Extended headers, each announced by the size field before it: the common header
    // with the header's own CRC, then the file name.
    Put16(h, 5);
    h.push_back(0x00);
    const size_t headerCrcAt = h.size();
    Put16(h, 0);
    Put16(h, static_cast<uint32_t>(name.size() + 3));
    h.push_back(0x01);
    PutText(h, name);
    Put16(h, 0);
    // A size whose low byte is 0 would read as the end of the archive.
    if ((h.size() & 0xFF) == 0) h.push_back(0);
    h[0] = static_cast<uint8_t>(h.size());
    h[1] = static_cast<uint8_t>(h.size() >> 8);
    const uint16_t headerCrc = Crc16(h.data(), h.size());
    h[headerCrcAt] = static_cast<uint8_t>(headerCrc);
    h[headerCrcAt + 1] = static_cast<uint8_t>(headerCrc >> 8);
    return h;
}

}  // namespace

std::vector<uint8_t> WrapLhaMember(const std::string& method, const std::vector<uint8_t>& stream,
                                   const std::vector<uint8_t>& original, int level,
                                   const std::string& name) {
    if (method.size() != 5) throw std::invalid_argument("LHA method must have five characters");
    const uint16_t crc = Crc16(original.data(), original.size());
    const auto packed = static_cast<uint32_t>(stream.size());
    const auto size = static_cast<uint32_t>(original.size());
    std::vector<uint8_t> archive;
    if (level == 0)
        archive = Level0Header(method, packed, size, crc, name);
    else if (level == 2)
        archive = Level2Header(method, packed, size, crc, name);
    else
        throw std::invalid_argument("only header levels 0 and 2 are written");
    archive.insert(archive.end(), stream.begin(), stream.end());
    archive.push_back(0);  // end of archive
    return archive;
}

}  // namespace zov::test
