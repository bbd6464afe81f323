#include "segment/Segment.h"

#include <algorithm>
#include <cstring>

#include "compress/archive_paths.h"
#include "segment/file_list.h"
#include "sys/concat.h"
#include "sys/decimal.h"
#include "sys/system.h"

namespace zov::segment {
namespace {

const char* const kAborted = "Operation aborted by user";
const char* const kStreamOpenFailed = "Stream open failed";
const char* const kStreamReadFailed = "Stream read failed";
const char* const kBadSetHeader = "Invalid Segment Header ID";
const char* const kBadScanID = "Invalid Scan ID Header";
const char* const kBadArchiveID = "Invalid Archive ID Header";
const char* const kBadSequence = "Invalid Archive sequence number";
const char* const kFileListExt = ".$L$";
constexpr int32_t kBufferSize = 65536;

// What the bytes at the reading position are. A finished scan or archive waiting to be
// expanded keeps the field of its data; fEnd there marks where the caller chooses the
// archives.
enum : uint8_t { fSetHeader, fScanHeader, fName, fScanData, fArcHeader, fArcData, fEnd };

void DeleteIfNamed(const std::string& path) {
    if (!path.empty()) DeleteFileForced(path);
}

// What went wrong with a scratch file the run makes, named, for the message and the failure.
[[noreturn]] void FailScratch(const char* message, const sys::Failure& failure) {
    throw ESegError(std::string(message) + ": " + failure.Describe(), failure);
}

// Creates a scratch file, or raises why it cannot be made.
std::unique_ptr<TFileStream> CreateScratch(const std::string& path) {
    try {
        return TFileStream::Create(path);
    } catch (const Exception& e) {
        FailScratch(kStreamOpenFailed, e.Failure());
    }
}

}  // namespace

// Keeps the caller's container events away from the scan data: while it lives the five
// events are unassigned, and it gives them back when it ends, also on failure.
class TSegCompress::EventsOff {
public:
    explicit EventsOff(TSegCompress& c)
        : c_(c),
          compress_(std::move(c.OnCompress)),
          expand_(std::move(c.OnExpand)),
          recognize_(std::move(c.OnRecognize)),
          checkFile_(std::move(c.OnCheckFile)),
          progress_(std::move(c.OnShowProgress)) {
        c.OnCompress = nullptr;
        c.OnExpand = nullptr;
        c.OnRecognize = nullptr;
        c.OnCheckFile = nullptr;
        c.OnShowProgress = nullptr;
    }
    ~EventsOff() {
        c_.OnCompress = std::move(compress_);
        c_.OnExpand = std::move(expand_);
        c_.OnRecognize = std::move(recognize_);
        c_.OnCheckFile = std::move(checkFile_);
        c_.OnShowProgress = std::move(progress_);
    }
    EventsOff(const EventsOff&) = delete;
    EventsOff& operator=(const EventsOff&) = delete;

private:
    TSegCompress& c_;
    compress::TCompressEvent compress_;
    compress::TExpandEvent expand_;
    compress::TRecognizeEvent recognize_;
    compress::TFilenameCheckEvent checkFile_;
    compress::TShowProgressEvent progress_;
};

TSegCompress::TSegCompress() { SetSegTmpDir(""); }
TSegCompress::~TSegCompress() = default;

void TSegCompress::SetSegBaseName(const std::string& value) {
    segBaseName_ = NormalizeSegBaseName(value);
}

void TSegCompress::SetSegDir(const std::string& value) {
    segDir_ = value.empty() ? kDefaultSegDir : LowerCase(value);
}

void TSegCompress::SetSegExt(const std::string& value) { segExt_ = value.substr(0, 3); }

void TSegCompress::SetSegSize(int32_t value) { segSize_ = std::max(value, kMinSegSize); }

void TSegCompress::SetSegTmpDir(const std::string& value) {
    const std::string dir = value.empty() ? sys::Sys().GetCurrentDirectory() : value;
    segTmpDir_ = LowerCase(WithoutTrailingBackslash(dir));
}

std::string MissingDiskText(uint16_t number, const std::string& path) {
    return "disk " + DecimalText(number) + " (" + path + ") is missing";
}

std::string TSegCompress::DiskName() const {
    return "Disk #" + DecimalText(segNumber_) + " (" + segFileName_ + ")";
}

void TSegCompress::Fail(const char* message) const {
    throw ESegError(message, sys::Failure{sys::kErrorInvalidData, segPath_, message});
}

sys::Failure TSegCompress::Problem(uint32_t code, const std::string& what) const {
    return {code, segPath_, DiskName() + what};
}

void TSegCompress::Stop(const std::string& message, sys::Failure failure) {
    abort_ = true;
    throw ESegError(message, std::move(failure));
}

std::string TSegCompress::WrongDiskText(uint16_t found, bool foreign) const {
    if (MediumTitle.empty()) return "Incorrect segmented mounted!";
    const std::string wanted = DecimalText(segNumber_);
    if (foreign) return Concat({"This disk belongs to another product, not to ", MediumTitle, "; insert disk ", wanted, "."});
    if (found == segNumber_)  // by its size: of another build of the product, or a copy cut short
        return Concat({"This disk ", wanted, " is not the one made for this medium of ", MediumTitle,
                       "; insert the right disk ", wanted, "."});
    // Without marks (an older medium) the disk may be of another medium as well.
    return Concat({"This is disk ", DecimalText(found), mediumMark_ ? " of " : ", not disk " + wanted + " of ", MediumTitle,
                   "; insert disk ", wanted, "."});
}

void TSegCompress::Bad(const char* message) {
    if (!check_) Fail(message);
    bad_ = message;
    cur_.Field = fEnd;
}

void TSegCompress::CloseSegment() { segment_.reset(); }

// Whatever name the scan data store for the file list, it is written here: inside
// SegTmpDir, under a name no crafted entry can choose.
std::string TSegCompress::FileListPath() const {
    return JoinPath(segTmpDir_, segBaseName_ + kFileListExt);
}

// The first scratch file has the name the temporary archive always had; more are open only
// while a checked segment holds the ends of several scans or archives.
std::string TSegCompress::SlotPath(int slot) const {
    return JoinPath(segTmpDir_, segBaseName_ + ".$" + (slot ? DecimalText(slot) : "A$"));
}

int TSegCompress::OpenSlot() {
    size_t slot = 0;
    while (slot < slots_.size() && slots_[slot]) ++slot;
    if (slot == slots_.size()) slots_.emplace_back();
    const std::string path = SlotPath(static_cast<int>(slot));
    DeleteFileForced(path);
    slots_[slot] = CreateScratch(path);
    return static_cast<int>(slot);
}

void TSegCompress::DropSlot(int slot) {
    slots_[static_cast<size_t>(slot)].reset();
    DeleteFileForced(SlotPath(slot));
}

void TSegCompress::DropSlots(int kept) {
    for (size_t slot = 0; slot < slots_.size(); ++slot)
        if (static_cast<int>(slot) != kept) DropSlot(static_cast<int>(slot));
    done_.clear();
}

void TSegCompress::BuildSegName(const std::string& dir) {
    segFileName_ = SegFileName(segBaseName_, segExt_, segNumber_);
    segPath_ = JoinPath(dir, segFileName_);
}

void TSegCompress::AskForDisk() {
    std::string dir = segDir_;
    if (!prompts_->InsertDisk(segNumber_, segPath_, dir)) {
        if (FileExists(segPath_)) Stop(kAborted, {sys::kErrorSuccess, segPath_, kAborted});
        Stop(MissingDiskText(segNumber_, segPath_),
             {sys::kErrorFileNotFound, segPath_, sys::StandardErrorText(sys::kErrorFileNotFound)});
    }
    if (!dir.empty()) segDir_ = dir;  // as typed, not lower-cased
    if (segPopUp_ && RepaintOwner) RepaintOwner();
    BuildSegName(segDir_);
}

void TSegCompress::PromptForSegment() {
    if (segPopUp_) AskForDisk();
    if (OnSegBefore) OnSegBefore(mode_, segFileName_, segNumber_);
}

std::unique_ptr<TFileStream> TSegCompress::OpenIfGood(uint16_t number, sys::Failure& problem) {
    std::unique_ptr<TFileStream> stream;
    uint8_t bytes[TSegIDHeader::kSize];
    try {
        stream = TFileStream::OpenRead(segPath_, sys::FileShare::Exclusive);
        if (stream->Read(bytes, TSegIDHeader::kSize) != TSegIDHeader::kSize) {
            problem = Problem(sys::kErrorInvalidData, " is not a segment file: it is too short.");
            return nullptr;
        }
    } catch (const Exception& e) {
        problem = Problem(e.Failure().code, " cannot be read: " + e.Failure().text + ".");
        return nullptr;
    }
    const TSegIDHeader id = TSegIDHeader::Decode(bytes);
    check_ = FindSegCheck(SegChecks, segFileName_);
    if (id.ID != kSegIDTag) {
        problem = Problem(sys::kErrorInvalidData, " is not a segment file.");
        return nullptr;
    }
    if (number == 1) mediumMark_ = id.Reserved;
    // A marked medium's segments all carry its mark: one without it is another medium's.
    const bool foreign = mediumMark_ != 0 && id.Reserved != mediumMark_;
    if (foreign || id.SegNumber != number || (check_ && stream->Size() != check_->Size)) {
        problem = {sys::kErrorInvalidData, segPath_, WrongDiskText(id.SegNumber, foreign)};
        return nullptr;
    }
    segBytesLeft_ = stream->Size() - TSegIDHeader::kSize;
    crc_ = Crc32Update(0, bytes, TSegIDHeader::kSize);
    return stream;
}

std::unique_ptr<TFileStream> TSegCompress::MountSegment(uint16_t number) {
    segNumber_ = number;
    BuildSegName(segDir_);
    for (;;) {
        PromptForSegment();
        if (!FileExists(segPath_)) {
            // With SegPopUp the question before each segment asks for it again.
            if (!segPopUp_) AskForDisk();
            continue;
        }
        sys::Failure problem;
        if (auto stream = OpenIfGood(number, problem)) return stream;
        if (!prompts_->RetryDisk(number, problem.text)) Stop(problem.text, problem);
    }
}

// Every mount of a segment starts from what was read before it.
void TSegCompress::Mount(uint16_t number) {
    segment_ = MountSegment(number);
    saved_ = cur_;
    listed_ = list_->Count();
    bad_ = nullptr;
}

void TSegCompress::Damaged(const sys::Failure& problem) {
    CloseSegment();
    DropSlots(saved_.Slot);
    cur_ = saved_;
    while (list_->Count() > listed_) list_->Delete(list_->Count() - 1);
    if (cur_.Field == fName) (*list_)[cur_.Index].Template.resize(static_cast<size_t>(cur_.Size - cur_.Left));
    if (cur_.Slot >= 0) slots_[static_cast<size_t>(cur_.Slot)]->SetPosition(cur_.Size - cur_.Left);
    if (!prompts_->RetryDisk(segNumber_, problem.text)) Stop(problem.text, problem);
    Mount(segNumber_);
}

void TSegCompress::Start(uint8_t field, int64_t size) {
    cur_.Field = field;
    cur_.Size = cur_.Left = std::max<int64_t>(size, 0);
    if (cur_.Left == 0 && field != fEnd) FieldDone();
}

int TSegCompress::Rule(uint16_t seq) {
    const uint16_t wanted = (*list_)[cur_.Wanted].SeqNumber;
    if (seq < wanted) return -1;  // an archive the caller removed
    return seq > wanted ? -2 : cur_.Wanted++;
}

int TSegCompress::IndexOf(const TCursor& arc) {
    if (arc.Ruled) return arc.Slot >= 0 ? arc.Index : -1;
    // Read before the caller chose; none is wanted after the last it kept.
    const int rule = cur_.Wanted < list_->Count() ? Rule(arc.Arc.SeqNumber) : -1;
    if (rule == -2) Fail(kBadSequence);
    return rule;
}

void TSegCompress::FieldDone() {
    const uint8_t field = cur_.Field;
    if (field == fScanHeader) {
        cur_.Scan = TSegScanHeader::Decode(cur_.Record);
        if (cur_.Scan.ID != kScanTag) return Bad(kBadScanID);
        auto arc = std::make_unique<TSegArc>();
        arc->ArcByte = cur_.Scan.ArchiveByte;
        arc->SeqNumber = cur_.Index = cur_.Scans;
        list_->Add(std::move(arc));
        return Start(fName, cur_.Scan.NameLength);
    }
    if (field == fName) {
        TSegArc& arc = (*list_)[cur_.Index];
        arc.Template.resize(std::min(arc.Template.find('\0'), arc.Template.size()));
        arc.Path = compress::DirectoryPart(arc.Template);
        cur_.Slot = OpenSlot();
        return Start(fScanData, cur_.Scan.ScanSize);
    }
    if (field == fArcHeader) {
        if (decided_ && cur_.Wanted >= list_->Count()) return Start(fEnd, 0);
        cur_.Arc = TSegArcHeader::Decode(cur_.Record);
        if (cur_.Arc.ID != kArcTag) return Bad(kBadArchiveID);
        cur_.Ruled = decided_;
        // Before the caller has chosen, every archive is kept until it has.
        const int rule = decided_ ? Rule(cur_.Arc.SeqNumber) : 0;
        if (rule == -2) return Bad(kBadSequence);
        cur_.Index = static_cast<uint16_t>(rule);
        cur_.Slot = rule >= 0 ? OpenSlot() : -1;
        return Start(fArcData, cur_.Arc.DataSize);
    }
    if (field == fSetHeader) {
        const TSegHeader header = TSegHeader::Decode(cur_.Record);
        if (header.ID != kSegHeaderTag) return Bad(kBadSetHeader);
        cur_.Count = header.Count;
    } else {
        if (field == fScanData) ++cur_.Scans;
        if (cur_.Slot >= 0) done_.push_back(cur_);
        cur_.Slot = -1;
    }
    // What follows the set header, a scan or an archive.
    if (cur_.Scans < cur_.Count) return Start(fScanHeader, TSegScanHeader::kSize);
    if (field != fArcData) {  // the scans are read: the caller chooses once they are expanded
        cur_.Field = fEnd;
        done_.push_back(cur_);
    }
    Start(decided_ && cur_.Wanted >= list_->Count() ? fEnd : fArcHeader, TSegArcHeader::kSize);
}

int32_t TSegCompress::Feed(const uint8_t* bytes, int32_t count) {
    int32_t used = 0;
    while (used < count && cur_.Field != fEnd) {
        const auto n = static_cast<int32_t>(std::min<int64_t>(count - used, cur_.Left));
        const uint8_t* from = bytes + used;
        if (cur_.Field == fName) {
            (*list_)[cur_.Index].Template.append(reinterpret_cast<const char*>(from), static_cast<size_t>(n));
        } else if (cur_.Field == fScanData || cur_.Field == fArcData) {
            if (cur_.Slot >= 0) slots_[static_cast<size_t>(cur_.Slot)]->WriteBuffer(from, n);
        } else {
            std::memcpy(cur_.Record + (cur_.Size - cur_.Left), from, static_cast<size_t>(n));
        }
        cur_.Left -= n;
        used += n;
        if (cur_.Field == fArcData && cur_.Ruled && cur_.Slot >= 0 && OnSegShowProgress)
            OnSegShowProgress(static_cast<int32_t>((cur_.Size - cur_.Left) * 100 / cur_.Size));
        if (cur_.Left == 0) FieldDone();
        if (!check_ && !done_.empty()) break;
    }
    return used;
}

void TSegCompress::CommitScan(const TCursor& scan) {
    const std::string path = SlotPath(scan.Slot);
    slots_[static_cast<size_t>(scan.Slot)].reset();
    {
        // Only the first entry (the file list) is expanded, and only to FileListPath.
        EventsOff off(*this);
        const std::string savedTarget = TargetPath();
        bool first = true;
        OnCheckFile = [this, &first](std::string& target, compress::TCProcessMode) {
            target = first ? FileListPath() : "*";
            first = false;
        };
        SetTargetPath(JoinPath(segTmpDir_, ""));
        TStringList list;
        try {
            ListArchive(path, list);
            ExpandArchive(path, &list);
        } catch (...) {
            SetTargetPath(savedTarget);
            DeleteFileForced(FileListPath());
            throw;
        }
        SetTargetPath(savedTarget);
        fileListPath_ = list.Count() > 0 ? list[0] : std::string();
    }
    DropSlot(scan.Slot);
    ReadFileList((*list_)[scan.Index], scan.Scan.ListWidth);
}

void TSegCompress::ReadFileList(TSegArc& arc, int32_t width) {
    std::unique_ptr<TFileStream> list;
    try {
        list = TFileStream::OpenRead(fileListPath_, sys::FileShare::Exclusive);
    } catch (const Exception& e) {
        const sys::Failure failure = e.Failure();
        DeleteIfNamed(fileListPath_);
        FailScratch(kStreamOpenFailed, failure);
    }
    try {
        int64_t remaining = list->Size();
        // A width outside 1..8191 cannot be read: none would end, or overrun the buffer.
        if (remaining > 0 && (width < 1 || width > TSegScanHeader::kMaxListWidth))
            throw Exception(kStreamReadFailed, {sys::kErrorInvalidData, segPath_, "the file list's width is out of range"});
        while (remaining > 0) {
            std::memset(buffer_.get(), 0, static_cast<size_t>(width) + 1);
            const auto n = static_cast<int32_t>(std::min<int64_t>(width, remaining));
            if (list->Read(buffer_.get(), n) != n)
                throw Exception(kStreamReadFailed, {sys::kErrorReadFault, fileListPath_, "the file list ends early"});
            arc.Files.Add(NameFromRecord(buffer_.get(), static_cast<size_t>(n)));
            remaining -= n;
        }
    } catch (const Exception& e) {
        const sys::Failure failure = e.Failure();
        list.reset();
        DeleteFileForced(fileListPath_);
        FailScratch(kStreamReadFailed, failure);
    }
    list.reset();
    DeleteFileForced(fileListPath_);
}

void TSegCompress::Commit() {
    for (TCursor& item : done_) {
        if (item.Field == fScanData) {
            CommitScan(item);
        } else if (item.Field == fEnd) {
            if (OnSegBeforeExpand) OnSegBeforeExpand(*list_);
            decided_ = true;
        } else {
            const int index = IndexOf(item);
            if (index < 0) {
                DropSlot(item.Slot);
                continue;
            }
            TSegArc& arc = (*list_)[index];
            slots_[static_cast<size_t>(item.Slot)].reset();
            MakeDirectories = true;
            SetTargetPath(arc.Path);
            ExpandArchive(SlotPath(item.Slot), &arc.Files);
            if (OnSegAfterArchive) OnSegAfterArchive(item.Arc, arc.Template);
            DropSlot(item.Slot);
        }
    }
    done_.clear();
    if (!decided_) return;
    // The archive being read when the caller chose.
    if (cur_.Field == fArcData && !cur_.Ruled) {
        const int index = IndexOf(cur_);
        cur_.Ruled = true;
        cur_.Index = static_cast<uint16_t>(index);
        if (index < 0) {
            DropSlot(cur_.Slot);
            cur_.Slot = -1;
        }
    }
    if (cur_.Wanted >= list_->Count() && (cur_.Field == fArcHeader || (cur_.Field == fArcData && cur_.Slot < 0)))
        cur_.Field = fEnd;
}

// Segment after segment: its bytes are read once, in pieces, into the scratch files; what
// a checked segment completes is expanded once its last byte is read and its CRC is right.
void TSegCompress::ReadSet() {
    for (;;) {
        if (segBytesLeft_ > 0 && (check_ || cur_.Field != fEnd)) {
            const auto want = static_cast<int32_t>(std::min<int64_t>(segBytesLeft_, kBufferSize));
            int32_t n = 0;
            sys::Failure failure;
            try {
                n = segment_->Read(buffer_.get(), want);
            } catch (const Exception& e) {
                failure = e.Failure();
            }
            // Shorter than its size said (a bad disk, a file cut or swapped while read).
            if (n <= 0) {
                if (!failure.Failed())
                    failure = {sys::kErrorReadFault, segPath_,
                               check_ ? sys::StandardErrorText(sys::kErrorReadFault) : "it ends before the size it gives"};
                if (!check_) FailScratch(kStreamReadFailed, failure);
                Damaged(Problem(failure.code, " cannot be read to its end: " + failure.text + "."));
                continue;
            }
            segBytesLeft_ -= n;
            if (check_) crc_ = Crc32Update(crc_, buffer_.get(), static_cast<size_t>(n));
            for (int32_t used = 0; used < n;) {
                used += Feed(buffer_.get() + used, n - used);
                if (!check_) Commit();
                if (cur_.Field == fEnd) break;
            }
            prompts_->Pump();
            continue;
        }
        if (check_ && crc_ != check_->Crc) {
            Damaged(Problem(sys::kErrorInvalidData, " is damaged: its data differ from the ones written."));
            continue;
        }
        if (bad_) Fail(bad_);
        Commit();
        if (cur_.Field == fEnd) return;
        CloseSegment();
        if (OnSegAfter) OnSegAfter(mode_, segFileName_, segNumber_);
        Mount(static_cast<uint16_t>(segNumber_ + 1));
    }
}

void TSegCompress::EndRun() {
    CloseSegment();
    DropSlots(-1);
    slots_.clear();
    cur_ = saved_ = TCursor();
    buffer_.reset();
    prompts_ = nullptr;
    list_ = nullptr;
}

void TSegCompress::ExpandSegments(TSegArcList& ArcList, TDiskPrompts& prompts) {
    abort_ = false;
    decided_ = false;
    mode_ = smExpand;
    prompts_ = &prompts;
    list_ = &ArcList;
    buffer_ = std::make_unique<uint8_t[]>(kBufferSize);
    try {
        // Not made: the first scratch file the run creates names the reason.
        ForceDirectories(segTmpDir_);
        ArcList.Clear();
        Start(fSetHeader, TSegHeader::kSize);
        Mount(1);
        ReadSet();
    } catch (...) {
        EndRun();
        throw;
    }
    EndRun();
}

TSegCompEZ::TSegCompEZ() = default;

void TSegCompEZ::ExpandSegmentSet(TDiskPrompts& prompts) {
    SetTargetPath("");
    ExpandSegments(segArcList_, prompts);
    segSource_.clear();
    for (int i = 0; i < segArcList_.Count(); ++i) segSource_.push_back(segArcList_[i].Template);
    SetTargetPath("");
}

}  // namespace zov::segment
