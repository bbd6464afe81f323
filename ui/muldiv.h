#pragma once
// a * b / c in 64-bit arithmetic, rounded to the nearest integer with halves going away
// from zero; -1 when c is 0 or the result does not fit, as the system's MulDiv answers.
#include <cstdint>
#include <limits>

namespace zov::ui {

constexpr int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    int64_t quotient = product / c;
    const int64_t remainder = product % c;
    const int64_t twice = remainder < 0 ? -2 * remainder : 2 * remainder;
    const int64_t divisor = c < 0 ? -static_cast<int64_t>(c) : c;
    if (twice >= divisor) quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    if (quotient > std::numeric_limits<int>::max() || quotient < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(quotient);
}

}  // namespace zov::ui
