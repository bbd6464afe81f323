#pragma once
// The compressed-file container: a component that keeps several files in one archive
// file, lists them and expands them to disk. Every codec run goes through its one codec
// state object. The writing side is TArchiveWriter (compress/archive_writer.h).
#include <cstdint>
#include <memory>
#include <string>

#include "compress/archive_format.h"
#include "compress/codec_runner.h"
#include "compress/codecs.h"
#include "compress/string_list.h"
#include "sys/event.h"
#include "sys/exception.h"
#include "sys/stream.h"

namespace zov::compress {

ZOV_EXCEPTION(EInvalidHeader);                  // "Can't recognize compressed file header"
ZOV_EXCEPTION(EInvalidHeaderArchiveType);       // "Archive type must be caMulti"
ZOV_EXCEPTION(EUnrecognizedCompressionMethod);  // "Unrecognized compression method: "ID" in header"
ZOV_EXCEPTION(EInsufficientDiskSpace);          // "Not enough disk space to expand " + path
ZOV_EXCEPTION(EInvalidKey);                     // "File locked -- valid key required"
ZOV_EXCEPTION(EBadChecksum);  // "Bad checksum during expansion -- data may be invalid"
// A stored name whose ".." parts would lead out of the directory it is expanded into.
ZOV_EXCEPTION(EUnsafeName);

// What a file-name check is asked for; expanding passes pmExpand.
enum TCProcessMode : uint8_t { pmCompress = 0, pmExpand = 1 };

// Custom compressor for coCustom: writes the source to dest, names the method and reports
// the bytes written and the sum of the bytes read.
using TCompressEvent = TEvent<void(TStream& dest, TStream& source, std::string& CompressID,
                                          int32_t& Outputsize, int32_t& checksum)>;
// Custom expander for coCustom entries: reads exactly Sourcesize bytes, sets checksum to the
// sum of the bytes it wrote.
using TExpandEvent = TEvent<void(TStream& dest, TStream& source, int32_t Sourcesize,
                                        int32_t Destsize, const std::string& CompressID,
                                        int32_t& checksum)>;
// Sees each target path before its entry is expanded: may change it, empty it (skip the
// entry) or set it to "*" (stop expanding).
using TFilenameCheckEvent = TEvent<void(std::string& filepath, TCProcessMode mode)>;
using TRecognizeEvent = TEvent<void(const std::string& CompressID, bool& recognized)>;

// One archive entry as ListArchive reports it.
class TCompressedFileInfo : public TObject {
public:
    uint32_t FileDate = 0;  // packed DOS date and time
    uint16_t Attributes = 0;
    int32_t UncompressedSize = 0;
    int32_t CompressedSize = 0;
    TCompressionMethod Method = coNone;
    uint32_t Checksum = 0;
    int32_t HeaderPosition = 0;  // of the entry's file header, from the archive's start
    bool Locked = false;
};

class TCompress {
public:
    TCompress();
    virtual ~TCompress();
    TCompress(const TCompress&) = delete;
    TCompress& operator=(const TCompress&) = delete;

    // Published properties and events.
    TCompressEvent OnCompress;
    TExpandEvent OnExpand;
    TFilenameCheckEvent OnCheckFile;
    TRecognizeEvent OnRecognize;
    TShowProgressEvent OnShowProgress;
    const std::string& TargetPath() const { return targetPath_; }
    void SetTargetPath(const std::string& path);  // adds the trailing "\" to a non-empty path
    bool MakeDirectories = false;
    bool ExceptionOnFileError = false;
    int32_t Key = 0;
    bool CheckSpaceBeforeExpand = false;

    // Compressing: the output may be at most the source size minus this many bytes.
    int32_t BudgetReserve = 0;

    // Appends one line per entry (the stored name, with a new TCompressedFileInfo).
    void ListArchive(const std::string& ArchiveName, TStringList& List);
    // Expands every entry (List null) or those named in List; on return List holds the full
    // paths of the files created.
    void ExpandArchive(const std::string& ArchiveName, TStringList* List);

    // One codec run with this component's key, budget reserve and progress handler.
    void ProcessStream(TStream& dest, TStream& source, int32_t sourceSize, int32_t uncompressedSize,
                       TCompressionMethod method, uint32_t& checksum, bool expanding,
                       bool keyedData);

protected:
    TArchiveHeader ReadArchiveHeader(TStream& archive);
    TCompressionMethod LookupMethod(const std::string& id);
    // False when no further whole entry header (with its name) is there.
    bool ReadFileHeader(TStream& archive, TFileHeader& header, std::string& name);
    // True when `entry` lies past the bytes the archive header's total counts (`found` of
    // them already met). A total of 0 or below before an entry that has data would expand
    // nothing: such a header is refused.
    static bool PastHeaderTotal(const TArchiveHeader& archiveHeader, int64_t found,
                                const TFileHeader& entry);
    void ExpandEntry(TStream& archive, TStream& dest, const TFileHeader& header);
    int32_t FreeSpaceFor(const std::string& path);
    void MakeDirectoryPath(const std::string& dir);

private:
    friend class TArchiveWriter;
    ProcessOptions RunOptions() const;

    std::string targetPath_;
    std::string archiveMethodID_;  // of the archive being expanded, for OnExpand
    std::unique_ptr<TCompThreadSafety> state_;
};

}  // namespace zov::compress
