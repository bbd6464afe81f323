// Linked into every program on the medium (cmake/ShippedPrograms.cmake): the division of 64-bit
// numbers that the compiler calls for / and % in 32-bit code, one quotient bit at a time.
// The library's faster version is 800 bytes; the programs divide 64-bit numbers only for
// progress figures and decimal text. Compiled without link-time optimisation, like the
// unwinder, so that the link finds it before the library's.
#include <cstdint>

namespace {

uint64_t DivideUnsigned(uint64_t dividend, uint64_t divisor, uint64_t& remainder) {
    // A division by zero stops the program as the processor's own division does, rather
    // than going on with a made-up quotient.
    if (divisor == 0) __builtin_trap();
    uint64_t quotient = 0;
    uint64_t rest = 0;
    for (int bit = 63; bit >= 0; --bit) {
        rest = rest << 1 | (dividend >> bit & 1);
        if (rest >= divisor) {
            rest -= divisor;
            quotient |= uint64_t{1} << bit;
        }
    }
    remainder = rest;
    return quotient;
}

uint64_t Magnitude(int64_t value) { return value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value); }

}  // namespace

extern "C" {

// The quotient rounds toward zero; the remainder takes the dividend's sign.
int64_t __divmoddi4(int64_t dividend, int64_t divisor, int64_t* remainder) {
    uint64_t rest;
    const uint64_t quotient = DivideUnsigned(Magnitude(dividend), Magnitude(divisor), rest);
    if (remainder) *remainder = static_cast<int64_t>(dividend < 0 ? 0 - rest : rest);
    return static_cast<int64_t>((dividend < 0) != (divisor < 0) ? 0 - quotient : quotient);
}

int64_t __divdi3(int64_t dividend, int64_t divisor) { return __divmoddi4(dividend, divisor, nullptr); }

}  // extern "C"
