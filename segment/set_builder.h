#pragma once
// Builds the logical stream of a segment set from files: the set header, per archive a
// scan record whose scan data is an archive holding the file list, then per archive its
// record and its data, an archive of its files.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "compress/codec_runner.h"
#include "sys/stream.h"

namespace zov::segment {

struct SegSourceFile {
    std::string Path;        // read through the system interface
    std::string StoredName;  // its name in the archive
};

// One archive of the set.
struct SegArchiveSource {
    std::string Template;  // names the archive's source; its directory part is where the
                           // files go when the reader does not send them elsewhere
    uint8_t ArchiveByte = 0;
    std::vector<SegSourceFile> Files;
};

struct SegBuildOptions {
    compress::TCompressionMethod Method = compress::coLZH5;
    int32_t Key = 0;      // locks every entry when not 0
    std::string ScratchPath;  // the file each archive is built in before it is copied into
                              // the set; deleted at the end
    // Threads that compress files at once; 0: as many as the machine runs. The set's bytes
    // do not depend on it.
    unsigned Threads = 0;
    // After each file: bytes of source read so far, of all the set's files.
    std::function<void(int64_t done, int64_t total)> OnProgress;
};

// The stored name of the file-list entry in the scan data.
inline constexpr const char* kFileListName = "filelist";

// Writes the whole logical stream to `out`. Raises for a method this build cannot write,
// a name a file list cannot hold, a missing file, or sizes beyond the format's limits.
void WriteSegmentSet(TStream& out, const std::vector<SegArchiveSource>& archives,
                     const SegBuildOptions& options);

}  // namespace zov::segment
