#pragma once
// The unwind records of the programs on the medium (the table that tools/unwind_table makes of
// their .eh_frame, sys/win32/unwind_table.h, which the start-up code registers): what the
// unwinder (unwinder.cpp) needs of the record that covers a code address.
#include <cstdint>

namespace zov::runtime {

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

// The record whose code range holds pc; false when none does (the end of the frames the
// program knows). A record that cannot be read ends the program (UnreadableUnwindTable).
bool FindFrameRecord(uintptr_t pc, FrameRecord& record);

// Ends the program with a message: an exception cannot pass a frame whose unwind record
// this run-time does not understand, and a silent end would leave the user guessing.
[[noreturn]] void UnreadableUnwindTable();

uint32_t ReadUleb128(const unsigned char*& p);
int32_t ReadSleb128(const unsigned char*& p);
// A value in one of the encodings GCC writes for 32-bit code: 4-byte or variable-length
// numbers, absolute or relative to where they are stored, possibly the address of the value.
// Others end the program (UnreadableUnwindTable).
uintptr_t ReadEncoded(const unsigned char*& p, unsigned char encoding);

}  // namespace zov::runtime
