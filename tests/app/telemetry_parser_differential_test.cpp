// Differential test: generated and mutated datagrams parsed by ParseTelemetry
// and by sscanf with the datagram template must give the same record, field
// by field and bit for bit, with the same count of fields stored. The generator favours the corners of the number
// grammar (hex floats, inf/nan spellings, lone signs, bare exponents) and of
// the word rules (missing blanks, overlong and empty words).
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "app/telemetry_parser.h"
#include "testing/support/scanf_reference.h"
#include "testing/support/telemetry_text.h"

namespace vareko {
namespace {

using testing::BoundedReferenceParse;
using testing::DescribeDifferences;
using testing::PreviousSample;
using testing::ReferenceParse;
using testing::WordsFit;

class DatagramGenerator {
public:
    explicit DatagramGenerator(unsigned seed) : random(seed) {}

    // A datagram in the sender's layout whose fields are mostly valid; each
    // number is a corner case with a chance that varies from datagram to
    // datagram, so that many datagrams still reach the words.
    std::string Datagram() {
        cornerOneIn = Pick(std::array{8, 40, 200, 100000});
        std::string text(kTelemetryPrefix);
        for (std::size_t i = 0; i < kTelemetryKeys.size(); ++i) {
            const TelemetryKey& key = kTelemetryKeys[i];
            if (i > 0) {
                text += kTelemetryKeys[i - 1].kind == TelemetryKind::Word ? Blank() + ";" : ";";
            }
            text += key.name;
            text += '=';
            text += key.kind == TelemetryKind::Number ? Number() : Word();
        }
        return text + Blank() + (Chance(10) ? "\n" : "");
    }

    std::string Mutated(std::string text) {
        const int edits = Between(1, 4);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const std::size_t at = Below(text.size());
            switch (Between(0, 4)) {
                case 0: text.resize(at); break;
                case 1: text.erase(at, Below(4) + 1); break;
                case 2: text.insert(at, 1, Pick(kInteresting)); break;
                case 3: text[at] = Pick(kInteresting); break;
                default: text.insert(at, text.substr(Below(text.size()), Below(12))); break;
            }
        }
        return text.substr(0, testing::kReferenceMaxText);
    }

private:
    static constexpr std::string_view kInteresting = "0123456789.,eEpPxX+-;= \t\r\nnaifINFy()_";

    std::string Number() {
        static const std::array<const char*, 34> kSpecials = {
            "inf", "INF", "Infinity", "infinity", "infin", "infinityx", "iNfInItY", "nan",
            "NaN", "nan(1)", "nan()", "i", "n", "na", "-", "+", ".", "-.", "+.e", "1e", "1e+",
            "1e-", "0x", "0X", "0x.", "0xp1", "0x1p", "1.5e3.2", "1,5", "", "00x1", "1e99999",
            "1e-99999", "0x1p-149"};
        static const std::array<const char*, 8> kInfinitiesAndNaNs = {
            "inf", "INF", "Infinity", "infinity", "iNfInItY", "nan", "NaN", "nAn"};
        std::string sign = Chance(4) ? (Chance(2) ? "-" : "+") : "";
        std::string blank = Chance(10) ? Blank() : "";
        if (Chance(cornerOneIn)) {
            return blank + sign + Pick(kSpecials);
        }
        switch (Between(0, 9)) {
            case 0: return blank + sign + Pick(kInfinitiesAndNaNs);
            case 1:
            case 2: return blank + sign + Hex();
            default: return blank + sign + Decimal();
        }
    }

    std::string Decimal() {
        std::string text = Digits(Chance(2) ? Between(1, 3) : Between(1, 45), "0123456789");
        if (Chance(2)) {
            text += '.' + Digits(Between(0, 12), "0123456789");
        }
        if (Chance(3)) {
            text += Chance(2) ? 'e' : 'E';
            text += Chance(2) ? (Chance(2) ? "-" : "+") : "";
            text += Digits(Between(0, 3), "0123456789");
        }
        return text;
    }

    std::string Hex() {
        std::string text = Chance(2) ? "0x" : "0X";
        text += Digits(Between(1, 10), "0123456789abcdefABCDEF");
        if (Chance(2)) {
            text += '.' + Digits(Between(0, 8), "0123456789abcdef");
        }
        if (Chance(2)) {
            text += Chance(2) ? 'p' : 'P';
            text += Chance(2) ? (Chance(2) ? "-" : "+") : "";
            text += Digits(Between(0, 3), "0123456789");
        }
        return text;
    }

    std::string Word() {
        static constexpr std::string_view kWordCharacters =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_;=.\xC3\xA9\xFF";
        std::string text = Chance(8) ? Blank() : "";
        return text + Digits(Chance(4) ? Between(0, 25) : Between(1, 7), kWordCharacters);
    }

