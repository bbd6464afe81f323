#pragma once
// Segmented archives: a set of archives carried across numbered segment files, possibly on
// several disks. TSegCompress reads a set: it mounts segment after segment (asking for the
// right disk when one is missing or wrong), reads the records across segment boundaries
// and expands each archive through the container. TSegCompEZ expands a whole set in one
// call. The writing side is in segment/seg_writer.h and segment/set_builder.h.
//
// The reader asks nothing itself: a missing, wrong, damaged or unreadable segment goes to
// the TDiskPrompts its caller passes to the run, and every failure it raises carries the
// segment's (or scratch file's) path and what is wrong (zov::Exception::Failure()).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "compress/Compress.h"
#include "segment/seg_arc.h"
#include "segment/seg_check.h"
#include "segment/seg_names.h"
#include "segment/seg_prompts.h"
#include "segment/seg_records.h"
#include "sys/event.h"
#include "sys/exception.h"
#include "sys/stream.h"

namespace zov::segment {

ZOV_EXCEPTION(ESegError);
// "disk N (PATH) is missing": why a prompt for a segment file came up.
std::string MissingDiskText(uint16_t number, const std::string& path);

// What a component is doing when it reports a segment; an expansion run passes smExpand.
enum TSegMode : uint8_t { smIdle = 0, smExpand = 1 };

// Before each attempt to open a segment.
using TSegBeforeEvent =
    TEvent<void(TSegMode SegMode, const std::string& SegName, uint16_t SegNumber)>;
// When a segment has been read to its end and the next one is needed.
using TSegAfterEvent = TSegBeforeEvent;
// Once, after the scan records: the handler may remove archives (they are skipped) but
// must keep the rest in ascending sequence order.
using TSegBeforeExpandEvent = TEvent<void(TSegArcList& SegArcList)>;
using TSegAfterArchiveEvent =
    TEvent<void(TSegArcHeader& SegArcHdr, const std::string& Template)>;
// Progress of copying one archive's data out of the segments.
using TSegShowProgressEvent = TEvent<void(int32_t PercentageDone)>;

class TSegCompress : public compress::TCompress {
public:
    TSegCompress();
    ~TSegCompress() override;

    // Published properties.
    const std::string& SegBaseName() const { return segBaseName_; }
    void SetSegBaseName(const std::string& value);  // file-name part, lower-cased
    const std::string& SegDir() const { return segDir_; }
    void SetSegDir(const std::string& value);       // lower-cased; empty gives "a:\"
    const std::string& SegExt() const { return segExt_; }
    void SetSegExt(const std::string& value);       // at most three characters
    bool SegPopUp() const { return segPopUp_; }
    void SetSegPopUp(bool value) { segPopUp_ = value; }
    int32_t SegSize() const { return segSize_; }
    void SetSegSize(int32_t value);                 // at least 16384
    const std::string& SegTmpDir() const { return segTmpDir_; }
    void SetSegTmpDir(const std::string& value);    // empty gives the current directory

    TSegBeforeEvent OnSegBefore;
    TSegAfterEvent OnSegAfter;
    TSegBeforeExpandEvent OnSegBeforeExpand;
    TSegAfterArchiveEvent OnSegAfterArchive;
    TSegShowProgressEvent OnSegShowProgress;

    // Sizes and CRCs of the segments, by file name (see segment/seg_check.h). A segment
    // named here is copied whole into SegTmpDir as it is checked, and read from that copy,
    // so no byte of a damaged disk is used and no disk is read twice; a damaged one is
    // asked for again. Segments not named are read as they are.
    TSegChecks SegChecks;

    // Repaints the form the component lies on, after the SegPopUp question has covered it.
    TEvent<void()> RepaintOwner;

    // The product the set carries, as the user knows it: a wrong disk is then "not disk N
    // of" it. Empty: "Incorrect segmented mounted!".
    std::string MediumTitle;

