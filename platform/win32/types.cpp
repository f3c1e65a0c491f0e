// Small arithmetic helpers of the Win32 surface.
#include "platform/win32/types.h"

#include <cstdint>
#include <limits>

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) {
        return -1;
    }
    std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    std::int64_t half = (denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator) / 2;
    bool negative = (product < 0) != (denominator < 0);
    std::int64_t magnitude = (product < 0 ? -product : product) + half;
    std::int64_t quotient = magnitude / (denominator < 0 ? -static_cast<std::int64_t>(denominator)
                                                         : denominator);
    std::int64_t result = negative ? -quotient : quotient;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min()) {
        return -1;
    }
    return static_cast<int>(result);
}
