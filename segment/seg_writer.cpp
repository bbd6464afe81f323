#include "segment/seg_writer.h"

#include <algorithm>

#include "segment/seg_names.h"
#include "segment/seg_records.h"

namespace zov::segment {

TSegmentFileWriter::TSegmentFileWriter(PathFn pathFor, int32_t segSize, int32_t firstSegSize)
    : pathFor_(std::move(pathFor)),
      segSize_(std::max(segSize, kMinSegSize)),
      firstSegSize_(firstSegSize > 0 ? std::max(firstSegSize, kMinSegSize) : segSize_) {}

TSegmentFileWriter::~TSegmentFileWriter() {
    if (!finished_) DeleteAll();
}

void TSegmentFileWriter::DeleteAll() {
    current_.reset();
    for (const std::string& path : paths_) sys::Sys().DeleteFile(path);
    paths_.clear();
}

void TSegmentFileWriter::BeginSegment() {
    current_.reset();
    if (paths_.size() >= 0xFFFF) throw Exception("a segment set holds at most 65535 segments");
    const auto number = static_cast<uint16_t>(paths_.size() + 1);
    const std::string path = pathFor_(number);
    current_ = TFileStream::Create(path);
    paths_.push_back(path);
    TSegIDHeader id;
    id.Reserved = MediumMark;
    id.SegNumber = number;
    uint8_t bytes[TSegIDHeader::kSize];
    id.Encode(bytes);
    current_->WriteBuffer(bytes, TSegIDHeader::kSize);
    roomLeft_ = (number == 1 ? firstSegSize_ : segSize_) - TSegIDHeader::kSize;
}

int32_t TSegmentFileWriter::Write(const void* buffer, int32_t count) {
    const auto* p = static_cast<const uint8_t*>(buffer);
    int32_t done = 0;
    while (done < count) {
        if (!current_ || roomLeft_ == 0) BeginSegment();
        const auto n = static_cast<int32_t>(std::min<int64_t>(count - done, roomLeft_));
        current_->WriteBuffer(p + done, n);
        done += n;
        roomLeft_ -= n;
        written_ += n;
    }
    return done;
}

int64_t TSegmentFileWriter::Seek(int64_t offset, sys::SeekOrigin origin) {
    if (offset == 0 && origin != sys::SeekOrigin::Begin) return written_;
    throw EStreamError("Stream seek error");
}

std::vector<std::string> TSegmentFileWriter::Finish() {
    current_.reset();
    finished_ = true;
    return paths_;
}

void WriteSetHeader(TStream& out, uint16_t count) {
    TSegHeader h;
    h.Count = count;
    uint8_t bytes[TSegHeader::kSize];
    h.Encode(bytes);
    out.WriteBuffer(bytes, TSegHeader::kSize);
}

void WriteScanRecord(TStream& out, const std::string& templateName, uint8_t archiveByte,
                     int32_t listWidth, TStream& scanData, int32_t scanSize) {
    if (templateName.size() > static_cast<size_t>(TSegScanHeader::kMaxNameLength))
        throw Exception("template name longer than 8191 bytes");
    if (listWidth < 1 || listWidth > TSegScanHeader::kMaxListWidth)
        throw Exception("file list width must be 1 to 8191");
    TSegScanHeader h;
    h.NameLength = static_cast<uint16_t>(templateName.size());
    h.ArchiveByte = archiveByte;
    h.ListWidth = listWidth;
    h.ScanSize = scanSize;
    uint8_t bytes[TSegScanHeader::kSize];
    h.Encode(bytes);
    out.WriteBuffer(bytes, TSegScanHeader::kSize);
    out.WriteBuffer(templateName.data(), static_cast<int32_t>(templateName.size()));
    if (scanSize > 0) out.CopyFrom(scanData, scanSize);
}

void WriteArchiveRecord(TStream& out, uint16_t seqNumber, TStream& data, int32_t dataSize) {
    TSegArcHeader h;
    h.SeqNumber = seqNumber;
    h.DataSize = dataSize;
    uint8_t bytes[TSegArcHeader::kSize];
    h.Encode(bytes);
    out.WriteBuffer(bytes, TSegArcHeader::kSize);
    if (dataSize > 0) out.CopyFrom(data, dataSize);
}

}  // namespace zov::segment
