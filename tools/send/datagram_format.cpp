// Datagram text from a telemetry record. Numbers are written in fixed
// notation with the fewest digits that read back as the same float, with "."
// as the decimal point whatever the locale (std::to_chars ignores it).
#include "tools/send/datagram_format.h"

#include <charconv>
#include <cstring>

namespace vareko::send {
namespace {

void AppendNumber(std::string& out, float value) {
    char digits[64];
    const auto r = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed);
    out.append(digits, r.ptr);
}

void AppendWord(std::string& out, std::span<const char> word) {
    // The field always holds a NUL; never read past the array if it does not.
    out.append(word.data(), strnlen(word.data(), word.size()));
}

}  // namespace

std::string FormatDatagram(const TelemetrySample& sample) {
    std::string out(kTelemetryPrefix);
    for (const TelemetryKey& key : kTelemetryKeys) {
        out += key.name;
        out += '=';
        if (key.kind == TelemetryKind::Number) {
            AppendNumber(out, sample.*key.number);
            out += ';';
        } else {
            AppendWord(out, key.constWord(sample));
            // A word ends only at white space, so a blank must come before the
            // ';' behind it.
            out += " ;";
        }
    }
    // The last word has no ';' behind it: replace the final one by the line feed.
    out.back() = '\n';
    return out;
}

}  // namespace vareko::send
