#include "segment/set_builder.h"

#include <climits>

#include "compress/archive_writer.h"
#include "segment/file_list.h"
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

    int64_t done = 0;
    size_t fileIndex = 0;
    ScratchFile scratch(options.ScratchPath);
    for (size_t k = 0; k < archives.size(); ++k) {
        {
            auto data = TFileStream::Create(scratch.Path());
            compress::TArchiveWriter writer(component, *data, options.Method);
            for (const SegSourceFile& f : archives[k].Files) {
                writer.AddFile(f.Path, f.StoredName, options.Method);
                done += sizes[fileIndex++];
                if (options.OnProgress) options.OnProgress(done, total);
            }
            writer.Finish();
        }
        auto data = TFileStream::OpenRead(scratch.Path());
        WriteArchiveRecord(out, static_cast<uint16_t>(k), *data,
                           CheckedSize(data->Size(), "the archive of " + archives[k].Template));
    }
}

}  // namespace zov::segment
