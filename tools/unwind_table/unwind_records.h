#pragma once
// The unwind records (.eh_frame) of a program on the medium, read and checked, and the compact
// table of sys/win32/unwind_table.h made of them. Only what the run-time's unwinder
// (sys/win32/unwinder.cpp) can run passes: anything else stops the build here, not the
// program on a user's machine.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zov::unwind_table {

using Bytes = std::vector<uint8_t>;

// Records the table cannot hold or the run-time cannot run: the build stops with the text.
class Refusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Cie {
    uint32_t codeAlign = 1;
    int32_t dataAlign = -4;
    uint32_t returnColumn = 8;
    Bytes program;                 // without its trailing no-ops
    uint32_t personalityCell = 0;  // image-relative address of the handler's cell, or 0
    bool lsdas = false;
};

struct Record {
    uint32_t start = 0, length = 0;  // image-relative
    uint32_t lsda = 0;               // image-relative, or 0
    Bytes program;                   // without the usual set-up and tear-down when it has them
    bool setUp = false, tearDown = false;
};

struct Records {
    Cie cie;                      // the one all records share, but for their handler
    uint32_t personalityCell = 0; // the cell of the C++ handler, or 0
    std::vector<Record> records;  // by ascending code address
};

// The handlers the records may name: `cellTarget` gives what the handler cell at an
// image-relative address holds (refusing a cell outside the file); the C one, which
// link-time optimisation gives some frames, only passes its calls on to the C++ one.
struct Handlers {
    std::function<uint32_t(uint32_t cell)> cellTarget;
    uint32_t cxx = 0, c = 0;
};

// The usual frame set-up ("push ebp; mov ebp, esp") and tear-down ("leave") as the compiler
// describes them with code alignment 1 and data alignment -4.
extern const Bytes kSetUp;
extern const Bytes kTearDown;

// The records of the .eh_frame bytes that lie at image-relative address `base`.
Records ReadRecords(const Bytes& section, uint32_t base, const Handlers& handlers);

// The compact table, to lie at image-relative address `base` (where the records were).
Bytes MakeTable(const Records& records, uint32_t base);

// Where each instruction of a call frame program starts, with the program's length last.
// Refuses an instruction, register or expression the run-time's unwinder does not run.
std::vector<size_t> InstructionStarts(const Bytes& program);

}  // namespace zov::unwind_table
