#include "sys/stream.h"
#include "sys/concat.h"

#include <algorithm>
#include <cstring>

namespace zov {

int64_t TStream::Size() {
    const int64_t here = Seek(0, sys::SeekOrigin::Current);
    const int64_t end = Seek(0, sys::SeekOrigin::End);
    Seek(here, sys::SeekOrigin::Begin);
    return end;
}

void TStream::ReadBuffer(void* buffer, int32_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(count, 61440)));
    int64_t left = count;
    while (left > 0) {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(left, buffer.size()));
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

TFileStream::TFileStream(const std::string& path, sys::FileAccess access, sys::FileCreate create,
                         sys::FileShare share)
    : path_(path), file_(sys::Sys().OpenFile(path, access, create, share)) {
    if (!file_) {
        // The reason is taken here, before any other call of the system can change it.
        if (create == sys::FileCreate::CreateAlways)
            throw EFCreateError("Cannot create file " + path, sys::FailureOf(path));
        throw EFOpenError("Cannot open file " + path, sys::FailureOf(path));
    }
}

std::unique_ptr<TFileStream> TFileStream::OpenRead(const std::string& path, sys::FileShare share) {
    return std::make_unique<TFileStream>(path, sys::FileAccess::Read, sys::FileCreate::OpenExisting,
                                         share);
}

std::unique_ptr<TFileStream> TFileStream::Create(const std::string& path) {
    return std::make_unique<TFileStream>(path, sys::FileAccess::ReadWrite,
                                         sys::FileCreate::CreateAlways, sys::FileShare::DenyWrite);
}

int32_t TFileStream::Read(void* buffer, int32_t count) {
    if (count <= 0) return 0;
    uint32_t done = 0;
    if (!file_->Read(buffer, static_cast<uint32_t>(count), done))
        throw EReadError("Stream read error", sys::FailureOf(path_));
    return static_cast<int32_t>(done);
}

sys::Failure WriteFailure(const std::string& path) {
    sys::Failure failure = sys::FailureOf(path);
    // A write that stops short without a system error has found its disk full.
    if (failure.code == sys::kErrorSuccess) {
        failure.code = sys::kErrorDiskFull;
        failure.text = sys::kDiskFullText;
    }
    return failure;
}

std::string WriteFailureText(const sys::Failure& failure) {
    const std::string& path = failure.path;
    const std::string drive = path.size() > 1 && path[1] == ':' ? " (drive " + path.substr(0, 2) + ")" : "";
    return Concat({"Cannot write ", path, drive, ": ", failure.text});
}

std::string WriteFailureText(const std::string& path) { return WriteFailureText(WriteFailure(path)); }

int32_t TFileStream::Write(const void* buffer, int32_t count) {
    if (count <= 0) return 0;
    uint32_t done = 0;
    // Raised here, while the system still knows why.
    if (!file_->Write(buffer, static_cast<uint32_t>(count), done) || done < static_cast<uint32_t>(count)) {
        const sys::Failure failure = WriteFailure(path_);
        throw EWriteError(WriteFailureText(failure), failure);
    }
    return static_cast<int32_t>(done);
}

int64_t TFileStream::Seek(int64_t offset, sys::SeekOrigin origin) {
    int64_t position = 0;
    if (!file_->Seek(offset, origin, position)) throw EStreamError("Stream seek error");
    return position;
}

int64_t TFileStream::Size() { return file_->Size(); }

int32_t TMemoryStream::Read(void* buffer, int32_t count) {
    if (count <= 0 || pos_ >= data_.size()) return 0;
    const size_t n = std::min<size_t>(static_cast<size_t>(count), data_.size() - pos_);
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return static_cast<int32_t>(n);
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
    if (count <= 0) return 0;
    const size_t end = pos_ + static_cast<size_t>(count);
    if (end > data_.size()) data_.resize(end);
    std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
    pos_ = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, sys::SeekOrigin origin) {
    int64_t base = 0;
    if (origin == sys::SeekOrigin::Current) base = static_cast<int64_t>(pos_);
    if (origin == sys::SeekOrigin::End) base = static_cast<int64_t>(data_.size());
    const int64_t target = base + offset;
    if (target < 0) throw EStreamError("Stream seek error");
    pos_ = static_cast<size_t>(target);
    return target;
}

}  // namespace zov
