#pragma once
// The unwind records of the programs on the medium (the table that tools/unwind_table makes of
// their .eh_frame, sys/win32/unwind_table.h, which the start-up code registers): what the
// unwinder (unwinder.cpp) needs of the record that covers a code address.
#include <cstdint>

#include "sys/win32/leb128.h"
#include "sys/win32/unwind_table.h"

namespace zov::runtime {

// The record whose code range holds pc; false when none does (the end of the frames the
// program knows). A record that cannot be read ends the program (UnreadableUnwindTable).
bool FindFrameRecord(uintptr_t pc, FrameRecord& record);

// Ends the program with a message: an exception cannot pass a frame whose unwind record
// this run-time does not understand, and a silent end would leave the user guessing.
[[noreturn]] void UnreadableUnwindTable();

// A value in one of the encodings GCC writes for 32-bit code: 4-byte or variable-length
// numbers, absolute or relative to where they are stored, possibly the address of the value.
// Others end the program (UnreadableUnwindTable).
uintptr_t ReadEncoded(const unsigned char*& p, unsigned char encoding);

}  // namespace zov::runtime
