#pragma once
// Reads the member headers of an LHA archive (header levels 0, 1 and 2), so that tests
// and benchmarks can reach each member's raw compressed stream.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zov::test {

struct LhaMember {
    std::string method;  // "-lh5-", "-lh0-", ...
    std::string name;    // directory and file name as stored, "/" between parts
    int level = 0;
    uint32_t compressedSize = 0;
    uint32_t originalSize = 0;
    uint16_t crc = 0;         // CRC-16 of the original data
    size_t dataOffset = 0;    // where the compressed stream starts
    bool truncated = false;   // the archive ends inside the compressed stream
};

class LhaFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Every member in archive order. Raises LhaFormatError for a header it cannot read.
std::vector<LhaMember> ReadLhaMembers(const std::vector<uint8_t>& archive);

// The member's compressed bytes (fewer when the archive is truncated).
std::vector<uint8_t> LhaMemberData(const std::vector<uint8_t>& archive, const LhaMember& member);

std::vector<uint8_t> ReadWholeFile(const std::string& path);

}  // namespace zov::test
