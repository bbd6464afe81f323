#include "compress/Compress.h"

#include <climits>
#include <vector>

#include "compress/archive_paths.h"
#include "sys/system.h"
#include "sys/concat.h"

namespace zov::compress {
namespace {

const char* const kInvalidKeyMessage = "File locked -- valid key required";

const char* const kBadTotalMessage = "Archive header gives a wrong total for its entries: the archive is damaged";

void SkipTo(TStream& archive, int64_t position) {
    if (archive.Position() != position) archive.SetPosition(position);
}

}  // namespace

TCompress::TCompress() : state_(std::make_unique<TCompThreadSafety>()) {}
TCompress::~TCompress() = default;

void TCompress::SetTargetPath(const std::string& path) {
    targetPath_ = path;
    if (!targetPath_.empty() && targetPath_.back() != '\\') targetPath_ += '\\';
}

ProcessOptions TCompress::RunOptions() const {
    ProcessOptions options;
    options.Key = Key;
    options.BudgetReserve = BudgetReserve;
    options.OnShowProgress = OnShowProgress;
    return options;
}

void TCompress::ProcessStream(TStream& dest, TStream& source, int32_t sourceSize,
                              int32_t uncompressedSize, TCompressionMethod method,
                              uint32_t& checksum, bool expanding, bool keyedData) {
    compress::ProcessStream(*state_, RunOptions(), dest, source, sourceSize, uncompressedSize,
                            method, checksum, expanding, keyedData);
}

TCompressionMethod TCompress::LookupMethod(const std::string& id) {
    for (int m = 0; m < kMethodCount; ++m)
        if (id == kMethodIDs[static_cast<size_t>(m)]) return static_cast<TCompressionMethod>(m);
    bool recognized = false;
    if (OnRecognize) OnRecognize(id, recognized);
    if (recognized) return coCustom;
    throw EUnrecognizedCompressionMethod(Concat({"Unrecognized compression method: \"", id, "\" in header"}));
}

TArchiveHeader TCompress::ReadArchiveHeader(TStream& archive) {
    TArchiveHeader header;  // a fresh one stands in for a stream too short to hold one
    if (archive.Remaining() < static_cast<int64_t>(kArchiveHeaderSize)) {
        if (Key > 0) header.KeyMode = kArchiveKeyed;
        archiveMethodID_ = header.MethodIDText();
        return header;
    }
    TArchiveHeaderBytes bytes;
    archive.ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    header = DecodeArchiveHeader(bytes);
    if (header.Signature != kArchiveSignature)
        throw EInvalidHeader("Can't recognize compressed file header");
    if (header.ArchiveType != kArchiveTypeMulti)
        throw EInvalidHeaderArchiveType("Archive type must be caMulti");
    archiveMethodID_ = header.MethodIDText();
    LookupMethod(archiveMethodID_);
    return header;
}

bool TCompress::PastHeaderTotal(const TArchiveHeader& archiveHeader, int64_t found,
                                const TFileHeader& entry) {
    if (entry.UncompressedSize == 0) return false;
    if (archiveHeader.TotalSize <= 0) throw EInvalidHeader(kBadTotalMessage);
    return found >= archiveHeader.TotalSize;
}

bool TCompress::ReadFileHeader(TStream& archive, TFileHeader& header, std::string& name) {
    TFileHeaderBytes bytes;
    if (archive.Read(bytes.data(), static_cast<int32_t>(bytes.size())) !=
        static_cast<int32_t>(bytes.size()))
        return false;
    header = DecodeFileHeader(bytes);
    // Negative lengths cannot be skipped forwards; the archive is treated as ending here.
    if (header.NameLength < 0 || header.CompressedSize < 0) return false;
    name.assign(static_cast<size_t>(header.NameLength), '\0');
    return archive.Read(name.data(), header.NameLength) == header.NameLength;
}

void TCompress::ListArchive(const std::string& ArchiveName, TStringList& List) {
    auto archive = TFileStream::OpenRead(ArchiveName, sys::FileShare::Exclusive);
    if (archive->Remaining() < static_cast<int64_t>(kArchiveHeaderSize + kFileHeaderSize)) return;
    ReadArchiveHeader(*archive);
    TFileHeader header;
    std::string name;
    while (ReadFileHeader(*archive, header, name)) {
        auto info = std::make_unique<TCompressedFileInfo>();
        info->FileDate = header.DosDateTime;
        info->Attributes = static_cast<uint16_t>(header.Attributes);
        info->UncompressedSize = header.UncompressedSize;
        info->CompressedSize = header.CompressedSize;
        info->Method = static_cast<TCompressionMethod>(header.Method);
        info->Checksum = header.Checksum;
        const int64_t dataStart = archive->Position();
        info->HeaderPosition =
            static_cast<int32_t>(dataStart - header.NameLength - static_cast<int64_t>(kFileHeaderSize));
        info->Locked = header.LockMode > 0;
        List.Add(name, std::move(info));
        SkipTo(*archive, dataStart + header.CompressedSize);
    }
}

void TCompress::ExpandArchive(const std::string& ArchiveName, TStringList* List) {
    auto archive = TFileStream::OpenRead(ArchiveName, sys::FileShare::Exclusive);
    std::vector<std::string> created;
    const TArchiveHeader archiveHeader = ReadArchiveHeader(*archive);
    int64_t total = 0;
    TFileHeader header;
    std::string name;
    while (ReadFileHeader(*archive, header, name)) {
        // The header's total ends the archive; empty entries written after the last
        // byte of it still count as files.
        if (PastHeaderTotal(archiveHeader, total, header)) break;
        const int64_t dataEnd = archive->Position() + header.CompressedSize;
        if (List && List->IndexOf(name) < 0) {
            SkipTo(*archive, dataEnd);
            total += header.UncompressedSize;
            continue;
        }
        const bool absolute = !name.empty() && name[0] == '\\';
        if (!absolute && ClimbsOutOfDirectory(name))
            throw EUnsafeName("Unsafe file name in archive, it leads out of the target directory: " +
                              name);
        std::string target = absolute ? name : targetPath_ + name;
        if (OnCheckFile) {
            OnCheckFile(target, pmExpand);
            if (target.empty()) {
                SkipTo(*archive, dataEnd);
                continue;
            }
            if (target == "*") break;
        }
        if (FreeSpaceFor(target) < header.UncompressedSize)
            throw EInsufficientDiskSpace("Not enough disk space to expand " + target);
        if (MakeDirectories) MakeDirectoryPath(DirectoryPart(target));

        std::unique_ptr<TFileStream> file;
        try {
            file = TFileStream::Create(target);
        } catch (const EFCreateError&) {
            if (ExceptionOnFileError) throw;
            SkipTo(*archive, dataEnd);
            continue;
        }
        const uint32_t attributes = static_cast<uint32_t>(static_cast<int32_t>(header.Attributes));
        try {
            ExpandEntry(*archive, *file, header);
        } catch (const EInvalidKey&) {
            file.reset();
            sys::Sys().DeleteFile(target);
            throw;
        } catch (...) {
            file.reset();
            sys::Sys().SetFileAttributes(target, attributes);
            throw;
        }
        file->Handle().SetDosTime(static_cast<uint16_t>(header.DosDateTime >> 16),
                                  static_cast<uint16_t>(header.DosDateTime));
        created.push_back(target);
        file.reset();
        sys::Sys().SetFileAttributes(target, attributes);
        total += header.UncompressedSize;
        // A codec may stop before the end of its data; the next entry starts after it.
        SkipTo(*archive, dataEnd);
    }
    if (List) {
        List->Clear();
        for (std::string& path : created) List->Add(std::move(path));
    }
}

void TCompress::ExpandEntry(TStream& archive, TStream& dest, const TFileHeader& header) {
    const bool locked = header.LockMode > 0;
    if (locked && Key == 0) throw EInvalidKey(kInvalidKeyMessage);
    uint32_t checksum = 0;
    if (header.Method == coCustom) {
        if (OnExpand) {
            int32_t sum = 0;
            OnExpand(dest, archive, header.CompressedSize, header.UncompressedSize,
                     archiveMethodID_, sum);
            checksum = static_cast<uint32_t>(sum);
        }
    } else {
        try {
            ProcessStream(dest, archive, header.CompressedSize, header.UncompressedSize,
                          static_cast<TCompressionMethod>(header.Method), checksum, true,
                          header.LockMode == kLockScrambled);
        } catch (const ELZHBadDecodeTable&) {
            if (locked) throw EInvalidKey(kInvalidKeyMessage);
            throw;
        } catch (const EDataError&) {
            if (locked) throw EInvalidKey(kInvalidKeyMessage);
            throw;
        }
    }
    const bool good =
        checksum == header.Checksum || (header.Checksum == 0 && header.Method == coNone);
    if (!good && !locked) throw EBadChecksum("Bad checksum during expansion -- data may be invalid");
    if (!good && static_cast<uint32_t>(Key) + checksum != header.Checksum)
        throw EInvalidKey(kInvalidKeyMessage);
    // Zeros add nothing to the sum: a file of another length than its header says is
    // damaged even when the sum matches.
    if (header.Method != coCustom && state_->ExpandedBytes() != header.UncompressedSize) {
        if (locked) throw EInvalidKey(kInvalidKeyMessage);
        throw EDataError("Expanded size differs from the header's -- data may be invalid");
    }
}

int32_t TCompress::FreeSpaceFor(const std::string& path) {
    if (!CheckSpaceBeforeExpand) return INT32_MAX;
    // "X:\" for a path on drive X, "" (the current drive) for any other.
    std::string root;
    if (path.size() >= 2 && path[1] == ':') root = UpperAscii(path.substr(0, 1)) + ":\\";
    uint64_t freeBytes = 0;
    if (!sys::Sys().GetDiskFreeSpace(root, freeBytes)) return -1;
    if (freeBytes >= static_cast<uint64_t>(INT32_MAX)) return INT32_MAX;
    int64_t result = static_cast<int64_t>(freeBytes);
    // The file being replaced gives its space back.
    if (auto existing = sys::Sys().OpenFile(path, sys::FileAccess::Read,
                                            sys::FileCreate::OpenExisting,
                                            sys::FileShare::DenyNone)) {
        const int64_t size = existing->Size();
        result = size >= 0 && result + size < INT32_MAX ? result + size : INT32_MAX;
    }
    return static_cast<int32_t>(result);
}

void TCompress::MakeDirectoryPath(const std::string& dir) {
    if (!ForceDirectories(dir)) throw EInOutError("Cannot create directory " + WithoutTrailingBackslash(dir));
}

}  // namespace zov::compress
