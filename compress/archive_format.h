#pragma once
// The on-disk layout of an archive, shared by its reader and its writer: one archive
// header, then per entry a file header, the stored name and the entry's data, without
// padding. Every integer is little-endian; the records are encoded field by field.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "compress/codec_runner.h"

namespace zov::compress {

constexpr size_t kArchiveHeaderSize = 21;
constexpr size_t kFileHeaderSize = 25;
constexpr std::array<uint8_t, 5> kArchiveSignature = {'K', 'T', 'U', 'B', 0x1A};
constexpr uint8_t kArchiveTypeMulti = 1;  // caMulti, the only type there is
constexpr int32_t kArchiveKeyed = 2;      // archive key mode of a component whose Key > 0

// Lock modes of an entry.
constexpr int32_t kLockNone = 0;
constexpr int32_t kLockScrambled = 2;  // a key is needed and the data bytes are scrambled

constexpr size_t kMethodIDSize = 3;
// The method IDs, indexed by TCompressionMethod.
constexpr std::array<std::string_view, kMethodCount> kMethodIDs = {"NON", "RLE", "LZH", "CUS",
                                                                   "LH5"};

struct TArchiveHeader {
    std::array<uint8_t, 5> Signature = kArchiveSignature;
    std::array<char, kMethodIDSize> MethodID = {'N', 'O', 'N'};
    int32_t TotalSize = 0;  // sum of the entries' uncompressed sizes
    uint8_t ArchiveType = kArchiveTypeMulti;
    int32_t Reserved = 0;
    int32_t KeyMode = 0;

    std::string MethodIDText() const { return std::string(MethodID.data(), MethodID.size()); }
};

struct TFileHeader {
    int16_t NameLength = 0;
    uint32_t DosDateTime = 0;  // date in the upper 16 bits, time in the lower, local time
    int16_t Attributes = 0;
    int32_t UncompressedSize = 0;
    int32_t CompressedSize = 0;
    uint8_t Method = coNone;
    uint32_t Checksum = 0;  // sum of the uncompressed bytes (+ Key when locked)
    int32_t LockMode = kLockNone;
};

using TArchiveHeaderBytes = std::array<uint8_t, kArchiveHeaderSize>;
using TFileHeaderBytes = std::array<uint8_t, kFileHeaderSize>;

TArchiveHeaderBytes EncodeArchiveHeader(const TArchiveHeader& header);
TArchiveHeader DecodeArchiveHeader(const TArchiveHeaderBytes& bytes);
TFileHeaderBytes EncodeFileHeader(const TFileHeader& header);
TFileHeader DecodeFileHeader(const TFileHeaderBytes& bytes);

}  // namespace zov::compress
