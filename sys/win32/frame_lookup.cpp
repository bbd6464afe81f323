// Linked into every program on the medium (cmake/ShippedPrograms.cmake): how the unwinder
// finds the unwind record of a code address while an exception passes. The library's
// version sorts every record into tables on the first exception and keeps them behind a
// lock, a tenth of the program; one program registers one table of records, and a walk
// through it for each frame costs nothing that a thrown error would notice.
#include <cstdint>
#include <cstring>

namespace {

// What the start-up code registers (its .eh_frame), kept in the storage it passes along.
struct Registered {
    const unsigned char* records;
    Registered* next;
};
Registered* registered = nullptr;

struct EhBases {  // the library's dwarf_eh_bases
    void* text;
    void* data;
    void* function;
};

constexpr unsigned char kOmit = 0xff;
constexpr unsigned char kPcRelative = 0x10;

uint32_t Read32(const unsigned char* p) {
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

const unsigned char* SkipLeb128(const unsigned char* p) {
    while (*p++ & 0x80) {
    }
    return p;
}

// Bytes of a fixed-size value in `encoding`; 0 for the others (variable-length numbers, or
// none at all).
unsigned EncodedSize(unsigned char encoding) {
    switch (encoding & 0x0f) {
        case 0x00: case 0x03: case 0x0b: return 4;  // pointer, 4-byte unsigned and signed
        case 0x02: case 0x0a: return 2;
        case 0x04: case 0x0c: return 8;
        default: return 0;
    }
}

// The encoding of the code addresses in the records that refer to `cie`.
unsigned char AddressEncoding(const unsigned char* cie) {
    const unsigned char version = cie[8];
    const char* augmentation = reinterpret_cast<const char*>(cie + 9);
    const unsigned char* p = cie + 9 + std::strlen(augmentation) + 1;
    if (augmentation[0] == '\0') return 0;  // plain addresses
    if (augmentation[0] != 'z') return kOmit;
    p = SkipLeb128(p);                     // code alignment
    p = SkipLeb128(p);                     // data alignment
    p = version == 1 ? p + 1 : SkipLeb128(p);  // return address column
    p = SkipLeb128(p);                     // augmentation length
    for (const char* a = augmentation + 1; *a; ++a) {
        if (*a == 'R') return *p;
        if (*a == 'L') {
            ++p;
        } else if (*a == 'P') {
            const unsigned char encoding = *p++;
            const unsigned size = EncodedSize(encoding);
            if (size == 0) return kOmit;
            p += size;
        } else if (*a != 'S' && *a != 'B') {
            return kOmit;
        }
    }
    return 0;
}

}  // namespace

extern "C" {

__attribute__((used)) void __register_frame_info(const void* records, void* storage) {
    if (!records || !Read32(static_cast<const unsigned char*>(records))) return;
    auto* entry = static_cast<Registered*>(storage);
    entry->records = static_cast<const unsigned char*>(records);
    entry->next = registered;
    registered = entry;
}

__attribute__((used)) void* __deregister_frame_info(const void* records) {
    for (Registered** link = &registered; *link; link = &(*link)->next) {
        if ((*link)->records != records) continue;
        Registered* entry = *link;
        *link = entry->next;
        return entry;
    }
    return nullptr;
}

// The record whose code range holds `pc`, or null (the exception then ends the program, as
// for a frame without one). Records with a zero start stand for code the link dropped.
__attribute__((used)) const void* _Unwind_Find_FDE(void* pc, EhBases* bases) {
    const auto address = reinterpret_cast<uintptr_t>(pc);
    for (const Registered* entry = registered; entry; entry = entry->next) {
        const unsigned char* cie = nullptr;
        unsigned char encoding = kOmit;
        for (const unsigned char* record = entry->records; uint32_t length = Read32(record);
             record += 4 + length) {
            if (length == 0xffffffff) break;  // 64-bit records: not in a 32-bit program
            const uint32_t cieOffset = Read32(record + 4);
            if (cieOffset == 0) continue;  // a CIE itself
            const unsigned char* ownCie = record + 4 - cieOffset;
            if (ownCie != cie) {
                cie = ownCie;
                encoding = AddressEncoding(cie);
            }
            if (EncodedSize(encoding) != 4) continue;
            const unsigned char* field = record + 8;
            uintptr_t start = Read32(field);
            if (start == 0) continue;
            if ((encoding & 0x70) == kPcRelative) start += reinterpret_cast<uintptr_t>(field);
            else if ((encoding & 0x70) != 0) continue;
            const uintptr_t range = Read32(field + 4);
            if (address - start < range) {
                bases->text = nullptr;
                bases->data = nullptr;
                bases->function = reinterpret_cast<void*>(start);
                return record;
            }
        }
    }
    return nullptr;
}

}  // extern "C"
