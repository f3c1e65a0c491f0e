// Walks the datagram template, key by key from the shared key table, and
// stores each field as soon as it is read. Numbers go through ScanFloat;
// words are cut to their field so no write ever leaves the field.
#include "app/telemetry_parser.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>

#include "app/float_scan.h"

namespace vareko {
namespace {

constexpr bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void SkipSpace(const char*& cursor) {
    while (IsSpace(*cursor)) {
        ++cursor;
    }
}

// Literal characters match one for one; a NUL in the text ends the match.
bool MatchLiteral(const char*& cursor, std::string_view literal) {
    for (std::size_t i = 0; i < literal.size(); ++i) {
        if (cursor[i] != literal[i]) {
            return false;
        }
    }
    cursor += literal.size();
    return true;
}

// Reads the run of non-white-space characters at cursor (after leading white
// space) and stores as much of it as fits, always NUL-terminated. Fails at the
// end of the text, where no word begins.
bool ScanWord(const char*& cursor, std::span<char> field) {
    SkipSpace(cursor);
    if (*cursor == '\0') {
        return false;
    }
    const char* end = cursor;
    while (*end != '\0' && !IsSpace(*end)) {
        ++end;
    }
    const std::size_t kept = std::min(static_cast<std::size_t>(end - cursor), field.size() - 1);
    std::memcpy(field.data(), cursor, kept);
    field[kept] = '\0';
    cursor = end;
    return true;
}

}  // namespace

int ParseTelemetry(const char* text, TelemetrySample& sample) {
    const char* cursor = text;
    if (!MatchLiteral(cursor, kTelemetryPrefix)) {
        return 0;
    }
    int stored = 0;
    for (const TelemetryKey& key : kTelemetryKeys) {
        if (stored > 0) {
            // The template puts a blank between a word and its ";".
            if (kTelemetryKeys[stored - 1].kind == TelemetryKind::Word) {
                SkipSpace(cursor);
            }
            if (!MatchLiteral(cursor, ";")) {
                break;
            }
        }
        if (!MatchLiteral(cursor, key.name) || !MatchLiteral(cursor, "=")) {
            break;
        }
        const bool read = key.kind == TelemetryKind::Number ? ScanFloat(cursor, sample.*key.number)
                                                            : ScanWord(cursor, key.word(sample));
        if (!read) {
            break;
        }
        ++stored;
    }
    return stored;
}

}  // namespace vareko
