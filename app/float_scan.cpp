// Number scanning with the rules of the C library's "%f" input conversion in
// the classic locale. The extent of the input item is found first, exactly as
// the conversion collects it; the collected text is then converted with
// std::from_chars, which is locale-independent and rounds directly to float.
// Short plain decimals, nearly every telemetry number, take the exact
// one-division path of exact_decimal.cpp first.
#include "app/float_scan.h"

#include <charconv>
#include <limits>
#include <string_view>
#include <system_error>

#include "app/exact_decimal.h"

namespace vareko {
namespace {

constexpr bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

constexpr char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Matches the lower-case word case-insensitively; never reads past a NUL,
// because a NUL mismatches and ends the comparison.
bool MatchNoCase(const char*& cursor, std::string_view word) {
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (Lower(cursor[i]) != word[i]) {
            return false;
        }
    }
    cursor += word.size();
    return true;
}

// Decides the direction of an out-of-range conversion: true when the
// numeral's magnitude is at least one (overflow), false when it is below one
// (underflow). Out-of-range values lie dozens of powers away from one, so the
// position of the leading significant digit plus the explicit exponent is
// precise enough.
bool MagnitudeAtLeastOne(const char* first, const char* last, bool hex) {
    const char exponentChar = hex ? 'p' : 'e';
    const long long bitsPerDigit = hex ? 4 : 1;
    long long integerDigits = 0;  // significant digits before the point
    long long fractionZeros = 0;  // zeros after the point before the first significant digit
    bool significant = false;
    bool afterPoint = false;
    const char* p = first;
    for (; p != last && Lower(*p) != exponentChar; ++p) {
        if (*p == '.') {
            afterPoint = true;
        } else if (significant || *p != '0') {
            significant = true;
            if (!afterPoint) {
                ++integerDigits;
            } else {
                break;
            }
        } else if (afterPoint) {
            ++fractionZeros;
        }
    }
    long long leading =
        integerDigits > 0 ? integerDigits * bitsPerDigit - 1 : -(fractionZeros + 1) * bitsPerDigit;
    while (p != last && Lower(*p) != exponentChar) {
        ++p;
    }
    long long exponent = 0;
    bool negativeExponent = false;
    if (p != last) {
        ++p;
        if (p != last && (*p == '+' || *p == '-')) {
            negativeExponent = *p == '-';
            ++p;
        }
        constexpr long long kSaturation = 1000000;  // far beyond any float exponent
        for (; p != last && IsDigit(*p); ++p) {
            exponent = exponent < kSaturation ? exponent * 10 + (*p - '0') : kSaturation;
        }
    }
    return leading + (negativeExponent ? -exponent : exponent) >= 0;
}

// Reads an unsigned decimal or hexadecimal numeral (no sign, no inf/nan).
bool ScanNumeral(const char*& cursor, float& magnitude) {
    const char* p = cursor;
    bool hex = false;
    bool gotDigit = false;
    if (*p == '0') {
        if (Lower(p[1]) == 'x') {
            hex = true;
            p += 2;
        } else {
            gotDigit = true;
            ++p;
        }
    }
    const char* digits = hex ? p : cursor;
    const char exponentChar = hex ? 'p' : 'e';
    bool gotPoint = false;
    bool gotExponent = false;
    // The item grows while it still is, or could become, a number: digits,
    // one point before the exponent, the exponent letter after a digit, and
    // a sign directly behind the exponent letter.
    for (;; ++p) {
        const char c = *p;
        if (IsDigit(c) || (hex && !gotExponent && IsHexDigit(c))) {
            gotDigit = true;
        } else if (gotExponent && Lower(p[-1]) == exponentChar && (c == '+' || c == '-')) {
            // the exponent's sign
        } else if (gotDigit && !gotExponent && Lower(c) == exponentChar) {
            gotExponent = true;
            gotPoint = true;
        } else if (!gotPoint && c == '.') {
            gotPoint = true;
        } else {
            break;
        }
    }
    if (p == cursor || (hex && p == digits)) {
        return false;  // nothing but a sign, or nothing but "0x"
    }
    float result = 0.0F;
    const auto [end, error] = std::from_chars(
        digits, p, result, hex ? std::chars_format::hex : std::chars_format::general);
    static_cast<void>(end);  // the conversion may use less than the item; the item is consumed
    if (error == std::errc::invalid_argument) {
        if (!hex) {
            return false;  // a lone "." is no number
        }
        result = 0.0F;  // "0x." converts its leading "0"
    } else if (error == std::errc::result_out_of_range) {
        result = MagnitudeAtLeastOne(digits, p, hex) ? std::numeric_limits<float>::infinity() : 0.0F;
    }
    magnitude = result;
    cursor = p;
    return true;
}

}  // namespace

bool ScanFloat(const char*& cursor, float& value) {
    const char* p = cursor;
    while (IsSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    float magnitude = 0.0F;
    if (Lower(*p) == 'n') {
        if (!MatchNoCase(p, "nan")) {
            return false;
        }
        magnitude = std::numeric_limits<float>::quiet_NaN();
    } else if (Lower(*p) == 'i') {
        // "inf" may go on to "infinity"; a partial "infin" is an error.
        if (!MatchNoCase(p, "inf") || (Lower(*p) == 'i' && !MatchNoCase(p, "inity"))) {
            return false;
        }
        magnitude = std::numeric_limits<float>::infinity();
    } else if (!ScanExactDecimal(p, magnitude) && !ScanNumeral(p, magnitude)) {
        return false;
    }
    value = negative ? -magnitude : magnitude;
    cursor = p;
    return true;
}

}  // namespace vareko
