#include "sys/emu/emu_file.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

namespace zov::sys::emu {
namespace {

bool Reads(FileAccess a) { return a != FileAccess::Write; }
bool Writes(FileAccess a) { return a != FileAccess::Read; }
bool SharesRead(FileShare s) { return s != FileShare::Exclusive; }
bool SharesWrite(FileShare s) { return s == FileShare::DenyNone; }

class EmuFile : public File {
public:
    EmuFile(int fd, MachineState::FileId id, FileAccess access, FileShare share,
            std::shared_ptr<MachineState> state, bool failReads)
        : fd_(fd), id_(id), handle_{access, share}, state_(std::move(state)),
          failReads_(failReads) {
        state_->open.emplace(id_, &handle_);
    }
    ~EmuFile() override {
        for (auto it = state_->open.lower_bound(id_); it != state_->open.upper_bound(id_); ++it) {
            if (it->second == &handle_) {
                state_->open.erase(it);
                break;
            }
        }
        ::close(fd_);
    }

    bool Fail(uint32_t code) {
        state_->lastError = code;
        return false;
    }
    bool Read(void* buffer, uint32_t count, uint32_t& done) override {
        done = 0;
        if (failReads_) return Fail(kErrorReadFault);
        while (done < count) {
            const ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, count - done);
            if (n < 0) return Fail(kErrorReadFault);
            if (n == 0) break;
            done += static_cast<uint32_t>(n);
        }
        return true;
    }
    bool Write(const void* buffer, uint32_t count, uint32_t& done) override {
        done = 0;
        uint32_t allowed = count;
        if (state_->writeBudget && *state_->writeBudget < count)
            allowed = static_cast<uint32_t>(*state_->writeBudget);
        while (done < allowed) {
            const ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, allowed - done);
            if (n <= 0) return Fail(errno == ENOSPC ? kErrorDiskFull : kErrorWriteFault);
            done += static_cast<uint32_t>(n);
        }
        if (state_->writeBudget) *state_->writeBudget -= done;
        return done == count || Fail(kErrorDiskFull);
    }
    bool Seek(int64_t offset, SeekOrigin origin, int64_t& position) override {
        const int whence = origin == SeekOrigin::Begin     ? SEEK_SET
                           : origin == SeekOrigin::Current ? SEEK_CUR
                                                           : SEEK_END;
        const off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
        if (r < 0) return false;
        position = r;
        return true;
    }
    bool Flush() override { return ::fsync(fd_) == 0 || Fail(kErrorWriteFault); }
    int64_t Size() override {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
    }
    bool SetDosTime(uint16_t dosDate, uint16_t dosTime) override {
        struct tm t {};
        t.tm_year = ((dosDate >> 9) & 0x7F) + 80;
        t.tm_mon = ((dosDate >> 5) & 0x0F) - 1;
        t.tm_mday = dosDate & 0x1F;
        t.tm_hour = (dosTime >> 11) & 0x1F;
        t.tm_min = (dosTime >> 5) & 0x3F;
        t.tm_sec = (dosTime & 0x1F) * 2;
        t.tm_isdst = -1;
        if (t.tm_mon < 0 || t.tm_mon > 11 || t.tm_mday < 1 || t.tm_hour > 23 || t.tm_min > 59 ||
            t.tm_sec > 59)
            return false;  // DosDateTimeToFileTime refuses such fields
        const time_t when = mktime(&t);
        if (when == static_cast<time_t>(-1)) return false;
        struct timespec times[2];
        times[0].tv_sec = when;
        times[0].tv_nsec = 0;
        times[1] = times[0];
        return ::futimens(fd_, times) == 0;
    }
    bool GetDosTime(uint16_t& dosDate, uint16_t& dosTime) override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) return false;
        struct tm t {};
        time_t when = st.st_mtime;
        if (!localtime_r(&when, &t) || t.tm_year < 80 || t.tm_year > 80 + 127) return false;
        dosDate = static_cast<uint16_t>(((t.tm_year - 80) << 9) | ((t.tm_mon + 1) << 5) | t.tm_mday);
        dosTime = static_cast<uint16_t>((t.tm_hour << 11) | (t.tm_min << 5) | (t.tm_sec / 2));
        return true;
    }

private:
    int fd_;
    MachineState::FileId id_;
    MachineState::Handle handle_;
    std::shared_ptr<MachineState> state_;
    bool failReads_;
};

}  // namespace

bool MachineState::MayOpen(const FileId& id, FileAccess access, FileShare share) const {
    for (auto it = open.lower_bound(id); it != open.upper_bound(id); ++it) {
        const Handle& h = *it->second;
        if (Reads(access) && !SharesRead(h.share)) return false;
        if (Writes(access) && !SharesWrite(h.share)) return false;
        if (Reads(h.access) && !SharesRead(share)) return false;
        if (Writes(h.access) && !SharesWrite(share)) return false;
    }
    return true;
}

std::unique_ptr<File> MakeEmuFile(int fd, MachineState::FileId id, FileAccess access,
                                  FileShare share, std::shared_ptr<MachineState> state,
                                  bool failReads) {
    return std::make_unique<EmuFile>(fd, id, access, share, std::move(state), failReads);
}

namespace {

class NullDeviceFile : public File {
public:
    bool Read(void*, uint32_t, uint32_t& done) override {
        done = 0;
        return true;
    }
    bool Write(const void*, uint32_t count, uint32_t& done) override {
        done = count;
        return true;
    }
    bool Seek(int64_t, SeekOrigin, int64_t& position) override {
        position = 0;
        return true;
    }
    int64_t Size() override { return 0; }
    bool SetDosTime(uint16_t, uint16_t) override { return true; }
    bool GetDosTime(uint16_t& dosDate, uint16_t& dosTime) override {
        dosDate = dosTime = 0;
        return true;
    }
};

}  // namespace

std::unique_ptr<File> MakeNullDeviceFile() { return std::make_unique<NullDeviceFile>(); }

}  // namespace zov::sys::emu