    // Expands the whole set, filling ArcList with one TSegArc per archive. `prompts` is
    // asked for each disk that is missing (before each one when SegPopUp is set) or cannot
    // be used; it is pumped while data are read.
    void ExpandSegments(TSegArcList& ArcList, TDiskPrompts& prompts);

    // The last run ended because the prompts declined a disk: what they declined is the
    // exception's message ("disk 2 (A:\disk.002) is missing", what is wrong with it).
    bool Cancelled() const { return abort_; }

protected:
    void BuildSegName(const std::string& dir);
    void PromptForSegment();
    std::unique_ptr<TFileStream> MountSegment(uint16_t number);
    void ReadSegmented(uint8_t* buffer, int32_t count);
    void ReadScan(TSegArc& arc);
    void ExpandSegArchive(TSegArc& arc);

    // Run state, readable by derived components and their tests.
    uint16_t segNumber_ = 0;
    std::string segPath_;
    std::string segFileName_;
    bool abort_ = false;
    TSegMode mode_ = smIdle;

private:
    class EventsOff;
    std::string WrongDiskText() const;
    std::string DiskName() const;
    // Raises what is wrong with the segment being read: `message`, and the failure that
    // names the segment file with the reason.
    [[noreturn]] void Fail(const std::string& message, uint32_t code, const std::string& reason) const;
    // The prompts declined the disk: the run ends, cancelled, with what was asked about.
    [[noreturn]] void Stop(const std::string& message, sys::Failure failure);
    void AskForDisk();
    // Opens the mounted segment file if it is the one wanted and good; else `problem` says
    // what is wrong with it.
    std::unique_ptr<TFileStream> OpenIfGood(uint16_t number, sys::Failure& problem);
    void CloseSegment();
    std::string TempArchivePath() const;
    std::string FileListPath() const;
    // Creates the temporary archive and fills it with `size` bytes of the logical stream;
    // `onPiece` sees the bytes copied so far after each piece.
    void CopyToTempArchive(int64_t size, const TEvent<void(int64_t copied)>& onPiece);
    void SkipSegmented(int64_t size);
    void ReadFileList(TSegArc& arc, int32_t width);
    void ReadSegmentID();
    // Copies the mounted segment into the spool file while checking it; returns what is
    // wrong with it, or nothing (not Failed()) when it is good.
    sys::Failure SpoolSegment(const TSegCheck& check);
    int32_t ReadSegment(uint8_t* buffer, int32_t count);

    std::string segBaseName_ = kDefaultSegBaseName;
    std::string segDir_ = kDefaultSegDir;
    std::string segExt_;
    bool segPopUp_ = true;
    int32_t segSize_ = kDefaultSegSize;
    std::string segTmpDir_;

    TDiskPrompts* prompts_ = nullptr;  // during a run
    std::unique_ptr<TFileStream> segment_;
    std::unique_ptr<uint8_t[]> buffer_;  // the run's 8192-byte transfer buffer
    int64_t segBytesLeft_ = 0;
    std::string tempArcPath_;
    std::string fileListPath_;
    std::string spoolPath_;  // the checked copy of the open segment, when there is one
};

// Builder settings kept by TSegCompEZ.
enum TBuildMode : uint8_t { bmFlat = 0, bmRecursive = 1 };

class TSegCompEZ : public TSegCompress {
public:
    TSegCompEZ();

    TBuildMode SegBuildMode = bmRecursive;
    compress::TCompressionMethod SegCompType = compress::coLZH;
    bool SegMultiArc = false;
    const std::vector<std::string>& SegSource() const { return segSource_; }
    void SetSegSource(const std::vector<std::string>& lines) { segSource_ = lines; }

    TSegArcList& SegArcList() { return segArcList_; }

    // Expands the whole set into SegArcList; afterwards SegSource holds the template of
    // every archive in the list. TargetPath is empty before and after.
    void ExpandSegmentSet(TDiskPrompts& prompts);

private:
    TSegArcList segArcList_;
    std::vector<std::string> segSource_;
};

}  // namespace zov::segment
