#include "sys/decimal.h"

namespace zov {
namespace {

// Divides `rest` by ten and returns the remainder, in 16-bit steps: 32-bit divisions do,
// where dividing the 64-bit value itself would bring the compiler's division routines.
unsigned DivideByTen(uint64_t& rest) {
    uint32_t remainder = 0;
    uint64_t quotient = 0;
    for (int shift = 48; shift >= 0; shift -= 16) {
        const uint32_t part = remainder << 16 | (static_cast<uint32_t>(rest >> shift) & 0xffff);
        quotient = quotient << 16 | part / 10;
        remainder = part % 10;
    }
    rest = quotient;
    return remainder;
}

}  // namespace

std::string DecimalText(int64_t value) {
    char digits[20];  // 2^63 has 19
    char* first = digits + sizeof digits;
    // Unsigned, so that the most negative value turns positive too.
    uint64_t rest = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        *--first = static_cast<char>('0' + DivideByTen(rest));
    } while (rest != 0);
    std::string text = value < 0 ? "-" : "";
    text.append(first, digits + sizeof digits);
    return text;
}

}  // namespace zov
