// Built exactly like the programs on the medium (zov_shipped_program), with their run-time,
// the project's own (ZOV_OWN_RUNTIME) or the compiler's: exceptions thrown and caught across
// frames, nested, from destructors while unwinding, and out of memory; with the project's own
// also the record it allocates for the library and its unwind table. Prints one line per
// check and exits with the number that failed.
//
//   runtime_check.exe               the checks
//   runtime_check.exe bad-table     (own run-time) registers an unwind table it cannot read,
//                                   then throws: the program must end with a message (exit
//                                   code 3)
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <cxxabi.h>
#include <exception>
#include <string>
#include <unwind.h>
#include <vector>

#include "sys/exception.h"
#include "sys/win32/shipped_runtime.h"

#ifdef ZOV_OWN_RUNTIME
extern "C" void __register_frame_info(const void* records, void* storage);
#endif

namespace {

int failures = 0;

void Print(const std::string& text) {
    DWORD written = 0;
    const std::string line = text + "\n";
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void Check(bool passed, const char* name) {
    Print(std::string(passed ? "ok   " : "FAIL ") + name);
    if (!passed) ++failures;
}

// Kept out of line so that every throw crosses real frames.
int destroyed = 0;
struct Counted {
    ~Counted() { ++destroyed; }
};

__attribute__((noinline)) void ThrowFrom(int depth, const char* message) {
    Counted local;
    if (depth == 0) throw zov::Exception(message);
    ThrowFrom(depth - 1, message);
    asm volatile("");  // no tail call: each level keeps its frame
}

void AcrossFrames() {
    destroyed = 0;
    std::string caught;
    try {
        ThrowFrom(5, "deep");
    } catch (const zov::Exception& e) {
        caught = e.Message();
    }
    Check(caught == "deep" && destroyed == 6, "thrown five frames down, caught, each frame's locals destroyed");
    try {
        ThrowFrom(0, "as base");
    } catch (const std::exception& e) {
        caught = e.what();
    }
    Check(caught == "as base", "caught as its base class");
}

ZOV_EXCEPTION(EOther);

// A frame whose catch clauses do not take the exception passes it on.
__attribute__((noinline)) void CatchesOtherTypes(std::string& passed) {
    try {
        ThrowFrom(2, "other");
    } catch (const EOther&) {
        passed = "wrong clause";
    } catch (int) {
        passed = "wrong clause";
    }
}

void ClauseChoice() {
    std::string passed, caught;
    try {
        CatchesOtherTypes(passed);
    } catch (const zov::Exception& e) {
        caught = e.Message();
    }
    Check(passed.empty() && caught == "other", "clauses of other types skipped, the next frame's taken");
    bool any = false;
    try {
        throw 7;
    } catch (const zov::Exception&) {
    } catch (...) {
        any = true;
    }
    Check(any, "catch (...) takes what no clause names");
}

void Nested() {
    std::string order;
    try {
        try {
            ThrowFrom(2, "outer");
        } catch (const zov::Exception& outer) {
            try {
                ThrowFrom(2, "inner");
            } catch (const zov::Exception& inner) {
                order += inner.Message();
            }
            order += "," + outer.Message();
            throw;
        }
    } catch (const zov::Exception& again) {
        order += "," + again.Message();
    }
    Check(order == "inner,outer,outer", "thrown inside a handler, caught, the outer one rethrown");
    Check(std::uncaught_exceptions() == 0, "no exception left in flight");
}

// A destructor that throws and catches its own exception while another one passes.
struct ThrowsWhileUnwinding {
    std::string* seen;
    ~ThrowsWhileUnwinding() {
        try {
            ThrowFrom(3, "in destructor");
        } catch (const zov::Exception& e) {
            *seen = e.Message() + (std::uncaught_exceptions() == 1 ? " while one passes" : "");
        }
    }
};

__attribute__((noinline)) void UnwindThroughThrowingDestructor(std::string& seen) {
    ThrowsWhileUnwinding guard{&seen};
    ThrowFrom(2, "passing");
}

void FromDestructors() {
    std::string seen, caught;
    try {
        UnwindThroughThrowingDestructor(seen);
    } catch (const zov::Exception& e) {
        caught = e.Message();
    }
    Check(seen == "in destructor while one passes" && caught == "passing",
          "a destructor run by the unwinding throws and catches; the first exception arrives");
}

template <typename Make>
std::string OutOfMemory(Make make) {
    try {
        make();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "nothing thrown";
}

void OutOfMemory() {
    volatile std::size_t huge = 0x7ff00000;
    char* volatile kept = nullptr;  // volatile: the allocation may not be left out
    Check(OutOfMemory([&] { kept = new char[huge]; }) == "Out of memory", "new beyond the heap: Out of memory");
    delete[] kept;
    Check(OutOfMemory([&] {
              std::vector<std::string> many;
              for (;;) many.emplace_back(huge / 16, 'x');
          }) == "Out of memory",
          "strings until the heap is exhausted: Out of memory");
    Check(OutOfMemory([] { std::vector<int64_t>().reserve(0x7fffffff); }) != "nothing thrown",
          "a vector longer than it can be: the library's length error");
}

#ifdef ZOV_OWN_RUNTIME
// The record the library keeps before each thrown object must be the size this program
// allocates for it (zov::runtime::kExceptionRecord): the handler's record of the caught
// exception lies right before the object, and the unwinder's header ends it.
void ExceptionRecord() {
    try {
        throw zov::Exception("record");
    } catch (const zov::Exception& e) {
        const auto* object = reinterpret_cast<const char*>(&e);
        // The library's record of the exceptions being handled starts with the innermost one.
        const auto* record = *reinterpret_cast<const char* const*>(__cxxabiv1::__cxa_get_globals());
        const std::size_t header = static_cast<std::size_t>(object - record);
        // The reference count before the record, padded to the header's alignment.
        const std::size_t total = header + alignof(_Unwind_Exception);
        uint64_t kind = 0;
        std::memcpy(&kind, object - sizeof(_Unwind_Exception), sizeof kind);
        Check(kind == 0x474e5543432b2b00ull, "the unwinder's header ends right before the object");
        Check(total == zov::runtime::kExceptionRecord,
              ("the record before the object is " + std::to_string(total) + " bytes as allocated").c_str());
    }
}
#endif

// The 64-bit division (long_division.cpp) against the compiler's own arithmetic, which it
// does while compiling.
struct Division {
    int64_t dividend, divisor, quotient, remainder;
};
#define ZOV_DIVISION(a, b) {a, b, (a) / (b), (a) % (b)}
constexpr Division kDivisions[] = {
    ZOV_DIVISION(7, 2), ZOV_DIVISION(-7, 2), ZOV_DIVISION(7, -2), ZOV_DIVISION(-7, -2),
    ZOV_DIVISION(0, 5), ZOV_DIVISION(5, 123456789012345), ZOV_DIVISION(1000000000000000007, 97),
    ZOV_DIVISION(-9223372036854775807 - 1, 10), ZOV_DIVISION(9223372036854775807, 1),
    ZOV_DIVISION(4294967296 * 3 + 1, 4294967296), ZOV_DIVISION(-123456789012345678, -1000),
};

void LongDivision() {
    bool exact = true;
    for (const Division& d : kDivisions) {
        volatile int64_t dividendAtRunTime = d.dividend, divisorAtRunTime = d.divisor;
        const int64_t dividend = dividendAtRunTime, divisor = divisorAtRunTime;
        // Quotient and remainder together: the one call the programs make (__divmoddi4),
        // and the quotient alone (__divdi3).
        const int64_t quotient = dividend / divisor, remainder = dividend % divisor;
        exact = exact && quotient == d.quotient && remainder == d.remainder;
        volatile int64_t again = dividendAtRunTime / divisorAtRunTime;
        exact = exact && again == d.quotient;
    }
    Check(exact, "64-bit quotients and remainders, signs and extremes");
}

#ifdef ZOV_OWN_RUNTIME
// Unwind records as the compiler writes them (a CIE of augmentation "q" and a record), not the
// table the programs carry (sys/win32/unwind_table.h): the run-time does not read them.
alignas(4) const unsigned char kBadTable[] = {
    8, 0, 0, 0,  0, 0, 0, 0,  1, 'q', 0, 1,   // a CIE of augmentation "q"
    12, 0, 0, 0,  16, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  // a record that refers to it
    0, 0, 0, 0,
};
void* badStorage[8];
#endif

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command, int) {
#ifdef ZOV_OWN_RUNTIME
    if (std::strcmp(command, "bad-table") == 0) {
        __register_frame_info(kBadTable, badStorage);
        try {
            ThrowFrom(1, "unreachable");
        } catch (...) {
        }
        Print("FAIL the unreadable table went unnoticed");
        return 1;
    }
#else
    (void)command;
#endif
    AcrossFrames();
    ClauseChoice();
    Nested();
    FromDestructors();
    OutOfMemory();
#ifdef ZOV_OWN_RUNTIME
    ExceptionRecord();
#endif
    LongDivision();
    return failures;
}
