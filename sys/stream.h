#pragma once
// Byte streams: the abstract TStream, files through the system interface, and memory.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sys/exception.h"
#include "sys/system.h"

namespace zov {

class TStream {
public:
    virtual ~TStream() = default;
    // Moves up to `count` bytes; returns how many were moved (0 at the end).
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    virtual int32_t Write(const void* buffer, int32_t count) = 0;
    virtual int64_t Seek(int64_t offset, sys::SeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, sys::SeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, sys::SeekOrigin::Begin); }
    virtual int64_t Size();
    int64_t Remaining() { return Size() - Position(); }

    // All or nothing: raise EReadError "Stream read error" / EWriteError "Stream write error".
    void ReadBuffer(void* buffer, int32_t count);
    void WriteBuffer(const void* buffer, int32_t count);
    // Copies `count` bytes from `source` (all of it from its start when count is 0).
    int64_t CopyFrom(TStream& source, int64_t count);
};

class TFileStream : public TStream {
public:
    // Raises EFOpenError "Cannot open file %s" (opening) or EFCreateError
    // "Cannot create file %s" (creating) when the system refuses.
    TFileStream(const std::string& path, sys::FileAccess access, sys::FileCreate create,
                sys::FileShare share);
    static std::unique_ptr<TFileStream> OpenRead(const std::string& path,
                                                 sys::FileShare share = sys::FileShare::DenyWrite);
    static std::unique_ptr<TFileStream> Create(const std::string& path);

    int32_t Read(void* buffer, int32_t count) override;
    // Writes all or raises EWriteError naming the file, its drive and the reason.
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, sys::SeekOrigin origin) override;
    int64_t Size() override;

    const std::string& FileName() const { return path_; }
    sys::File& Handle() { return *file_; }

private:
    std::string path_;
    std::unique_ptr<sys::File> file_;
};

// "Cannot write PATH (drive C:): reason" for the last failed write.
std::string WriteFailureText(const std::string& path);
// The failure of a write to `path` that has just failed or stopped short (a full disk), and
// its words ("Cannot write PATH (drive C:): reason").
sys::Failure WriteFailure(const std::string& path);
std::string WriteFailureText(const sys::Failure& failure);

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, sys::SeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }

    const std::vector<uint8_t>& Bytes() const { return data_; }
    std::vector<uint8_t>& Bytes() { return data_; }
    void Clear() { data_.clear(); pos_ = 0; }

private:
    std::vector<uint8_t> data_;
    size_t pos_ = 0;
};

}  // namespace zov
