#pragma once
// The four records of a segment set. Each is a fixed run of little-endian bytes that starts
// with a four-character identifier; Encode and Decode move a record to and from those bytes.
// Fields the reader does not interpret are kept so that a record survives a round trip.
#include <array>
#include <cstdint>

namespace zov::segment {

using RecordID = std::array<char, 4>;

inline constexpr RecordID kSegIDTag = {'S', 'S', 'e', 'g'};
inline constexpr RecordID kSegHeaderTag = {'S', 'H', 'd', 'r'};
inline constexpr RecordID kScanTag = {'S', 'c', 'a', 'n'};
inline constexpr RecordID kArcTag = {'S', 'A', 'r', 'c'};

// Opens every segment file: which segment of the set this file is.
struct TSegIDHeader {
    static constexpr int32_t kSize = 8;
    RecordID ID = kSegIDTag;
    uint16_t Reserved = 0;  // the medium's mark (TSegmentFileWriter::MediumMark), 0 when it has none
    uint16_t SegNumber = 0;

    void Encode(uint8_t* out) const;
    static TSegIDHeader Decode(const uint8_t* in);
};

// Starts the set's logical stream.
struct TSegHeader {
    static constexpr int32_t kSize = 21;
    RecordID ID = kSegHeaderTag;
    uint16_t Reserved = 0;
    uint16_t Count = 0;  // archives in the set
    uint8_t Flags = 0;
    std::array<uint8_t, 12> Extra{};

    void Encode(uint8_t* out) const;
    static TSegHeader Decode(const uint8_t* in);
};

// Describes one archive; followed by the template name (NameLength bytes) and the scan
// data (ScanSize bytes: an archive whose first entry is the file list).
struct TSegScanHeader {
    static constexpr int32_t kSize = 17;
    static constexpr int32_t kMaxNameLength = 8191;
    static constexpr int32_t kMaxListWidth = 8191;
    RecordID ID = kScanTag;
    uint16_t Reserved = 0;
    uint16_t NameLength = 0;
    uint8_t ArchiveByte = 0;
    int32_t ListWidth = 0;  // bytes per file-list record
    int32_t ScanSize = 0;

    void Encode(uint8_t* out) const;
    static TSegScanHeader Decode(const uint8_t* in);
};

// Precedes the data of one archive (DataSize bytes).
struct TSegArcHeader {
    static constexpr int32_t kSize = 16;
    RecordID ID = kArcTag;
    uint16_t Reserved = 0;
    uint16_t SeqNumber = 0;
    std::array<uint8_t, 4> Extra{};
    int32_t DataSize = 0;

    void Encode(uint8_t* out) const;
    static TSegArcHeader Decode(const uint8_t* in);
};

}  // namespace zov::segment
