#include "segment/Segment.h"

#include <algorithm>
#include <cstring>

#include "compress/archive_paths.h"
#include "segment/file_list.h"
#include "sys/decimal.h"
#include "sys/system.h"

namespace zov::segment {
namespace {

const char* const kAborted = "Operation aborted by user";
const char* const kStreamOpenFailed = "Stream open failed";
const char* const kStreamReadFailed = "Stream read failed";
const char* const kBadSegmentID = "Invalid Segment ID Header";
const char* const kBadSetHeader = "Invalid Segment Header ID";
const char* const kBadScanID = "Invalid Scan ID Header";
const char* const kBadArchiveID = "Invalid Archive ID Header";
const char* const kBadSequence = "Invalid Archive sequence number";
const char* const kSpoolExt = ".$S$";
const char* const kFileListExt = ".$L$";
constexpr int32_t kBufferSize = 8192;

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

void TSegCompress::Fail(const std::string& message, uint32_t code, const std::string& reason) const {
    throw ESegError(message, sys::Failure{code, segPath_, reason});
}

void TSegCompress::Stop(const std::string& message, sys::Failure failure) {
    abort_ = true;
    throw ESegError(message, std::move(failure));
}

std::string TSegCompress::WrongDiskText() const {
    if (MediumTitle.empty()) return "Incorrect segmented mounted!";
    return "This is not disk " + DecimalText(segNumber_) + " of " + MediumTitle;
}

void TSegCompress::CloseSegment() {
    segment_.reset();
    if (!spoolPath_.empty()) sys::Sys().DeleteFile(spoolPath_);
    spoolPath_.clear();
}

sys::Failure TSegCompress::SpoolSegment(const TSegCheck& check) {
    std::unique_ptr<TFileStream> in;
    try {
        in = TFileStream::OpenRead(segPath_, sys::FileShare::Exclusive);
    } catch (const Exception& e) {
        return {e.Failure().code, segPath_, DiskName() + " cannot be read: " + e.Failure().text + "."};
    }
    const int64_t size = in->Size();
    // Of another medium: its size is not the one written (a copy cut short reads the same).
    if (size != check.Size) return {sys::kErrorInvalidData, segPath_, WrongDiskText()};
    spoolPath_ = segTmpDir_ + "\\" + segBaseName_ + kSpoolExt;
    std::unique_ptr<TFileStream> out;
    try {
        out = TFileStream::Create(spoolPath_);
    } catch (const Exception& e) {
        spoolPath_.clear();
        FailScratch(kStreamOpenFailed, e.Failure());
    }
    uint32_t crc = 0;
    sys::Failure damage;
    // Not the transfer buffer: the read that needs this segment may be filling that one.
    const auto piece = std::make_unique<uint8_t[]>(kBufferSize);
    for (int64_t left = size; left > 0;) {
        int32_t n = 0;
        sys::Failure failure{sys::kErrorReadFault, segPath_, sys::StandardErrorText(sys::kErrorReadFault)};
        try {
            n = in->Read(piece.get(), static_cast<int32_t>(std::min<int64_t>(left, kBufferSize)));
        } catch (const Exception& e) {
            failure = e.Failure();
        }
        if (n <= 0) {
            damage = {failure.code, segPath_, DiskName() + " cannot be read to its end: " + failure.text + "."};
            break;
        }
        crc = Crc32Update(crc, piece.get(), static_cast<size_t>(n));
        try {
            out->WriteBuffer(piece.get(), n);
        } catch (const EWriteError&) {
            out.reset();
            CloseSegment();
            throw;
        }
        left -= n;
        prompts_->Pump();
    }
    out.reset();
    if (!damage.Failed() && crc != check.Crc)
        damage = {sys::kErrorInvalidData, segPath_, DiskName() + " is damaged: its data differ from the ones written."};
    if (damage.Failed()) CloseSegment();
    return damage;
}

std::string TSegCompress::TempArchivePath() const {
    return JoinPath(segTmpDir_, segBaseName_ + kTempArchiveExt);
}

// Whatever name the scan data store for the file list, it is written here: inside
// SegTmpDir, under a name no crafted entry can choose.
std::string TSegCompress::FileListPath() const {
    return JoinPath(segTmpDir_, segBaseName_ + kFileListExt);
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
    TSegIDHeader id;
    try {
        auto probe = TFileStream::OpenRead(segPath_, sys::FileShare::Exclusive);
        uint8_t bytes[TSegIDHeader::kSize];
        if (probe->Read(bytes, TSegIDHeader::kSize) != TSegIDHeader::kSize) {
            problem = {sys::kErrorInvalidData, segPath_, DiskName() + " is not a segment file: it is too short."};
            return nullptr;
        }
        id = TSegIDHeader::Decode(bytes);
    } catch (const Exception& e) {
        problem = {e.Failure().code, segPath_, DiskName() + " cannot be read: " + e.Failure().text + "."};
        return nullptr;
    }
    if (id.ID != kSegIDTag) {
        problem = {sys::kErrorInvalidData, segPath_, DiskName() + " is not a segment file."};
        return nullptr;
    }
    if (id.SegNumber != number) {
        problem = {sys::kErrorInvalidData, segPath_, WrongDiskText()};
        return nullptr;
    }
    if (const TSegCheck* check = FindSegCheck(SegChecks, segFileName_)) {
        problem = SpoolSegment(*check);
        if (problem.Failed()) return nullptr;
    }
    const std::string path = spoolPath_.empty() ? segPath_ : spoolPath_;
    try {
        auto stream = TFileStream::OpenRead(path, sys::FileShare::Exclusive);
        segBytesLeft_ = stream->Size();
        return stream;
    } catch (const Exception& e) {
        problem = {e.Failure().code, path, DiskName() + " cannot be read: " + e.Failure().text + "."};
        CloseSegment();
        return nullptr;
    }
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

void TSegCompress::ReadSegmentID() {
    uint8_t bytes[TSegIDHeader::kSize];
    if (segment_->Read(bytes, TSegIDHeader::kSize) != TSegIDHeader::kSize ||
        TSegIDHeader::Decode(bytes).ID != kSegIDTag)
        Fail(kBadSegmentID, sys::kErrorInvalidData, kBadSegmentID);
    segBytesLeft_ -= TSegIDHeader::kSize;
}

void TSegCompress::ReadSegmented(uint8_t* buffer, int32_t count) {
    int32_t got = 0;
    while (got < count) {
        if (segBytesLeft_ <= 0) {
            CloseSegment();
            if (OnSegAfter) OnSegAfter(mode_, segFileName_, segNumber_);
            segment_ = MountSegment(static_cast<uint16_t>(segNumber_ + 1));
            ReadSegmentID();
            continue;
        }
        const auto want = static_cast<int32_t>(
            std::min<int64_t>({count - got, kBufferSize, segBytesLeft_}));
        const int32_t n = ReadSegment(buffer + got, want);
        got += n;
        segBytesLeft_ -= n;
        prompts_->Pump();
    }
}

// A segment shorter than its size said (a bad disk, a file cut while reading) must not be
// retried forever: no byte is a failure too.
int32_t TSegCompress::ReadSegment(uint8_t* buffer, int32_t count) {
    int32_t n = 0;
    try {
        n = segment_->Read(buffer, count);
    } catch (const Exception& e) {
        FailScratch(kStreamReadFailed, e.Failure());
    }
    if (n <= 0)
        FailScratch(kStreamReadFailed, {sys::kErrorReadFault, segPath_, "it ends before the size it gives"});
    return n;
}

void TSegCompress::SkipSegmented(int64_t size) {
    for (int64_t left = size; left > 0;) {
        const auto n = static_cast<int32_t>(std::min<int64_t>(left, kBufferSize));
        ReadSegmented(buffer_.get(), n);
        left -= n;
    }
}

void TSegCompress::CopyToTempArchive(int64_t size,
                                     const TEvent<void(int64_t copied)>& onPiece) {
    tempArcPath_ = TempArchivePath();
    DeleteFileForced(tempArcPath_);
    std::unique_ptr<TFileStream> out = CreateScratch(tempArcPath_);
    try {
        for (int64_t copied = 0; copied < size;) {
            const auto n = static_cast<int32_t>(std::min<int64_t>(size - copied, kBufferSize));
            ReadSegmented(buffer_.get(), n);
            out->WriteBuffer(buffer_.get(), n);
            copied += n;
            if (onPiece) onPiece(copied);
        }
    } catch (...) {
        out.reset();
        DeleteFileForced(tempArcPath_);
        throw;
    }
}

void TSegCompress::ReadScan(TSegArc& arc) {
    uint8_t raw[TSegScanHeader::kSize] = {};
    ReadSegmented(raw, TSegScanHeader::kSize);
    const TSegScanHeader scan = TSegScanHeader::Decode(raw);
    if (scan.ID != kScanTag) Fail(kBadScanID, sys::kErrorInvalidData, kBadScanID);

    // Read in pieces, so a length above the format's 8191 cannot overrun the buffer.
    std::string name;
    for (int32_t left = scan.NameLength; left > 0;) {
        const int32_t n = std::min(left, kBufferSize);
        ReadSegmented(buffer_.get(), n);
        name.append(reinterpret_cast<const char*>(buffer_.get()), static_cast<size_t>(n));
        left -= n;
    }
    arc.Template = name.substr(0, name.find('\0'));
    arc.Path = compress::DirectoryPart(arc.Template);
    arc.ArcByte = scan.ArchiveByte;
    arc.Files.Clear();

    CopyToTempArchive(scan.ScanSize, {});

    // Only the first entry (the file list) is expanded, and only to FileListPath.
    const std::string savedTarget = TargetPath();
    compress::TFilenameCheckEvent savedCheck = std::move(OnCheckFile);
    bool first = true;
    OnCheckFile = [this, &first](std::string& path, compress::TCProcessMode) {
        path = first ? FileListPath() : "*";
        first = false;
    };
    SetTargetPath(JoinPath(segTmpDir_, ""));
    TStringList list;
    try {
        ListArchive(tempArcPath_, list);
        ExpandArchive(tempArcPath_, &list);
    } catch (...) {
        OnCheckFile = std::move(savedCheck);
        SetTargetPath(savedTarget);
        DeleteFileForced(tempArcPath_);
        DeleteFileForced(FileListPath());
        throw;
    }
    OnCheckFile = std::move(savedCheck);
    fileListPath_ = list.Count() > 0 ? list[0] : std::string();
    SetTargetPath(savedTarget);
    DeleteFileForced(tempArcPath_);

    ReadFileList(arc, scan.ListWidth);
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
            std::memset(buffer_.get(), 0, kBufferSize);
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

void TSegCompress::ExpandSegArchive(TSegArc& arc) {
    TSegArcHeader header;
    for (;;) {
        uint8_t raw[TSegArcHeader::kSize] = {};
        ReadSegmented(raw, TSegArcHeader::kSize);
        header = TSegArcHeader::Decode(raw);
        if (header.ID != kArcTag) Fail(kBadArchiveID, sys::kErrorInvalidData, kBadArchiveID);
        if (header.SeqNumber == arc.SeqNumber) break;
        if (header.SeqNumber > arc.SeqNumber) Fail(kBadSequence, sys::kErrorInvalidData, kBadSequence);
        SkipSegmented(header.DataSize);  // an archive the caller removed from the list
    }

    const int64_t size = header.DataSize;
    CopyToTempArchive(size, [this, &size](int64_t copied) {
        if (OnSegShowProgress) OnSegShowProgress(static_cast<int32_t>(copied * 100 / size));
    });
    MakeDirectories = true;
    SetTargetPath(arc.Path);
    try {
        ExpandArchive(tempArcPath_, &arc.Files);
        if (OnSegAfterArchive) OnSegAfterArchive(header, arc.Template);
    } catch (...) {
        DeleteFileForced(tempArcPath_);
        throw;
    }
    DeleteFileForced(tempArcPath_);
}

void TSegCompress::ExpandSegments(TSegArcList& ArcList, TDiskPrompts& prompts) {
    abort_ = false;
    mode_ = smExpand;
    prompts_ = &prompts;
    buffer_ = std::make_unique<uint8_t[]>(kBufferSize);
    try {
        // Not made: the first scratch file the run creates names the reason.
        ForceDirectories(segTmpDir_);
        ArcList.Clear();
        segment_ = MountSegment(1);
        ReadSegmentID();
        uint8_t raw[TSegHeader::kSize] = {};
        ReadSegmented(raw, TSegHeader::kSize);
        const TSegHeader header = TSegHeader::Decode(raw);
        if (header.ID != kSegHeaderTag) Fail(kBadSetHeader, sys::kErrorInvalidData, kBadSetHeader);
        {
            EventsOff off(*this);
            for (uint16_t k = 0; k < header.Count; ++k) {
                auto arc = std::make_unique<TSegArc>();
                ReadScan(*arc);
                arc->SeqNumber = k;
                ArcList.Add(std::move(arc));
            }
        }
        if (OnSegBeforeExpand) OnSegBeforeExpand(ArcList);
        for (int i = 0; i < ArcList.Count(); ++i) ExpandSegArchive(ArcList[i]);
    } catch (...) {
        CloseSegment();
        buffer_.reset();
        prompts_ = nullptr;
        throw;
    }
    CloseSegment();
    buffer_.reset();
    prompts_ = nullptr;
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
