#include "segment/set_builder.h"

#include <algorithm>
#include <climits>
#include <deque>
#include <thread>

#include "compress/archive_writer.h"
#include "segment/file_list.h"
#include "segment/parallel_encoder.h"
#include "segment/seg_writer.h"
#include "sys/system.h"

namespace zov::segment {
namespace {

int32_t CheckedSize(int64_t size, const std::string& what) {
    if (size > INT32_MAX) throw compress::EArchiveTooLarge(what + " exceeds 2 GB");
    return static_cast<int32_t>(size);
}

// Deletes a scratch file when the build leaves its scope, also on failure.
class ScratchFile {
public:
    explicit ScratchFile(std::string path) : path_(std::move(path)) { sys::Sys().DeleteFile(path_); }
    ~ScratchFile() { sys::Sys().DeleteFile(path_); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The size of every source file, in build order; a missing file fails before anything is
// written.
std::vector<int64_t> SourceSizes(const std::vector<SegArchiveSource>& archives) {
    std::vector<int64_t> sizes;
    for (const SegArchiveSource& a : archives)
        for (const SegSourceFile& f : a.Files) {
            auto file = sys::Sys().OpenFile(f.Path, sys::FileAccess::Read,
                                            sys::FileCreate::OpenExisting, sys::FileShare::DenyNone);
            if (!file) throw EFOpenError("Cannot open file " + f.Path);
            sizes.push_back(file->Size());
        }
    return sizes;
}

// Files up to this size are read whole and compressed on the workers; larger ones wait
// for their turn and are compressed as they are read.
constexpr int64_t kLargestInMemory = 64 << 20;
// Bytes read but not yet written to the archive.
constexpr int64_t kMostInFlight = 128 << 20;

// Adds the files to the archive as one thread would, compressed on `threads` workers.
template <class FileDone>
void AddFilesInParallel(compress::TArchiveWriter& writer, const std::vector<SegSourceFile>& files,
                        const SegBuildOptions& options, unsigned threads, FileDone fileDone) {
    struct Stamp {
        const SegSourceFile* file;
        uint32_t dosDateTime;
        uint16_t attributes;
    };
    std::deque<Stamp> waiting;
    TParallelEncoder encoder(options.Method, options.Key, threads);
    const auto writeOldest = [&] {
        const compress::TEncodedEntry entry = encoder.TakeOldest();
        writer.AddEncoded(entry, waiting.front().file->StoredName, waiting.front().dosDateTime,
                          waiting.front().attributes);
        waiting.pop_front();
        fileDone();
    };
    for (const SegSourceFile& f : files) {
        auto file = TFileStream::OpenRead(f.Path);
        Stamp stamp{&f, 0, 0};
        compress::ReadFileStamp(f.Path, *file, stamp.dosDateTime, stamp.attributes);
        const int64_t size = file->Size();
        if (size > kLargestInMemory) {
            while (!waiting.empty()) writeOldest();
            writer.AddEntry(*file, f.StoredName, stamp.dosDateTime, stamp.attributes, options.Method);
            fileDone();
            continue;
        }
        std::vector<uint8_t> bytes(static_cast<size_t>(size));
        if (size > 0) file->ReadBuffer(bytes.data(), static_cast<int32_t>(size));
        file.reset();
        while (!waiting.empty() && (encoder.PendingBytes() + size > kMostInFlight ||
                                    encoder.Pending() >= 8 * threads))
            writeOldest();
        encoder.Submit(std::move(bytes));
        waiting.push_back(stamp);
    }
    while (!waiting.empty()) writeOldest();
}

}  // namespace

void WriteSegmentSet(TStream& out, const std::vector<SegArchiveSource>& archives,
                     const SegBuildOptions& options) {
    if (archives.size() > 0xFFFF) throw Exception("a segment set holds at most 65535 archives");
    compress::TCompress component;
    component.Key = options.Key;
    if (!compress::TArchiveWriter::CanWrite(component, options.Method))
        throw compress::EMethodNotAvailable("this build cannot write the chosen method");
    const std::vector<int64_t> sizes = SourceSizes(archives);
    int64_t total = 0;
    for (int64_t size : sizes) total += size;

    WriteSetHeader(out, static_cast<uint16_t>(archives.size()));
    for (const SegArchiveSource& a : archives) {
        std::vector<std::string> names;
        for (const SegSourceFile& f : a.Files) names.push_back(f.StoredName);
        const int32_t width = names.empty() ? 1 : FileListWidth(names);
        TMemoryStream list(BuildFileList(names, width));
        TMemoryStream scan;
        compress::TArchiveWriter writer(component, scan, options.Method);
        writer.AddEntry(list, kFileListName, 0, sys::kAttrArchive, options.Method);
        writer.Finish();
        scan.SetPosition(0);
        WriteScanRecord(out, a.Template, a.ArchiveByte, width, scan,
                        CheckedSize(scan.Size(), "the file list of " + a.Template));
    }

    unsigned threads = options.Threads ? options.Threads : std::max(1u, std::thread::hardware_concurrency());
    if (options.Method == compress::coCustom) threads = 1;
    int64_t done = 0;
    size_t fileIndex = 0;
    ScratchFile scratch(options.ScratchPath);
    for (size_t k = 0; k < archives.size(); ++k) {
        {
            auto data = TFileStream::Create(scratch.Path());
            compress::TArchiveWriter writer(component, *data, options.Method);
            const auto fileDone = [&] {
                done += sizes[fileIndex++];
                if (options.OnProgress) options.OnProgress(done, total);
            };
            if (threads > 1) {
                AddFilesInParallel(writer, archives[k].Files, options, threads, fileDone);
            } else {
                for (const SegSourceFile& f : archives[k].Files) {
                    writer.AddFile(f.Path, f.StoredName, options.Method);
                    fileDone();
                }
            }
            writer.Finish();
        }
        auto data = TFileStream::OpenRead(scratch.Path());
        WriteArchiveRecord(out, static_cast<uint16_t>(k), *data,
                           CheckedSize(data->Size(), "the archive of " + archives[k].Template));
    }
}

}  // namespace zov::segment
