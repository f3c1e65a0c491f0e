// The nasty-datagram table. Rows are built around the well-formed datagram
// of telemetry_text.h, changing one thing at a time, so a difference points
// at the corner that caused it.
#include "testing/support/bad_datagrams.h"

#include <array>
#include <cstring>
#include <string_view>

#include "app/telemetry_parser.h"
#include "app/telemetry_sample.h"
#include "testing/support/telemetry_text.h"

namespace vareko::testing {
namespace {

constexpr std::size_t kBufferLimit = 1515;
constexpr std::size_t kFirstNumber = 0;
constexpr std::size_t kMiddleNumber = 3;
constexpr std::size_t kLastNumber = kTelemetryNumberCount - 1;  // just before the words
constexpr std::size_t kMod = kTelemetryNumberCount;
constexpr std::size_t kSub = kMod + 1;
constexpr std::size_t kAcs = kMod + 2;

std::string WellFormed() {
    return DatagramText(WellFormedFields());
}

std::string WithField(std::size_t index, const std::string& value) {
    std::vector<std::string> fields = WellFormedFields();
    fields[index] = value;
    return DatagramText(fields);
}

// A complete datagram of exactly `bytes` bytes whose last word ends at its
// last byte; the padding is white space in front of that word.
std::string EndingInWordAt(std::size_t bytes, const std::string& acsWord) {
    std::string text = WithField(kAcs, acsWord);
    text.resize(text.size() - 2);  // drop the trailing blank and line feed
    text.insert(text.size() - acsWord.size(), bytes - text.size(), ' ');
    return text;
}

// A complete datagram of exactly `bytes` bytes whose last word is cut to
// fill it, so the word itself reaches the buffer's end.
std::string EndingInLongWordAt(std::size_t bytes) {
    std::string text = WithField(kAcs, "");
    text.resize(text.size() - 2);
    text.append(bytes - text.size(), 'W');
    return text;
}

// A complete datagram grown to `bytes` bytes by digits inside the last
// number: zeros behind its decimal point keep its value.
std::string WithLongLastNumber(std::size_t bytes) {
    const std::string shortest = WithField(kLastNumber, "38.5");
    return WithField(kLastNumber, "38.5" + std::string(bytes - shortest.size(), '0'));
}

// Number spellings that sit on the edges of the "%f" grammar and of rounding
// to single precision; each goes into the first, a middle and the last
// numeric field.
const std::vector<std::string>& NastyNumbers() {
    static const std::vector<std::string> numbers = {
        // Out of range and the limits of single precision.
        "1e39", "-1e39", "1e-50", "-1e-50", "1e-40", "3.4028235e38", "3.4028236e38",
        "3.40282356779733661637539395458142568448e38",   // halfway to 2^128: infinity
        "3.40282356779733661637539395458142568447e38",   // just below: the largest float
        "7.00649232162408535461864791644958065640e-46",  // halfway to the least denormal: 0
        "7.00649232162408535461864791644958065641e-46",  // just above: the least denormal
        "1.17549421e-38", "1.17549435e-38", "1e99999999999999999999", "1e-99999999999999999999",
        // Rounding halfway cases, decided by digits far to the right.
        "16777217", "16777217.0000000000000000000001", "16777219", "1.000000059604644775390625",
        "1.0000000596046447753906250000000000000000000001", "0.1", "0.3", "2.5e-1",
        // Many digits, leading zeros, and exponents that cancel them.
        std::string(45, '9'), std::string(300, '9'), "0000000000000000000000000000000001.5",
        "1" + std::string(60, '0') + "e-60", "0." + std::string(60, '0') + "1e61",
        "." + std::string(200, '0') + "1", "1e0000000000000000000000005",
        // Zero, infinity and NaN spellings.
        "-0", "+0", "-0.0e0", "0e99999", "-0x0p0", "nan", "-nan", "NAN", "NAN(123)", "nan(", "nanx",
        "inf", "-infinity", "INFINITY", "infinit", "infinityy", "infx",
        // Hexadecimal numerals and their rounding.
        "0x10", "0x", "-0x", "0x1p-3", "0x1P+1", "0x1.p1", "0x.8p1", "0x1e+5", "0x1p", "0x1p+",
        "0x1.000001p0", "0x1.0000010000000000000001p0", "0x1.000003p0", "0x1.fffffep127",
        "0x1.ffffffp127", "0x1p-149", "0x1p-150", "0x1.0000001p-150", "0x1.8p-149",
        "0x123456789abcdef123456789p-50", "0x1p99999999999999999999", "0x1p-99999999999999999999",
        "0x" + std::string(40, 'f'),
        // Separators and signs that are not part of a number.
        "1,5", "-", "+", "+-1", "-+1", "--1", "-.", ".", ".e5", "-.e1", "1.e5", "1e", "1e+", "1e-",
        "1E", "1e+-5", "1..5", "1.5.5", "", " \t\n12", "\v\f\r12", "12 ", "- 1", "1_000",
        std::string("\xA0") + "1",
        "\xEF\xBC\x91",  // a full-width digit one in UTF-8
    };
    return numbers;
}

void AddStructureRows(std::vector<BadDatagram>& rows) {
    const std::string text = WellFormed();
    rows.push_back({"empty", ""});
    rows.push_back({"prefix only", std::string(kTelemetryPrefix)});
    rows.push_back({"no prefix", text.substr(kTelemetryPrefix.size())});
    rows.push_back({"prefix misspelt", "src=export.lux;" + text.substr(kTelemetryPrefix.size())});
    rows.push_back(
        {"prefix in upper case", "SRC=EXPORT.LUA;" + text.substr(kTelemetryPrefix.size())});
    rows.push_back({"blank before the prefix", " " + text});
    rows.push_back({"prefix twice", std::string(kTelemetryPrefix) + text});
    rows.push_back({"only NUL bytes", std::string(64, '\0')});
    rows.push_back({"blank between key and =", "src=export.lua;asl =1;agl=2;"});
    rows.push_back({"blank after =", "src=export.lua;asl= 1;agl= 2;"});
    rows.push_back({"line feed between fields", "src=export.lua;asl=1;\nagl=2;"});
    rows.push_back({"datagram twice", text + text});
    const std::size_t afterFirstField = text.find(';', kTelemetryPrefix.size()) + 1;
    rows.push_back({"first key left out", std::string(kTelemetryPrefix) + text.substr(afterFirstField)});
    // A NUL byte in place of every byte in turn, and a NUL inserted before
    // every byte: parsing must end there however the text goes on.
    for (std::size_t at = 0; at < text.size(); ++at) {
        std::string replaced = text;
        replaced[at] = '\0';
        rows.push_back({"NUL replacing byte " + std::to_string(at), replaced});
        std::string inserted = text;
        inserted.insert(at, 1, '\0');
        rows.push_back({"NUL inserted before byte " + std::to_string(at), inserted});
    }
}

void AddNumberRows(std::vector<BadDatagram>& rows) {
    for (const std::string& number : NastyNumbers()) {
        for (std::size_t field : {kFirstNumber, kMiddleNumber, kLastNumber}) {
            const std::string key(kTelemetryKeys[field].name);
            rows.push_back({key + "=" + number, WithField(field, number)});
        }
        // The number as the very end of the text, where a scanner that looks
        // ahead for an exponent or "inity" meets the NUL.
        const std::string cut = WithField(kLastNumber, number);
        rows.push_back({"text ending in " + number, cut.substr(0, cut.find(";mod="))});
    }
}

void AddWordRows(std::vector<BadDatagram>& rows) {
    for (std::size_t field : {kMod, kSub, kAcs}) {
        const std::string key(kTelemetryKeys[field].name);
        // Every length around each field's capacity (3, 7 and 19 characters).
        for (std::size_t length = 0; length <= 25; ++length) {
            rows.push_back({key + " word of " + std::to_string(length),
                            WithField(field, std::string(length, 'W'))});
        }
        for (const std::string word :
             {"F16;", ";", "A=B", "\xC3\xA9\xFF\x80", "\xA0\x85", "W\x7F"}) {
            rows.push_back({key + " word " + word, WithField(field, word)});
        }
        rows.push_back({key + " word with a NUL", WithField(field, std::string("AB\0CD", 5))});
    }
    // Every white-space character, and bytes that are not white space in the
    // classic locale, between a word and its ";".
    for (const std::string separator :
         {"\t", "\n", "\v", "\f", "\r", " \t\n\v\f\r", "\xA0", "\x85", "\x1C"}) {
        std::string text = WithField(kMod, "F16");
        text.replace(text.find("F16 ;"), 5, "F16" + separator + ";");
        rows.push_back(
            {"mod word then byte " + std::to_string(static_cast<unsigned char>(separator[0])),
             text});
    }
    rows.push_back({"word without its blank, last field", WithField(kSub, "NAV;acs=X")});
    rows.push_back(
        {"no white space after the last word", WellFormed().substr(0, WellFormed().size() - 2)});
}

void AddSizeRows(std::vector<BadDatagram>& rows) {
    std::string padded = WellFormed();
    padded.append(kBufferLimit - padded.size(), ' ');
    rows.push_back({"1515 bytes, blanks behind the last word", padded});
    rows.push_back(
        {"1515 bytes, last word ends at the last byte", EndingInWordAt(kBufferLimit, "LASTBYTE")});
    rows.push_back(
        {"1515 bytes, overlong last word fills the buffer", EndingInLongWordAt(kBufferLimit)});
    rows.push_back(
        {"1515 bytes, the last number holds over 1,000 digits", WithLongLastNumber(kBufferLimit)});
    rows.push_back(
        {"1515 bytes, white space before the first number",
         WithField(kFirstNumber, std::string(kBufferLimit - WellFormed().size(), '\t') + "1.5")});
    rows.push_back({"1515 bytes cut inside the last number",
                    WithLongLastNumber(kBufferLimit + 40).substr(0, kBufferLimit)});
}

// Whether parsing `bytes` over `before` leaves everything but asl as it was.
bool ChangesNothingShown(const std::string& bytes, const TelemetrySample& before) {
    TelemetrySample after = before;
    ParseTelemetry(bytes.c_str(), after);
    after.asl = before.asl;
    return std::memcmp(&after, &before, sizeof after) == 0;
}

}  // namespace

std::vector<BadDatagram> BadDatagramsThatFit() {
    std::vector<BadDatagram> rows;
    AddStructureRows(rows);
    AddNumberRows(rows);
    AddWordRows(rows);
    AddSizeRows(rows);
    return rows;
}

std::vector<BadDatagram> OversizedDatagrams() {
    std::string padded = WellFormed();
    padded.append(kBufferLimit + 1 - padded.size(), ' ');
    return {
        {"1516 bytes, blanks behind the last word", padded},
        {"1516 bytes, last word ends at the last byte",
         EndingInWordAt(kBufferLimit + 1, "LASTBYTE")},
        {"1516 bytes, a NUL as the last byte", EndingInWordAt(kBufferLimit, "LASTBYTE") + '\0'},
        {"1516 bytes, the last number holds over 1,000 digits",
         WithLongLastNumber(kBufferLimit + 1)},
    };
}

std::vector<BadDatagram> BadDatagramsThatChangeNothingShown() {
    // Two records that differ in every byte: a row that sets a shown field
    // to the value it already had in one of them still shows in the other.
    TelemetrySample zeros{};
    TelemetrySample filled;
    std::memset(&filled, 'Z', sizeof filled);
    filled.mod[sizeof filled.mod - 1] = filled.sub[sizeof filled.sub - 1] = filled.acs[sizeof filled.acs - 1] = '\0';
    std::vector<BadDatagram> rows;
    for (BadDatagram& row : BadDatagramsThatFit()) {
        if (ChangesNothingShown(row.bytes, zeros) && ChangesNothingShown(row.bytes, filled)) {
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

}  // namespace vareko::testing
