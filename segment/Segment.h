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
    // named here is checked as it is read into the scratch files the container expands
    // from, so no disk is read twice and no byte is written to scratch twice; nothing read
    // from it is expanded (nor is a record of it trusted) before its end has been read and
    // found good, and a damaged one is asked for again and read from its start. Segments not
    // named are used as they are read.
    TSegChecks SegChecks;

    // Repaints the form the component lies on, after the SegPopUp question has covered it.
    TEvent<void()> RepaintOwner;

    // The product the set carries, as the user knows it: a wrong disk then says which disk it
    // is ("This is disk 3 of TITLE; insert disk 2."), or that it is another product's. Empty:
    // "Incorrect segmented mounted!".
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
    // Opens segment `number`, asking until a good one is there; sets up reading it.
    std::unique_ptr<TFileStream> MountSegment(uint16_t number);

    // Run state, readable by derived components and their tests.
    uint16_t segNumber_ = 0;
    std::string segPath_;
    std::string segFileName_;
    bool abort_ = false;
    TSegMode mode_ = smIdle;

private:
    class EventsOff;
    // Where the reading is in the set's logical stream: the field its bytes go to and what
    // is known of the record being read (a scan's name goes straight into its list entry).
    // Kept as it was when each checked segment was mounted, so that a damaged one can be
    // read again from its start; a finished scan or archive waits as its cursor.
    struct TCursor {
        uint8_t Field = 0;
        uint16_t Count = 0;  // archives in the set
        uint16_t Scans = 0;  // scan records read whole
        int Wanted = 0;      // once the caller has chosen: the list's archive whose data come next
        int Slot = -1;       // the scratch file the field's data go to; -1: none
        bool Ruled = false;  // the archive being read is wanted (Slot) or skipped (no Slot)
        uint16_t Index = 0;  // in the list: of a scan, of a wanted archive
        int64_t Size = 0, Left = 0;  // of the field
        uint8_t Record[TSegHeader::kSize] = {};
        TSegScanHeader Scan;
        TSegArcHeader Arc;
    };
    // The mounted segment is segment `found` (`foreign`: of another medium), not the one asked for.
    std::string WrongDiskText(uint16_t found, bool foreign) const;
    std::string DiskName() const;
    // Raises what is wrong with a record of the segment being read: `message`, and the
    // failure that names the segment file with it.
    [[noreturn]] void Fail(const char* message) const;
    // What is wrong with the segment file, `what` following its name ("Disk #2 (disk.002)").
    sys::Failure Problem(uint32_t code, const std::string& what) const;
    // A record that cannot be right: raised now, or for a checked segment once it proves
    // good (a damaged one is asked for again instead).
    void Bad(const char* message);
    // The prompts declined the disk: the run ends, cancelled, with what was asked about.
    [[noreturn]] void Stop(const std::string& message, sys::Failure failure);
    void AskForDisk();
    // Opens the mounted segment file if it is the one wanted; else `problem` says what is
    // wrong with it.
    std::unique_ptr<TFileStream> OpenIfGood(uint16_t number, sys::Failure& problem);
    void Mount(uint16_t number);
    void CloseSegment();
    // The segment cannot be used after all: everything read from it is undone, and the
    // prompts are asked for it again.
    void Damaged(const sys::Failure& problem);
    void ReadSet();
    // Takes `count` bytes of the logical stream; returns how many it used (it stops after a
    // scan or an archive read whole from a segment that is not checked).
    int32_t Feed(const uint8_t* bytes, int32_t count);
    void Start(uint8_t field, int64_t size);
    void FieldDone();
    // The list index of archive `seq` when its data are wanted, -1 when skipped, -2 when it
    // is out of sequence. The caller has chosen and wants more.
    int Rule(uint16_t seq);
    // The list index of the archive `arc` reads when its data are expanded, else -1; raises
    // for one out of sequence. The caller has chosen.
    int IndexOf(const TCursor& arc);
    // Expands what was read whole, once nothing of it can be damaged.
    void Commit();
    void CommitScan(const TCursor& scan);
    std::string SlotPath(int slot) const;
    int OpenSlot();
    void DropSlot(int slot);
    // Closes and deletes every scratch file but `kept`, and forgets what waited to be expanded.
    void DropSlots(int kept);
    void EndRun();
    std::string FileListPath() const;
    void ReadFileList(TSegArc& arc, int32_t width);

    std::string segBaseName_ = kDefaultSegBaseName;
    std::string segDir_ = kDefaultSegDir;
    std::string segExt_;
    bool segPopUp_ = true;
    int32_t segSize_ = kDefaultSegSize;
    std::string segTmpDir_;

    TDiskPrompts* prompts_ = nullptr;  // during a run
    TSegArcList* list_ = nullptr;
    std::unique_ptr<TFileStream> segment_;
    const TSegCheck* check_ = nullptr;  // of the open segment, when it is checked
    uint16_t mediumMark_ = 0;           // segment 1's: every segment of the medium has it
    uint32_t crc_ = 0;                  // of its bytes read so far
    int64_t segBytesLeft_ = 0;
    const char* bad_ = nullptr;         // what Bad held back
    std::unique_ptr<uint8_t[]> buffer_;  // the run's 64 KB transfer buffer
    TCursor cur_, saved_;
    int listed_ = 0;  // archives in the list when the segment was mounted
    bool decided_ = false;  // OnSegBeforeExpand has chosen the archives
    // Scans and archives read whole, to be expanded once their segment proves good.
    std::vector<TCursor> done_;
    // The scratch files the data go to, open until expanded.
    std::vector<std::unique_ptr<TFileStream>> slots_;
    std::string fileListPath_;
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
