#pragma once
// The unwind table of the programs on the medium, as tools/unwind_table writes it over their
// .eh_frame after the link and frame_lookup.cpp reads it. The compiler's records repeat
// what every record shares: a header of 17 to 21 bytes each, the same instructions for the
// usual frame set-up ("push ebp; mov ebp, esp") at the start and tear-down ("leave") at the
// end of most records, and identical instructions in many records. The table keeps each
// only once.
//
// All numbers are little-endian; addresses are offsets from the table's own start, so the
// table needs no relocations when Windows loads the program elsewhere.
//
//   uint32  kUnwindTableMagic
//   int32   the cell holding the address of the C++ handler (__gxx_personality_v0)
//   uint32  number of records
//   uint32  offset of the instruction pool
//   int32   where the code of the first record may start at the earliest
//   uint8   code alignment factor, int8 data alignment factor, uint8 return address column
//   uint8   length of the instructions every frame starts with (the CIE's), then those
//   uint8   length of the usual frame set-up's instructions, then those
//   uint8   length of the usual frame tear-down's instructions, then those
//   records, by ascending code address:
//     uleb128 gap from the end of the previous record's code (the first: from the start above)
//     uleb128 length of the code
//     uleb128 number of the instructions in the pool << 3 | tear-down << 2 | set-up << 1 |
//             handler table; a record's instructions are the set-up's, its own, the tear-down's
//     sleb128 when it has a handler table: its distance from the previous one (the first:
//             from the table's start); a record with one has the C++ handler, others none
//   the pool: uleb128 length, then the instructions, for each distinct sequence in the order
//             the records first name them
#include <cstdint>

namespace zov::runtime {

inline constexpr uint32_t kUnwindTableMagic = 0x3254555a;  // "ZUT2"
inline constexpr uint32_t kUnwindTableHeader = 24;         // up to the CIE's instructions

// What the unwinder needs of the record that covers a code address.
struct FrameRecord {
    const unsigned char* cieProgram;  // the instructions every frame of the CIE starts with
    const unsigned char* cieEnd;
    const unsigned char* setUp;       // the usual frame set-up's instructions, when it has it
    const unsigned char* setUpEnd;
    const unsigned char* program;     // this function's own instructions
    const unsigned char* end;
    const unsigned char* tearDown;    // the usual frame tear-down's instructions, when it has it
    const unsigned char* tearDownEnd;
    uintptr_t start;                  // the function's first code address
    uintptr_t personality;            // its language's handler, or 0
    uintptr_t lsda;                   // the handler's table for it, or 0
    uint32_t codeAlign;
    int32_t dataAlign;
    uint32_t returnColumn;
};

enum class TableLookup : uint8_t { kFound, kElsewhere, kUnreadable };

// The record of `table` whose code holds pc: kElsewhere when none does, kUnreadable when
// the table is not one (another magic number).
TableLookup LookUpUnwindTable(const unsigned char* table, uintptr_t pc, FrameRecord& record);

}  // namespace zov::runtime
