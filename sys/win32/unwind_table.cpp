// The reading of the compact unwind table (unwind_table.h): linked into the programs on the
// medium built with the project's own run-time, and into the host's tests of
// tools/unwind_table, which read back what the tool writes.
#include "sys/win32/unwind_table.h"

#include <cstring>

#include "sys/win32/leb128.h"

namespace zov::runtime {
namespace {

uint32_t Read32(const unsigned char* p) {
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

}  // namespace

uint32_t ReadUleb128(const unsigned char*& p) {
    return ReadLeb128([&p] { return *p++; }, false);
}

int32_t ReadSleb128(const unsigned char*& p) {
    return static_cast<int32_t>(ReadLeb128([&p] { return *p++; }, true));
}

// A walk through the records, which are sorted by code address, up to the one that holds pc.
TableLookup LookUpUnwindTable(const unsigned char* table, uintptr_t pc, FrameRecord& out) {
    if (Read32(table) != kUnwindTableMagic) return TableLookup::kUnreadable;
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
        out.personality = program & 1 ? Read32(table + personality) : 0;  // the cell holds the handler's address
        out.codeAlign = table[20];
        out.dataAlign = static_cast<signed char>(table[21]);
        out.returnColumn = table[22];
        return TableLookup::kFound;
    }
    return TableLookup::kElsewhere;
}

}  // namespace zov::runtime
