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

// What the start-up code registers (the table over its .eh_frame), kept in the storage it
// passes along.
struct Registered {
    const unsigned char* records;
    Registered* next;
};
Registered* registered = nullptr;

uint32_t Read32(const unsigned char* p) {
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

}  // namespace

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

bool FindFrameRecord(uintptr_t pc, FrameRecord& out) {
    for (const Registered* entry = registered; entry; entry = entry->next) {
        switch (LookUpUnwindTable(entry->records, pc, out)) {
            case TableLookup::kFound: return true;
            case TableLookup::kUnreadable: UnreadableUnwindTable();
            case TableLookup::kElsewhere: break;
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
