#pragma once
// A system that passes every call on to another one. Tests derive from it to change one
// behaviour (a file that lies about its size, a disk that fills up) and keep the rest.
#include "sys/forwarding_system.h"

namespace zov::test {

using ForwardingSystem = sys::ForwardingSystem;

// A file that passes every call on; derive to change one.
class ForwardingFile : public sys::File {
public:
    explicit ForwardingFile(std::unique_ptr<sys::File> inner) : inner_(std::move(inner)) {}
    bool Read(void* buffer, uint32_t count, uint32_t& done) override {
        return inner_->Read(buffer, count, done);
    }
    bool Write(const void* buffer, uint32_t count, uint32_t& done) override {
        return inner_->Write(buffer, count, done);
    }
    bool Seek(int64_t offset, sys::SeekOrigin origin, int64_t& position) override {
        return inner_->Seek(offset, origin, position);
    }
    int64_t Size() override { return inner_->Size(); }
    bool Flush() override { return inner_->Flush(); }
    bool SetDosTime(uint16_t dosDate, uint16_t dosTime) override {
        return inner_->SetDosTime(dosDate, dosTime);
    }
    bool GetDosTime(uint16_t& dosDate, uint16_t& dosTime) override {
        return inner_->GetDosTime(dosDate, dosTime);
    }

protected:
    sys::File& Inner() { return *inner_; }

private:
    std::unique_ptr<sys::File> inner_;
};

}  // namespace zov::test
