// Linked into every program on the medium (cmake/ShippedPrograms.cmake): how the unwinder
// finds the unwind record of a code address while an exception passes. The library's
// version sorts every record into tables on the first exception and keeps them behind a
// lock; one program registers one table of records, and a walk through it for each frame
// costs nothing that a thrown error would notice.
#include "sys/win32/frame_lookup.h"

#include <windows.h>

#include <cstring>

#include "sys/win32/unwind_table.h"

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

// A walk through the records, which are sorted by code address, up to the one that holds pc.
bool FindFrameRecord(uintptr_t pc, FrameRecord& out) {
    for (const Registered* entry = registered; entry; entry = entry->next) {
        const unsigned char* const table = entry->records;
        if (Read32(table) != kUnwindTableMagic) UnreadableUnwindTable();
        const int32_t personality = static_cast<int32_t>(Read32(table + 4));
        const unsigned char* const pool = table + Read32(table + 12);
        const unsigned char* p = table + kUnwindTableHeader;
        out.cieProgram = p;
        out.cieEnd = p += table[23];
        out.setUpEnd = p + 1 + *p;
        out.setUp = p + 1;
        p = out.setUpEnd;
        out.tearDownEnd = p + 1 + *p;
        out.tearDown = p + 1;
        p = out.tearDownEnd;
        uintptr_t end = reinterpret_cast<uintptr_t>(table) + static_cast<int32_t>(Read32(table + 16));
        uintptr_t lsda = reinterpret_cast<uintptr_t>(table);
        for (uint32_t count = Read32(table + 8); count; --count) {
            const uintptr_t start = end + ReadUleb128(p);
            end = start + ReadUleb128(p);
            const uint32_t program = ReadUleb128(p);
            if (program & 1) lsda += ReadSleb128(p);
            if (pc < start) break;
            if (pc >= end) continue;
            const unsigned char* instructions = pool;
            for (uint32_t skip = program >> 3;; --skip) {
                const uint32_t length = ReadUleb128(instructions);
                if (!skip) {
                    out.program = instructions;
                    out.end = instructions + length;
                    break;
                }
                instructions += length;
            }
            if (!(program & 2)) out.setUp = out.setUpEnd;
            if (!(program & 4)) out.tearDown = out.tearDownEnd;
            out.start = start;
            out.lsda = program & 1 ? lsda : 0;
            out.personality =
                program & 1 ? Read32(table + personality) : 0;  // the cell holds the handler's address
            out.codeAlign = table[20];
            out.dataAlign = static_cast<signed char>(table[21]);
            out.returnColumn = table[22];
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
