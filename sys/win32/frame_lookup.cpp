// Linked into every program on the medium (cmake/ShippedPrograms.cmake): how the unwinder
// finds the unwind record of a code address while an exception passes. The library's
// version sorts every record into tables on the first exception and keeps them behind a
// lock; one program registers one table of records, and a walk through it for each frame
// costs nothing that a thrown error would notice.
#include "sys/win32/frame_lookup.h"

#include <windows.h>

#include <cstring>

namespace zov::runtime {
namespace {

// What the start-up code registers (its .eh_frame), kept in the storage it passes along.
struct Registered {
    const unsigned char* records;
    Registered* next;
};
Registered* registered = nullptr;

constexpr unsigned char kOmit = 0xff;

uint32_t Read32(const unsigned char* p) {
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// A CIE: what the records that refer to it share.
struct Cie {
    const unsigned char* at = nullptr;
    const unsigned char* program;
    const unsigned char* end;
    uint32_t codeAlign;
    int32_t dataAlign;
    uint32_t returnColumn;
    uintptr_t personality;
    unsigned char addressEncoding;
    unsigned char lsdaEncoding;
    bool augmented;  // 'z': records carry a length of their own augmentation data
};

void ReadCie(const unsigned char* at, Cie& cie) {
    cie.at = at;
    cie.end = at + 4 + Read32(at);
    const unsigned char version = at[8];
    const char* augmentation = reinterpret_cast<const char*>(at + 9);
    const unsigned char* p = at + 9 + std::strlen(augmentation) + 1;
    if (version != 1 && version != 3) UnreadableUnwindTable();
    cie.codeAlign = ReadUleb128(p);
    cie.dataAlign = ReadSleb128(p);
    cie.returnColumn = version == 1 ? *p++ : ReadUleb128(p);
    cie.personality = 0;
    cie.addressEncoding = 0;
    cie.lsdaEncoding = kOmit;
    cie.augmented = augmentation[0] == 'z';
    if (cie.augmented) {
        const uint32_t length = ReadUleb128(p);
        const unsigned char* data = p;
        for (const char* a = augmentation + 1; *a; ++a) {
            if (*a == 'R') cie.addressEncoding = *data++;
            else if (*a == 'L') cie.lsdaEncoding = *data++;
            else if (*a == 'P') {
                const unsigned char encoding = *data++;
                cie.personality = ReadEncoded(data, encoding);
            } else {
                UnreadableUnwindTable();
            }
        }
        p += length;
    } else if (augmentation[0] != '\0') {
        UnreadableUnwindTable();
    }
    cie.program = p;
}

}  // namespace

uint32_t ReadUleb128(const unsigned char*& p) {
    uint32_t value = 0;
    unsigned shift = 0;
    unsigned char byte;
    do {
        byte = *p++;
        if (shift < 32) value |= static_cast<uint32_t>(byte & 0x7f) << shift;
        shift += 7;
    } while (byte & 0x80);
    return value;
}

int32_t ReadSleb128(const unsigned char*& p) {
    uint32_t value = 0;
    unsigned shift = 0;
    unsigned char byte;
    do {
        byte = *p++;
        if (shift < 32) value |= static_cast<uint32_t>(byte & 0x7f) << shift;
        shift += 7;
    } while (byte & 0x80);
    if (shift < 32 && (byte & 0x40)) value |= ~uint32_t{0} << shift;
    return static_cast<int32_t>(value);
}

// A value in one of the encodings GCC writes for 32-bit code: 4-byte or variable-length
// numbers, absolute or relative to where they are stored, possibly the address of the value.
uintptr_t ReadEncoded(const unsigned char*& p, unsigned char encoding) {
    const unsigned char* field = p;
    uintptr_t value;
    switch (encoding & 0x0f) {
        case 0x00: case 0x03: case 0x0b: value = Read32(p); p += 4; break;
        case 0x01: value = ReadUleb128(p); break;
        case 0x09: value = static_cast<uintptr_t>(ReadSleb128(p)); break;
        default: UnreadableUnwindTable();
    }
    switch (encoding & 0x70) {
        case 0x00: break;
        case 0x10: value += reinterpret_cast<uintptr_t>(field); break;
        default: UnreadableUnwindTable();
    }
    if (encoding & 0x80) value = Read32(reinterpret_cast<const unsigned char*>(value));
    return value;
}

[[noreturn]] void UnreadableUnwindTable() {
    static const char kText[] =
        "The program cannot go on: a table it needs to handle an error cannot be read.\r\n";
    HANDLE stream = GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (!stream || stream == INVALID_HANDLE_VALUE ||
        !WriteFile(stream, kText, sizeof kText - 1, &written, nullptr))
        MessageBoxA(nullptr, kText, nullptr, MB_OK | MB_ICONERROR);
    ExitProcess(3);
}

// Records with a zero start stand for code the link dropped.
bool FindFrameRecord(uintptr_t pc, FrameRecord& out) {
    Cie cie{};
    for (const Registered* entry = registered; entry; entry = entry->next) {
        for (const unsigned char* record = entry->records; uint32_t length = Read32(record);
             record += 4 + length) {
            if (length == 0xffffffff) UnreadableUnwindTable();  // 64-bit records
            const uint32_t cieOffset = Read32(record + 4);
            if (cieOffset == 0) continue;  // a CIE itself
            const unsigned char* ownCie = record + 4 - cieOffset;
            if (ownCie != cie.at) ReadCie(ownCie, cie);
            const unsigned char* p = record + 8;
            if (Read32(p) == 0) continue;
            const uintptr_t start = ReadEncoded(p, cie.addressEncoding);
            const uintptr_t range = ReadEncoded(p, cie.addressEncoding & 0x0f);
            if (pc - start >= range) continue;
            const unsigned char* program = p;
            out.lsda = 0;
            if (cie.augmented) {
                const uint32_t dataLength = ReadUleb128(p);
                program = p + dataLength;
                if (cie.lsdaEncoding != kOmit) out.lsda = ReadEncoded(p, cie.lsdaEncoding);
            }
            out.cieProgram = cie.program;
            out.cieEnd = cie.end;
            out.program = program;
            out.end = record + 4 + length;
            out.start = start;
            out.personality = cie.personality;
            out.codeAlign = cie.codeAlign;
            out.dataAlign = cie.dataAlign;
            out.returnColumn = cie.returnColumn;
            return true;
        }
    }
    return false;
}

}  // namespace zov::runtime

extern "C" {

__attribute__((used)) void __register_frame_info(const void* records, void* storage) {
    using zov::runtime::registered;
    if (!records || !zov::runtime::Read32(static_cast<const unsigned char*>(records))) return;
    auto* entry = static_cast<zov::runtime::Registered*>(storage);
    entry->records = static_cast<const unsigned char*>(records);
    entry->next = registered;
    registered = entry;
}

__attribute__((used)) void* __deregister_frame_info(const void* records) {
    using zov::runtime::registered;
    for (zov::runtime::Registered** link = &registered; *link; link = &(*link)->next) {
        if ((*link)->records != records) continue;
        zov::runtime::Registered* entry = *link;
        *link = entry->next;
        return entry;
    }
    return nullptr;
}

}  // extern "C"
