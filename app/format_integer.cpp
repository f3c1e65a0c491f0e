// Figure texts. Converting a float outside the int range (or NaN) to int is
// undefined behaviour, so the range is checked first and such values take a
// path that never converts them to int.
#include "app/format_integer.h"

#include <cmath>
#include <cstdio>

namespace vareko {
namespace {

// Every float in [-2^31, 2^31) truncates to a value that an int holds; both
// bounds are exact in single precision.
constexpr float kIntLowest = -2147483648.0f;
constexpr float kIntBeyond = 2147483648.0f;

}  // namespace

std::array<WCHAR, kFigureCharacters + 1> FigureText(float value) {
    // Room for "%.0f" of the largest float (39 digits and a sign).
    char digits[48];
    if (std::isnan(value)) {
        std::snprintf(digits, sizeof digits, "NaN");
    } else if (std::isinf(value)) {
        std::snprintf(digits, sizeof digits, "%s", value < 0 ? "-INF" : "INF");
    } else if (value >= kIntLowest && value < kIntBeyond) {
        std::snprintf(digits, sizeof digits, "%d", static_cast<int>(value));
    } else {
        // Beyond 2^24 every float is an integer, so "%.0f" writes it exactly.
        std::snprintf(digits, sizeof digits, "%.0f", static_cast<double>(value));
    }
    std::array<WCHAR, kFigureCharacters + 1> text{};
    for (int i = 0; i < kFigureCharacters && digits[i] != '\0'; ++i) {
        text[static_cast<std::size_t>(i)] = static_cast<WCHAR>(digits[i]);
    }
    return text;
}

}  // namespace vareko
