#pragma once
// Writes archives that TCompress reads back: entries are compressed with the chosen
// method through the codec table, stored instead when compressing would not save space,
// and locked with the component's Key. The archive stream must be seekable: each entry's
// header is completed once its data are written, the archive header at Finish.
#include <cstdint>
#include <string>
#include <vector>

#include "compress/Compress.h"

namespace zov::compress {

// The method cannot be written by this build (no encoder, or no OnCompress handler).
ZOV_EXCEPTION(EMethodNotAvailable);
// A file or an archive too large for the format's 32-bit sizes.
ZOV_EXCEPTION(EArchiveTooLarge);

// One entry's data compressed apart from any archive, to be added with AddEncoded.
struct TEncodedEntry {
    std::vector<uint8_t> data;  // as the archive holds them: scrambled when a key is set
    TCompressionMethod method = coNone;  // coNone when the data were stored instead
    uint32_t sum = 0;                    // of the uncompressed bytes
    int32_t size = 0;                    // uncompressed
};

// Compresses `bytes` as AddEntry would with a component of this key and budget reserve and
// no progress handler; uses no state but its own, so runs on any thread. Not for coCustom.
TEncodedEntry EncodeEntry(const std::vector<uint8_t>& bytes, TCompressionMethod method, int32_t key,
                          int32_t budgetReserve);

// The time and attributes AddFile stores for a file, opened as `file`.
void ReadFileStamp(const std::string& path, TFileStream& file, uint32_t& dosDateTime,
                   uint16_t& attributes);

class TArchiveWriter {
public:
    // Starts an archive at the stream's current position; `method` names the archive in
    // its header. Uses `component`'s Key, BudgetReserve, OnCompress and OnShowProgress.
    TArchiveWriter(TCompress& component, TStream& archive, TCompressionMethod method);

    // True when entries can be written with `method` (coCustom needs OnCompress).
    static bool CanWrite(const TCompress& component, TCompressionMethod method);

    // Adds the bytes of `data` from its position to its end; returns the method used,
    // coNone when the data were stored instead.
    TCompressionMethod AddEntry(TStream& data, const std::string& storedName, uint32_t dosDateTime,
                                uint16_t attributes, TCompressionMethod method);
    // Adds an entry that EncodeEntry made with this component's Key and BudgetReserve: the
    // same bytes AddEntry would write.
    void AddEncoded(const TEncodedEntry& entry, const std::string& storedName, uint32_t dosDateTime,
                    uint16_t attributes);
    // Adds a file read through the system, with its time and attributes.
    TCompressionMethod AddFile(const std::string& path, const std::string& storedName,
                               TCompressionMethod method);

    // Writes the archive header's total; the archive is complete only after this.
    void Finish();

    int64_t TotalSize() const { return total_; }

private:
    // Runs the codec; returns the sum of the bytes read.
    uint32_t Encode(TStream& data, int32_t size, TCompressionMethod method, int32_t reserve);
    void WriteHeaderAt(int64_t position, const TFileHeader& header);
    // Checks the sizes and writes the entry's header (completed by EndEntry) and name; returns
    // the header's position.
    int64_t BeginEntry(TFileHeader& header, int64_t size, const std::string& storedName,
                       uint32_t dosDateTime, uint16_t attributes);
    void EndEntry(TFileHeader& header, int64_t headerPosition, int64_t dataStart,
                  TCompressionMethod method, uint32_t sum, const std::string& storedName);

    TCompress& component_;
    TStream& archive_;
    int64_t start_;
    TArchiveHeader header_;
    int64_t total_ = 0;
};

}  // namespace zov::compress
