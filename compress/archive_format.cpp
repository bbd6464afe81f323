#include "compress/archive_format.h"

#include <algorithm>

namespace zov::compress {
namespace {

// Writes or reads fields one after another in little-endian order.
template <size_t N>
class FieldWriter {
public:
    void Bytes(const uint8_t* p, size_t n) {
        std::copy(p, p + n, out_.begin() + static_cast<long>(at_));
        at_ += n;
    }
    void U8(uint8_t v) { out_[at_++] = v; }
    void U16(uint16_t v) { Le(v, 2); }
    void U32(uint32_t v) { Le(v, 4); }
    const std::array<uint8_t, N>& Done() const { return out_; }

private:
    void Le(uint32_t v, int n) {
        for (int i = 0; i < n; ++i) out_[at_++] = static_cast<uint8_t>(v >> (8 * i));
    }
    std::array<uint8_t, N> out_{};
    size_t at_ = 0;
};

template <size_t N>
class FieldReader {
public:
    explicit FieldReader(const std::array<uint8_t, N>& in) : in_(in) {}
    void Bytes(uint8_t* p, size_t n) {
        std::copy(in_.begin() + static_cast<long>(at_), in_.begin() + static_cast<long>(at_ + n), p);
        at_ += n;
    }
    uint8_t U8() { return in_[at_++]; }
    uint16_t U16() { return static_cast<uint16_t>(Le(2)); }
    uint32_t U32() { return Le(4); }

private:
    uint32_t Le(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) v |= static_cast<uint32_t>(in_[at_++]) << (8 * i);
        return v;
    }
    const std::array<uint8_t, N>& in_;
    size_t at_ = 0;
};

}  // namespace

TArchiveHeaderBytes EncodeArchiveHeader(const TArchiveHeader& h) {
    FieldWriter<kArchiveHeaderSize> w;
    w.Bytes(h.Signature.data(), h.Signature.size());
    w.Bytes(reinterpret_cast<const uint8_t*>(h.MethodID.data()), h.MethodID.size());
    w.U32(static_cast<uint32_t>(h.TotalSize));
    w.U8(h.ArchiveType);
    w.U32(static_cast<uint32_t>(h.Reserved));
    w.U32(static_cast<uint32_t>(h.KeyMode));
    return w.Done();
}

TArchiveHeader DecodeArchiveHeader(const TArchiveHeaderBytes& bytes) {
    FieldReader r(bytes);
    TArchiveHeader h;
    r.Bytes(h.Signature.data(), h.Signature.size());
    r.Bytes(reinterpret_cast<uint8_t*>(h.MethodID.data()), h.MethodID.size());
    h.TotalSize = static_cast<int32_t>(r.U32());
    h.ArchiveType = r.U8();
    h.Reserved = static_cast<int32_t>(r.U32());
    h.KeyMode = static_cast<int32_t>(r.U32());
    return h;
}

TFileHeaderBytes EncodeFileHeader(const TFileHeader& h) {
    FieldWriter<kFileHeaderSize> w;
    w.U16(static_cast<uint16_t>(h.NameLength));
    w.U32(h.DosDateTime);
    w.U16(static_cast<uint16_t>(h.Attributes));
    w.U32(static_cast<uint32_t>(h.UncompressedSize));
    w.U32(static_cast<uint32_t>(h.CompressedSize));
    w.U8(h.Method);
    w.U32(h.Checksum);
    w.U32(static_cast<uint32_t>(h.LockMode));
    return w.Done();
}

TFileHeader DecodeFileHeader(const TFileHeaderBytes& bytes) {
    FieldReader r(bytes);
    TFileHeader h;
    h.NameLength = static_cast<int16_t>(r.U16());
    h.DosDateTime = r.U32();
    h.Attributes = static_cast<int16_t>(r.U16());
    h.UncompressedSize = static_cast<int32_t>(r.U32());
    h.CompressedSize = static_cast<int32_t>(r.U32());
    h.Method = r.U8();
    h.Checksum = r.U32();
    h.LockMode = static_cast<int32_t>(r.U32());
    return h;
}

}  // namespace zov::compress
