#pragma once
// Archives built byte by byte for the container tests, so that each test can state exactly
// the headers it needs, well-formed or not.
#include <numeric>
#include <string>
#include <vector>

#include "compress/archive_format.h"

namespace zov::test {

using namespace zov::compress;

struct EntrySpec {
    std::string name;
    std::string data;  // the bytes stored after the name
    uint8_t method = coNone;
    uint32_t checksum = 0;
    int32_t lockMode = kLockNone;
    int32_t uncompressedSize = -1;  // -1: the size of `data`
    uint32_t dosDateTime = 0x2C6B5A10;
    int16_t attributes = 0x20;
};

inline uint32_t ByteSum(const std::string& s) {
    return std::accumulate(s.begin(), s.end(), uint32_t{0},
                           [](uint32_t a, char c) { return a + static_cast<uint8_t>(c); });
}

// A stored entry whose checksum is right.
inline EntrySpec Stored(const std::string& name, const std::string& data) {
    EntrySpec e;
    e.name = name;
    e.data = data;
    e.checksum = ByteSum(data);
    return e;
}

// The key's bytes XORed over `data` in turn, lowest byte first.
inline std::string Scramble(std::string data, int32_t key) {
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(data[i] ^ static_cast<char>(static_cast<uint32_t>(key) >> (8 * (i % 4))));
    return data;
}

inline std::string ArchiveHeaderBytes(const std::string& methodID, int32_t total,
                                      uint8_t type = kArchiveTypeMulti) {
    TArchiveHeader h;
    std::copy_n(methodID.begin(), 3, h.MethodID.begin());
    h.TotalSize = total;
    h.ArchiveType = type;
    const TArchiveHeaderBytes b = EncodeArchiveHeader(h);
    return std::string(b.begin(), b.end());
}

inline std::string EntryBytes(const EntrySpec& e) {
    TFileHeader h;
    h.NameLength = static_cast<int16_t>(e.name.size());
    h.DosDateTime = e.dosDateTime;
    h.Attributes = e.attributes;
    h.UncompressedSize = e.uncompressedSize >= 0 ? e.uncompressedSize
                                                 : static_cast<int32_t>(e.data.size());
    h.CompressedSize = static_cast<int32_t>(e.data.size());
    h.Method = e.method;
    h.Checksum = e.checksum;
    h.LockMode = e.lockMode;
    const TFileHeaderBytes b = EncodeFileHeader(h);
    return std::string(b.begin(), b.end()) + e.name + e.data;
}

// total -1: the sum of the entries' uncompressed sizes.
inline std::string ArchiveBytes(const std::vector<EntrySpec>& entries, int32_t total = -1,
                                const std::string& methodID = "NON") {
    std::string body;
    int32_t sum = 0;
    for (const EntrySpec& e : entries) {
        body += EntryBytes(e);
        sum += e.uncompressedSize >= 0 ? e.uncompressedSize : static_cast<int32_t>(e.data.size());
    }
    return ArchiveHeaderBytes(methodID, total >= 0 ? total : sum) + body;
}

}  // namespace zov::test