    std::string Blank() {
        static constexpr std::string_view kBlanks = " \t\n\v\f\r";
        return Chance(6) ? "" : Digits(Between(1, 3), kBlanks);
    }

    std::string Digits(int count, std::string_view alphabet) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += Pick(alphabet);
        }
        return text;
    }

    char Pick(std::string_view alphabet) { return alphabet[Below(alphabet.size())]; }
    template <typename T, std::size_t N>
    T Pick(const std::array<T, N>& choices) {
        return choices[Below(N)];
    }
    bool Chance(int oneIn) { return Between(1, oneIn) == 1; }
    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    std::size_t Below(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    }

    std::mt19937 random;
    int cornerOneIn = 40;
};

// Returns whether the datagram got as far as the last word.
bool ExpectSameAsScanf(const std::string& text) {
    const TelemetrySample before = PreviousSample();
    TelemetrySample ours = before;
    TelemetrySample reference = before;
    const int ourCount = ParseTelemetry(text.c_str(), ours);
    const int referenceCount = ReferenceParse(text.c_str(), reference);
    EXPECT_EQ(DescribeDifferences(ours, reference), "") << "datagram: " << text;
    EXPECT_EQ(ourCount, referenceCount) << "datagram: " << text;
    if (WordsFit(text.c_str(), before)) {
        TelemetrySample bounded = before;
        BoundedReferenceParse(text.c_str(), bounded);
        EXPECT_EQ(DescribeDifferences(ours, bounded), "") << "datagram: " << text;
    }
    return std::string_view(reference.acs) != before.acs;
}

TEST(TelemetryParserDifferentialTest, GeneratedDatagramsMatchScanf) {
#ifndef __GLIBC__
    GTEST_SKIP() << "the reference rules are those of the GNU C library's sscanf";
#endif
    DatagramGenerator generator(20261208);
    int reachedLastWord = 0;
    for (int i = 0; i < 3000 && !HasFailure(); ++i) {
        reachedLastWord += ExpectSameAsScanf(generator.Datagram()) ? 1 : 0;
    }
    EXPECT_GT(reachedLastWord, 600) << "the generator no longer reaches the words";
}

TEST(TelemetryParserDifferentialTest, MutatedDatagramsMatchScanf) {
#ifndef __GLIBC__
    GTEST_SKIP() << "the reference rules are those of the GNU C library's sscanf";
#endif
    DatagramGenerator generator(6060);
    for (int i = 0; i < 3000 && !HasFailure(); ++i) {
        const std::string datagram = generator.Datagram();
        ExpectSameAsScanf(generator.Mutated(datagram));
        ExpectSameAsScanf(generator.Mutated(datagram));
    }
}

// Plain decimals are converted by one double division when they are short
// enough; these spellings sit where that can go wrong: halfway between two
// floats, and within a few units of the 16th digit of halfway, where the
// double quotient can land exactly on the midpoint although the decimal is
// not on it (15 and 16 significant digits: mantissas just below and just
// above 2^53), and at the limits of the exact mantissa.
std::vector<std::string> DecimalsNearFloatMidpoints(unsigned seed, int count) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::uint32_t> bits(0x3F800000u, 0x447A0000u);  // [1, 1000]
    std::vector<std::string> spellings = {
        "16777217", "16777219", "8388608.5", "8388609.5", "33554434", "33554438",
        "8388608.500000001", "8388608.499999999", "9007199254740992", "9007199254740993",
        "9999999999999999999", "0.9999999999999999999", "4503599627370497.5",
        "1234567890123456789", "0.0000000000000000001", "1.0000000596046448"};
    char text[64];
    for (int i = 0; i < count; ++i) {
        const float below = std::bit_cast<float>(bits(random));
        const double midpoint =
            (static_cast<double>(below) +
             static_cast<double>(std::nextafter(below, std::numeric_limits<float>::infinity()))) / 2;
        const int integerDigits = midpoint < 10 ? 1 : midpoint < 100 ? 2 : 3;
        for (const int significant : {15, 16}) {
            std::snprintf(text, sizeof text, "%.*f", significant - integerDigits, midpoint);
            std::string spelling(text);
            spellings.push_back(spelling);
            for (const char last : {'0', '1', '9'}) {
                spelling.back() = last;
                spellings.push_back(spelling);
            }
        }
    }
    return spellings;
}

TEST(TelemetryParserDifferentialTest, PlainDecimalsNearFloatMidpointsMatchScanf) {
#ifndef __GLIBC__
    GTEST_SKIP() << "the reference rules are those of the GNU C library's sscanf";
#endif
    for (const std::string& spelling : DecimalsNearFloatMidpoints(1852, 4000)) {
        for (const char* sign : {"", "-"}) {
            ExpectSameAsScanf(std::string(kTelemetryPrefix) + "asl=" + sign + spelling + ";agl=1");
        }
        if (HasFailure()) {
            break;
        }
    }
}

}  // namespace
}  // namespace vareko
