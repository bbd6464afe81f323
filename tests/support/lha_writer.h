#pragma once
// Wraps a raw compressed stream in a one-member LHA archive (header level 0 or 2) so that
// other LHA programs can test and extract it.
#include <cstdint>
#include <string>
#include <vector>

namespace zov::test {

// `method` is the five-character method ("-lh5-", "-lh1-"); `original` is the data the
// stream expands to, for the header's size and CRC-16.
std::vector<uint8_t> WrapLhaMember(const std::string& method, const std::vector<uint8_t>& stream,
                                   const std::vector<uint8_t>& original, int level = 2,
                                   const std::string& name = "data.bin");

}  // namespace zov::test
