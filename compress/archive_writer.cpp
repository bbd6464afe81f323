#include "compress/archive_writer.h"

#include <algorithm>
#include <climits>

#include "sys/decimal.h"
#include "sys/system.h"

namespace zov::compress {
namespace {

constexpr int32_t kLockKeyedOnly = 1;  // locked, data as the custom compressor wrote them

std::string MethodName(TCompressionMethod method) {
    return method < kMethodCount ? std::string(kMethodIDs[method]) : DecimalText(method);
}

void SetMethodID(TArchiveHeader& header, const std::string& id) {
    header.MethodID = {' ', ' ', ' '};
    std::copy_n(id.begin(), std::min(id.size(), kMethodIDSize), header.MethodID.begin());
}

}  // namespace

TArchiveWriter::TArchiveWriter(TCompress& component, TStream& archive, TCompressionMethod method)
    : component_(component), archive_(archive), start_(archive.Position()) {
    SetMethodID(header_, MethodName(method));
    header_.KeyMode = component.Key > 0 ? kArchiveKeyed : 0;
    const TArchiveHeaderBytes bytes = EncodeArchiveHeader(header_);
    archive_.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

bool TArchiveWriter::CanWrite(const TCompress& component, TCompressionMethod method) {
    if (method == coCustom) return static_cast<bool>(component.OnCompress);
    return method < kMethodCount && CodecFor(method).encode != nullptr;
}

void TArchiveWriter::WriteHeaderAt(int64_t position, const TFileHeader& header) {
    archive_.SetPosition(position);
    const TFileHeaderBytes bytes = EncodeFileHeader(header);
    archive_.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

uint32_t TArchiveWriter::Encode(TStream& data, int32_t size, TCompressionMethod method,
                                int32_t reserve) {
    ProcessOptions options = component_.RunOptions();
    options.BudgetReserve = reserve;
    uint32_t sum = 0;
    ProcessStream(*component_.state_, options, archive_, data, size, size, method, sum, false, false);
    return sum;
}

int64_t TArchiveWriter::BeginEntry(TFileHeader& header, int64_t size, const std::string& storedName,
                                   uint32_t dosDateTime, uint16_t attributes) {
    if (storedName.size() > static_cast<size_t>(INT16_MAX))
        throw EArchiveTooLarge("Stored name too long: " + storedName.substr(0, 80) + "...");
    if (size > INT32_MAX || total_ + size > INT32_MAX)
        throw EArchiveTooLarge("Archive would exceed 2 GB with " + storedName);
    header.NameLength = static_cast<int16_t>(storedName.size());
    header.DosDateTime = dosDateTime;
    header.Attributes = static_cast<int16_t>(attributes);
    header.UncompressedSize = static_cast<int32_t>(size);
    const int64_t headerPosition = archive_.Position();
    WriteHeaderAt(headerPosition, header);  // completed by EndEntry
    archive_.WriteBuffer(storedName.data(), header.NameLength);
    return headerPosition;
}

void TArchiveWriter::EndEntry(TFileHeader& header, int64_t headerPosition, int64_t dataStart,
                              TCompressionMethod method, uint32_t sum, const std::string& storedName) {
    const int64_t dataEnd = archive_.Position();
    if (dataEnd - dataStart > INT32_MAX)
        throw EArchiveTooLarge("Archive would exceed 2 GB with " + storedName);
    const int32_t key = component_.Key;
    header.CompressedSize = static_cast<int32_t>(dataEnd - dataStart);
    header.Method = method;
    header.Checksum = key != 0 ? sum + static_cast<uint32_t>(key) : sum;
    WriteHeaderAt(headerPosition, header);
    archive_.SetPosition(dataEnd);
    total_ += header.UncompressedSize;
}

TCompressionMethod TArchiveWriter::AddEntry(TStream& data, const std::string& storedName,
                                            uint32_t dosDateTime, uint16_t attributes,
                                            TCompressionMethod method) {
    if (!CanWrite(component_, method))
        throw EMethodNotAvailable("Method " + MethodName(method) +
                                  " cannot be written by this build");
    const int64_t sourceStart = data.Position();
    const int64_t size = data.Size() - sourceStart;
    TFileHeader header;
    const int64_t headerPosition = BeginEntry(header, size, storedName, dosDateTime, attributes);
    const int64_t dataStart = archive_.Position();

    const int32_t key = component_.Key;
    uint32_t sum = 0;
    if (method == coCustom) {
        std::string id = std::string(kMethodIDs[coCustom]);
        int32_t written = 0, customSum = 0;
        component_.OnCompress(archive_, data, id, written, customSum);
        SetMethodID(header_, id);  // OnExpand is handed the archive's method ID
        sum = static_cast<uint32_t>(customSum);
        header.LockMode = key != 0 ? kLockKeyedOnly : kLockNone;
    } else {
        const int32_t reserve = std::max(component_.BudgetReserve, 0);
        try {
            sum = Encode(data, header.UncompressedSize, method, reserve);
        } catch (const EUnableToCompress&) {
            // Stored data are never longer than the failed attempt, so they cover it whole.
            archive_.SetPosition(dataStart);
            data.SetPosition(sourceStart);
            method = coNone;
            sum = Encode(data, header.UncompressedSize, coNone, 0);
        }
        if (data.Position() - sourceStart != size)
            throw EReadError("Reading " + storedName + " stopped before its end");
        header.LockMode = key != 0 ? kLockScrambled : kLockNone;
    }
    EndEntry(header, headerPosition, dataStart, method, sum, storedName);
    return method;
}

void TArchiveWriter::AddEncoded(const TEncodedEntry& entry, const std::string& storedName,
                                uint32_t dosDateTime, uint16_t attributes) {
    TFileHeader header;
    const int64_t headerPosition = BeginEntry(header, entry.size, storedName, dosDateTime, attributes);
    const int64_t dataStart = archive_.Position();
    if (!entry.data.empty())
        archive_.WriteBuffer(entry.data.data(), static_cast<int32_t>(entry.data.size()));
    header.LockMode = component_.Key != 0 ? kLockScrambled : kLockNone;
    EndEntry(header, headerPosition, dataStart, entry.method, entry.sum, storedName);
}

TEncodedEntry EncodeEntry(const std::vector<uint8_t>& bytes, TCompressionMethod method, int32_t key,
                          int32_t budgetReserve) {
    TEncodedEntry entry;
    entry.size = static_cast<int32_t>(bytes.size());
    TCompThreadSafety state;
    ProcessOptions options;
    options.Key = key;
    const auto run = [&](TCompressionMethod m, int32_t reserve) {
        TMemoryStream source(bytes);
        TMemoryStream dest;
        options.BudgetReserve = reserve;
        ProcessStream(state, options, dest, source, entry.size, entry.size, m, entry.sum, false, false);
        entry.data = std::move(dest.Bytes());
        entry.method = m;
    };
    try {
        run(method, std::max(budgetReserve, 0));
    } catch (const EUnableToCompress&) {
        run(coNone, 0);
    }
    return entry;
}

void ReadFileStamp(const std::string& path, TFileStream& file, uint32_t& dosDateTime,
                   uint16_t& attributes) {
    uint16_t date = 0, time = 0;
    file.Handle().GetDosTime(date, time);
    dosDateTime = static_cast<uint32_t>(date) << 16 | time;
    uint32_t found = sys::Sys().GetFileAttributes(path);
    if (found == sys::kInvalidAttributes) found = 0;
    attributes = static_cast<uint16_t>(found & ~static_cast<uint32_t>(sys::kAttrDirectory));
}

TCompressionMethod TArchiveWriter::AddFile(const std::string& path, const std::string& storedName,
                                           TCompressionMethod method) {
    auto file = TFileStream::OpenRead(path);
    uint32_t dosDateTime = 0;
    uint16_t attributes = 0;
    ReadFileStamp(path, *file, dosDateTime, attributes);
    return AddEntry(*file, storedName, dosDateTime, attributes, method);
}

void TArchiveWriter::Finish() {
    const int64_t end = archive_.Position();
    header_.TotalSize = static_cast<int32_t>(total_);
    archive_.SetPosition(start_);
    const TArchiveHeaderBytes bytes = EncodeArchiveHeader(header_);
    archive_.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    archive_.SetPosition(end);
}

}  // namespace zov::compress
