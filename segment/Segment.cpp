#include "segment/Segment.h"

#include <algorithm>
#include <cstring>

#include "compress/archive_paths.h"
#include "segment/file_list.h"
#include "sys/decimal.h"
#include "sys/system.h"
#include "ui/dialogs.h"

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
const char* const kRetryHint = "Correct and then press OK, or Cancel to abort";
const char* const kGoodCopyHint = "Insert a good copy and then press OK, or Cancel to abort";
const char* const kSpoolExt = ".$S$";
const char* const kFileListExt = ".$L$";
constexpr int32_t kBufferSize = 8192;

void DeleteIfNamed(const std::string& path) {
    if (!path.empty()) DeleteFileForced(path);
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

void TSegCompress::Cancel(const std::string& reason) {
    abort_ = true;
    throw ESegError(reason);
}

void TSegCompress::CheckAbort() {
    if (abort_) throw ESegError(kAborted);
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

std::string TSegCompress::SpoolSegment(const TSegCheck& check) {
    const std::string disk = "Disk #" + DecimalText(segNumber_) + " (" + segFileName_ + ")";
    std::unique_ptr<TFileStream> in;
    try {
        in = TFileStream::OpenRead(segPath_, sys::FileShare::Exclusive);
    } catch (const std::exception&) {
        return disk + " cannot be read.";
    }
    const int64_t size = in->Size();
    // Of another medium: its size is not the one written (a copy cut short reads the same).
    if (size != check.Size) return WrongDiskText();
    spoolPath_ = segTmpDir_ + "\\" + segBaseName_ + kSpoolExt;
    std::unique_ptr<TFileStream> out;
    try {
        out = TFileStream::Create(spoolPath_);
    } catch (const std::exception&) {
        spoolPath_.clear();
        throw ESegError(kStreamOpenFailed);
    }
    uint32_t crc = 0;
    std::string damage;
    // Not the transfer buffer: the read that needs this segment may be filling that one.
    const auto piece = std::make_unique<uint8_t[]>(kBufferSize);
    for (int64_t left = size; left > 0;) {
        int32_t n = -1;
        try {
            n = in->Read(piece.get(), static_cast<int32_t>(std::min<int64_t>(left, kBufferSize)));
        } catch (const std::exception&) {
        }
        if (n <= 0) {
            damage = disk + " cannot be read to its end.";
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
        ui::Dlg().ProcessMessages();
    }
    out.reset();
    if (damage.empty() && crc != check.Crc)
        damage = disk + " is damaged: its data differ from the ones written.";
    if (!damage.empty()) CloseSegment();
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

void TSegCompress::PromptForSegment() {
    if (segPopUp_) {
        const std::string caption = "Mount Segment #" + DecimalText(segNumber_);
        for (;;) {
            std::string typed = segDir_;
            if (!ui::Dlg().InputQuery(caption, "Directory Path:", typed)) {
                abort_ = true;
                break;
            }
            if (!typed.empty()) {
                segDir_ = typed;  // as typed, not lower-cased
                break;
            }
        }
        if (RepaintOwner) RepaintOwner();
        CheckAbort();
        BuildSegName(segDir_);
    }
    if (OnSegBefore) OnSegBefore(mode_, segFileName_, segNumber_);
    CheckAbort();
}

std::unique_ptr<TFileStream> TSegCompress::MountSegment(uint16_t number) {
    segNumber_ = number;
    BuildSegName(segDir_);
    for (;;) {
        PromptForSegment();
        std::string message, reason;
        if (FileExists(segPath_)) {
            TSegIDHeader id;
            try {
                auto probe = TFileStream::OpenRead(segPath_, sys::FileShare::Exclusive);
                uint8_t bytes[TSegIDHeader::kSize];
                if (probe->Read(bytes, TSegIDHeader::kSize) != TSegIDHeader::kSize)
                    throw ESegError(kStreamOpenFailed);
                id = TSegIDHeader::Decode(bytes);
            } catch (const std::exception&) {
                throw ESegError(kStreamOpenFailed);
            }
            if (id.ID != kSegIDTag) throw ESegError(kStreamOpenFailed);
            const TSegCheck* check = FindSegCheck(SegChecks, segFileName_);
            std::string damage;
            if (id.SegNumber == number && check) damage = SpoolSegment(*check);
            if (id.SegNumber == number && damage.empty()) {
                std::unique_ptr<TFileStream> stream;
                try {
                    stream = TFileStream::OpenRead(spoolPath_.empty() ? segPath_ : spoolPath_,
                                                   sys::FileShare::Exclusive);
                    segBytesLeft_ = stream->Size();
                } catch (const std::exception&) {
                    throw ESegError(kStreamOpenFailed);
                }
                return stream;
            }
            reason = damage.empty() ? WrongDiskText() : damage;
            message = reason + "\n\r" + (reason == WrongDiskText() ? kRetryHint : kGoodCopyHint);
        } else {
            reason = MissingDiskText(number, segPath_);
            message = "Unable to locate \"" + segFileName_ + "\" on this segment!\n\r" + kRetryHint;
        }
        if (ui::Dlg().MessageDlg(message, "Error", ui::mbOK | ui::mbCancel,
                                 ui::TMsgDlgType::mtError) != ui::mrOk)
            Cancel(reason);
    }
}

void TSegCompress::ReadSegmentID() {
    uint8_t bytes[TSegIDHeader::kSize];
    if (segment_->Read(bytes, TSegIDHeader::kSize) != TSegIDHeader::kSize ||
        TSegIDHeader::Decode(bytes).ID != kSegIDTag)
        throw ESegError(kBadSegmentID);
    segBytesLeft_ -= TSegIDHeader::kSize;
}

void TSegCompress::ReadSegmented(uint8_t* buffer, int32_t count) {
    int32_t got = 0;
    while (got < count) {
        if (segBytesLeft_ <= 0) {
            CloseSegment();
            if (OnSegAfter) OnSegAfter(mode_, segFileName_, segNumber_);
            CheckAbort();
            segment_ = MountSegment(static_cast<uint16_t>(segNumber_ + 1));
            ReadSegmentID();
            continue;
        }
        const auto want = static_cast<int32_t>(
            std::min<int64_t>({count - got, kBufferSize, segBytesLeft_}));
        const int32_t n = segment_->Read(buffer + got, want);
        // A segment shorter than its size said (a bad disk, a file cut while reading)
        // must not be retried forever.
        if (n <= 0) throw ESegError(kStreamReadFailed);
        got += n;
        segBytesLeft_ -= n;
        ui::Dlg().ProcessMessages();
    }
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
    std::unique_ptr<TFileStream> out;
    try {
        out = TFileStream::Create(tempArcPath_);
    } catch (const std::exception&) {
        throw ESegError(kStreamOpenFailed);
    }
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
    if (scan.ID != kScanTag) throw ESegError(kBadScanID);

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
    } catch (const std::exception&) {
        DeleteIfNamed(fileListPath_);
        throw ESegError(kStreamOpenFailed);
    }
    try {
        int64_t remaining = list->Size();
        // A width outside 1..8191 cannot be read: none would end, or overrun the buffer.
        if (remaining > 0 && (width < 1 || width > TSegScanHeader::kMaxListWidth))
            throw ESegError(kStreamReadFailed);
        while (remaining > 0) {
            std::memset(buffer_.get(), 0, kBufferSize);
            const auto n = static_cast<int32_t>(std::min<int64_t>(width, remaining));
            if (list->Read(buffer_.get(), n) != n) throw ESegError(kStreamReadFailed);
            arc.Files.Add(NameFromRecord(buffer_.get(), static_cast<size_t>(n)));
            remaining -= n;
        }
    } catch (const std::exception&) {
        list.reset();
        DeleteFileForced(fileListPath_);
        throw ESegError(kStreamReadFailed);
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
        if (header.ID != kArcTag) throw ESegError(kBadArchiveID);
        if (header.SeqNumber == arc.SeqNumber) break;
        if (header.SeqNumber > arc.SeqNumber) throw ESegError(kBadSequence);
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
    CheckAbort();
}

void TSegCompress::ExpandSegments(TSegArcList& ArcList) {
    abort_ = false;
    mode_ = smExpand;
    buffer_ = std::make_unique<uint8_t[]>(kBufferSize);
    try {
        ForceDirectories(segTmpDir_);
        ArcList.Clear();
        segment_ = MountSegment(1);
        ReadSegmentID();
        uint8_t raw[TSegHeader::kSize] = {};
        ReadSegmented(raw, TSegHeader::kSize);
        const TSegHeader header = TSegHeader::Decode(raw);
        if (header.ID != kSegHeaderTag) throw ESegError(kBadSetHeader);
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
        CheckAbort();
        for (int i = 0; i < ArcList.Count(); ++i) ExpandSegArchive(ArcList[i]);
    } catch (...) {
        CloseSegment();
        buffer_.reset();
        throw;
    }
    CloseSegment();
    buffer_.reset();
}

TSegCompEZ::TSegCompEZ() = default;

void TSegCompEZ::ExpandSegmentSet() {
    SetTargetPath("");
    ExpandSegments(segArcList_);
    segSource_.clear();
    for (int i = 0; i < segArcList_.Count(); ++i) segSource_.push_back(segArcList_[i].Template);
    SetTargetPath("");
}

}  // namespace zov::segment
