#pragma once
// The writing side of a segment set: the records of the logical stream, and a stream that
// lays the logical stream over segment files.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sys/stream.h"

namespace zov::segment {

// Write-only: every segment file starts with its "SSeg" record and holds at most `segSize`
// bytes, the first at most `firstSegSize` when that is given (it shares its disk with the
// setup program); values below 16384 count as 16384. Records and data are cut wherever the
// limit falls, and no segment is begun before a byte needs it. Until Finish succeeds every file
// it made is deleted again, so a failed build leaves nothing half-written.
class TSegmentFileWriter : public TStream {
public:
    using PathFn = std::function<std::string(uint16_t number)>;
    TSegmentFileWriter(PathFn pathFor, int32_t segSize, int32_t firstSegSize = 0);
    ~TSegmentFileWriter() override;

    int32_t Read(void*, int32_t) override { return 0; }
    int32_t Write(const void* buffer, int32_t count) override;
    // Only the position can be asked for; the stream is written front to back.
    int64_t Seek(int64_t offset, sys::SeekOrigin origin) override;
    int64_t Size() override { return written_; }

    // Written into every segment's "SSeg" record, so that a reader tells this medium's disks
    // from another's; 0 marks nothing (the field was always 0 before).
    uint16_t MediumMark = 0;

    // The segment being written ("" before the first).
    std::string CurrentPath() const { return paths_.empty() ? std::string() : paths_.back(); }
    // Closes the last segment and returns the paths of all segments, in order.
    std::vector<std::string> Finish();

private:
    void BeginSegment();
    void DeleteAll();

    PathFn pathFor_;
    int32_t segSize_;
    int32_t firstSegSize_;
    std::unique_ptr<TFileStream> current_;
    int64_t roomLeft_ = 0;
    int64_t written_ = 0;
    std::vector<std::string> paths_;
    bool finished_ = false;
};

// "SHdr" with the number of archives that follow.
void WriteSetHeader(TStream& out, uint16_t count);
// "Scan", the template name and `scanSize` bytes of scan data from `scanData`.
void WriteScanRecord(TStream& out, const std::string& templateName, uint8_t archiveByte,
                     int32_t listWidth, TStream& scanData, int32_t scanSize);
// "SArc" and `dataSize` bytes of archive data from `data`.
void WriteArchiveRecord(TStream& out, uint16_t seqNumber, TStream& data, int32_t dataSize);

}  // namespace zov::segment
