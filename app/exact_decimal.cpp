// The exact one-division conversion of short plain decimals. Why it is exact:
// a mantissa m <= 2^53 and a power 10^k with k <= 22 are both doubles, so
// m / 10^k is the quotient correctly rounded to double. Rounding that double
// to float gives the float nearest the true quotient unless a float midpoint
// lies between the two; as every float midpoint is itself a double, that can
// only happen when the double is the midpoint, which is checked.
#include "app/exact_decimal.h"

#include <array>
#include <bit>
#include <cstdint>

namespace vareko {
namespace {

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr int kMaxDigits = 19;  // every 19-digit mantissa fits 64 bits
static_assert(kMaxDigits <= 22, "10^22 is the largest power of ten that is an exact double");
constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;

constexpr std::array<double, kMaxDigits + 1> kPowersOfTen = [] {
    std::array<double, kMaxDigits + 1> powers{};
    double power = 1.0;
    for (double& entry : powers) {
        entry = power;
        power *= 10.0;
    }
    return powers;
}();

// The 29 low fraction bits of a double are the bits below float precision
// (52 - 23); a float midpoint has only the first of them set. Every quotient
// here is 0 or lies in the normal float range (10^-19 to 2^53), where this
// holds.
constexpr std::uint64_t kBelowFloatBits = (std::uint64_t{1} << 29) - 1;
constexpr std::uint64_t kHalfFloatUlp = std::uint64_t{1} << 28;

bool IsFloatMidpoint(double value) {
    return (std::bit_cast<std::uint64_t>(value) & kBelowFloatBits) == kHalfFloatUlp;
}

// A letter that would make the numeral longer or different for the general
// scanner: an exponent, or the "x" of a hex prefix.
constexpr bool ContinuesNumeral(char c) { return c == 'e' || c == 'E' || c == 'x' || c == 'X'; }

}  // namespace

bool ScanExactDecimal(const char*& cursor, float& magnitude) {
    const char* p = cursor;
    std::uint64_t mantissa = 0;
    int digits = 0;
    for (; IsDigit(*p) && digits < kMaxDigits; ++p, ++digits) {
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    int fractionDigits = 0;
    if (*p == '.') {
        ++p;
        for (; IsDigit(*p) && digits < kMaxDigits; ++p, ++digits, ++fractionDigits) {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
        }
    }
    if (digits == 0 || IsDigit(*p) || ContinuesNumeral(*p) || mantissa > kMaxExactMantissa) {
        return false;
    }
    const double quotient = static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
    if (IsFloatMidpoint(quotient)) {
        return false;
    }
    magnitude = static_cast<float>(quotient);
    cursor = p;
    return true;
}

}  // namespace vareko
