#include "segment/seg_records.h"

#include <cstring>

namespace zov::segment {
namespace {

// A little-endian cursor over a record's bytes.
class Packer {
public:
    explicit Packer(uint8_t* p) : p_(p) {}
    void ID(const RecordID& id) { Bytes(id.data(), 4); }
    void U8(uint8_t v) { *p_++ = v; }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void I32(int32_t v) {
        const uint32_t u = static_cast<uint32_t>(v);
        U16(static_cast<uint16_t>(u));
        U16(static_cast<uint16_t>(u >> 16));
    }
    void Bytes(const void* src, size_t n) {
        std::memcpy(p_, src, n);
        p_ += n;
    }

private:
    uint8_t* p_;
};

class Unpacker {
public:
    explicit Unpacker(const uint8_t* p) : p_(p) {}
    RecordID ID() {
        RecordID id;
        Bytes(id.data(), 4);
        return id;
    }
    uint8_t U8() { return *p_++; }
    uint16_t U16() {
        const uint16_t lo = U8();
        return static_cast<uint16_t>(lo | (U8() << 8));
    }
    int32_t I32() {
        const uint32_t lo = U16();
        return static_cast<int32_t>(lo | (static_cast<uint32_t>(U16()) << 16));
    }
    void Bytes(void* dst, size_t n) {
        std::memcpy(dst, p_, n);
        p_ += n;
    }

private:
    const uint8_t* p_;
};

}  // namespace

void TSegIDHeader::Encode(uint8_t* out) const {
    Packer p(out);
    p.ID(ID);
    p.U16(Reserved);
    p.U16(SegNumber);
}

TSegIDHeader TSegIDHeader::Decode(const uint8_t* in) {
    Unpacker u(in);
    TSegIDHeader h;
    h.ID = u.ID();
    h.Reserved = u.U16();
    h.SegNumber = u.U16();
    return h;
}

void TSegHeader::Encode(uint8_t* out) const {
    Packer p(out);
    p.ID(ID);
    p.U16(Reserved);
    p.U16(Count);
    p.U8(Flags);
    p.Bytes(Extra.data(), Extra.size());
}

TSegHeader TSegHeader::Decode(const uint8_t* in) {
    Unpacker u(in);
    TSegHeader h;
    h.ID = u.ID();
    h.Reserved = u.U16();
    h.Count = u.U16();
    h.Flags = u.U8();
    u.Bytes(h.Extra.data(), h.Extra.size());
    return h;
}

void TSegScanHeader::Encode(uint8_t* out) const {
    Packer p(out);
    p.ID(ID);
    p.U16(Reserved);
    p.U16(NameLength);
    p.U8(ArchiveByte);
    p.I32(ListWidth);
    p.I32(ScanSize);
}

TSegScanHeader TSegScanHeader::Decode(const uint8_t* in) {
    Unpacker u(in);
    TSegScanHeader h;
    h.ID = u.ID();
    h.Reserved = u.U16();
    h.NameLength = u.U16();
    h.ArchiveByte = u.U8();
    h.ListWidth = u.I32();
    h.ScanSize = u.I32();
    return h;
}

void TSegArcHeader::Encode(uint8_t* out) const {
    Packer p(out);
    p.ID(ID);
    p.U16(Reserved);
    p.U16(SeqNumber);
    p.Bytes(Extra.data(), Extra.size());
    p.I32(DataSize);
}

TSegArcHeader TSegArcHeader::Decode(const uint8_t* in) {
    Unpacker u(in);
    TSegArcHeader h;
    h.ID = u.ID();
    h.Reserved = u.U16();
    h.SeqNumber = u.U16();
    u.Bytes(h.Extra.data(), h.Extra.size());
    h.DataSize = u.I32();
    return h;
}

}  // namespace zov::segment
