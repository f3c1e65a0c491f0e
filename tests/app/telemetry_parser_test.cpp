// Parser behaviour by theme: the key table, the prefix, partial datagrams,
// number spellings and words, each checked against a record whose previous
// values show exactly which fields a datagram changed.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "app/telemetry_parser.h"
#include "testing/support/telemetry_text.h"

namespace vareko {
namespace {

using testing::DatagramText;
using testing::DescribeDifferences;
using testing::PreviousSample;
using testing::WellFormedFields;

TelemetrySample Parsed(const std::string& text) {
    TelemetrySample sample = PreviousSample();
    ParseTelemetry(text.c_str(), sample);
    return sample;
}

// The previous record with the first `count` fields taken from `fields`
// (numbers parsed by hand from the well-formed spellings "N.5").
TelemetrySample ExpectedAfter(const std::vector<std::string>& fields, std::size_t count) {
    TelemetrySample sample = PreviousSample();
    for (std::size_t i = 0; i < count; ++i) {
        const TelemetryKey& key = kTelemetryKeys[i];
        if (key.kind == TelemetryKind::Number) {
            sample.*key.number = std::stof(fields[i]);
        } else {
            std::span<char> field = key.word(sample);
            fields[i].copy(field.data(), field.size() - 1);
            field[std::min(fields[i].size(), field.size() - 1)] = '\0';
        }
    }
    return sample;
}

TEST(TelemetryKeysTest, ListsTheDatagramKeysInOrderWithTheirKinds) {
    std::string names;
    for (const TelemetryKey& key : kTelemetryKeys) {
        names += std::string(key.name) + (key.kind == TelemetryKind::Word ? "/w " : " ");
    }
    EXPECT_EQ(names,
              "asl agl mbr vvi aoa bal pit bnk yaw rpi rbk mch ias tas ras glo noz tki tke flw "
              "rpl rpr egl egr lnd brk epu oil chf flr loc gds crs rmi dis bea hdg ded "
              "mod/w sub/w acs/w ");
}

TEST(TelemetryKeysTest, EachKeyAddressesItsOwnMemberInRecordOrder) {
    TelemetrySample sample{};
    const auto* base = reinterpret_cast<const char*>(&sample);
    std::ptrdiff_t previousOffset = -1;
    for (const TelemetryKey& key : kTelemetryKeys) {
        const char* field = key.kind == TelemetryKind::Number
                                ? reinterpret_cast<const char*>(&(sample.*key.number))
                                : key.constWord(sample).data();
        EXPECT_GT(field - base, previousOffset) << key.name;
        previousOffset = field - base;
    }
    EXPECT_EQ(kTelemetryKeys[17].name, "tki");
    EXPECT_EQ(kTelemetryKeys[17].number, &TelemetrySample::tki);
    EXPECT_EQ(kTelemetryKeys[38].capacity, sizeof(sample.mod));
    EXPECT_EQ(kTelemetryKeys[39].capacity, sizeof(sample.sub));
    EXPECT_EQ(kTelemetryKeys[40].capacity, sizeof(sample.acs));
    EXPECT_EQ(kTelemetryKeys[40].word(sample).data(), sample.acs);
}

TEST(TelemetryPrefixTest, TextWithoutTheExactPrefixChangesNothing) {
    const std::string rest = DatagramText(WellFormedFields()).substr(kTelemetryPrefix.size());
    for (const std::string prefix : {"", "src=export.lua", "src=export.lu;", "SRC=export.lua;",
                                     " src=export.lua;", "src=export.lua:", "src = export.lua;"}) {
        EXPECT_EQ(DescribeDifferences(Parsed(prefix + rest), PreviousSample()), "")
            << "prefix \"" << prefix << "\"";
    }
    EXPECT_EQ(DescribeDifferences(Parsed(""), PreviousSample()), "");
    EXPECT_EQ(DescribeDifferences(Parsed("src=export.lua;"), PreviousSample()), "");
}

TEST(TelemetryDatagramTest, WellFormedDatagramSetsEveryField) {
    const std::vector<std::string> fields = WellFormedFields();
    EXPECT_EQ(DescribeDifferences(Parsed(DatagramText(fields)), ExpectedAfter(fields, 41)), "");
}

TEST(TelemetryDatagramTest, AnythingBehindTheLastWordIsIgnored) {
    const std::vector<std::string> fields = WellFormedFields();
    const TelemetrySample expected = ExpectedAfter(fields, 41);
    std::string text = DatagramText(fields);
    text.pop_back();
    text.pop_back();  // no blank behind the last word
    EXPECT_EQ(DescribeDifferences(Parsed(text), expected), "");
    EXPECT_EQ(DescribeDifferences(Parsed(text + "\r\n;mod=XYZ ;garbage"), expected), "");
}

TEST(TelemetryPartialTest, ShortDatagramSetsOnlyTheFieldsItHolds) {
    TelemetrySample expected = PreviousSample();
    expected.asl = 1.0F;
    expected.agl = 2.0F;
    EXPECT_EQ(DescribeDifferences(Parsed("src=export.lua;asl=1;agl=2"), expected), "");
}

TEST(TelemetryPartialTest, DatagramCutBehindAnyFieldSetsTheFieldsBeforeTheCut) {
    const std::vector<std::string> fields = WellFormedFields();
    for (std::size_t count = 0; count <= fields.size(); ++count) {
        const std::vector<std::string> head(fields.begin(), fields.begin() + count);
        std::string text = DatagramText(head);
        EXPECT_EQ(DescribeDifferences(Parsed(text), ExpectedAfter(fields, count)), "")
            << count << " fields: " << text;
        TelemetrySample sample{};
        EXPECT_EQ(ParseTelemetry(text.c_str(), sample), static_cast<int>(count)) << text;
        if (count < fields.size()) {
            // The separator and the next key without a value change nothing more.
            text += (count > 38 ? " ;" : ";") + std::string(kTelemetryKeys[count].name) + "=";
            EXPECT_EQ(DescribeDifferences(Parsed(text), ExpectedAfter(fields, count)), "") << text;
        }
    }
}

TEST(TelemetryPartialTest, MismatchStopsParsingAndKeepsWhatWasRead) {
    struct Case {
        const char* text;
        bool aslRead;
        bool aglRead;
    };
    const Case cases[] = {
        {"src=export.lua;asl=1;agl=2;xyz=3;vvi=4", true, true},  // wrong key
        {"src=export.lua;asl=1;mbr=2", true, false},             // key out of order
        {"src=export.lua;asl=1 ;agl=2", true, false},            // blank before a number's ";"
        {"src=export.lua;asl=1;;agl=2", true, false},            // doubled separator
        {"src=export.lua;asl=1;agl:2", true, false},             // wrong separator
        {"src=export.lua;asl=1; agl=2", true, false},            // blank before a key
        {"src=export.lua;asl=x;agl=2", false, false},            // no number at all
    };
    for (const Case& c : cases) {
        TelemetrySample expected = PreviousSample();
        if (c.aslRead) {
            expected.asl = 1.0F;
        }
        if (c.aglRead) {
            expected.agl = 2.0F;
        }
        EXPECT_EQ(DescribeDifferences(Parsed(c.text), expected), "") << c.text;
        TelemetrySample sample{};
        EXPECT_EQ(ParseTelemetry(c.text, sample), (c.aslRead ? 1 : 0) + (c.aglRead ? 1 : 0))
            << c.text;
    }
}

// A number spelling in the first field, and what the parser makes of it.
struct NumberCase {
    const char* spelling;
    bool stored;
    float value;
    bool parsingGoesOn;  // the next field ("agl=9") is still read
};

// Readable test names in CTest: the spelling with control characters escaped.
void PrintTo(const NumberCase& c, std::ostream* out) {
    *out << '"';
    for (const char* p = c.spelling; *p != '\0'; ++p) {
        if (*p >= ' ' && *p <= '~') {
            *out << *p;
        } else {
            *out << "\\x" << std::hex << static_cast<int>(static_cast<unsigned char>(*p))
                 << std::dec;
        }
    }
    *out << '"';
}

class TelemetryNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(TelemetryNumberTest, ReadsTheNumberAsFormattedInputDoes) {
    const NumberCase& c = GetParam();
    const TelemetrySample sample =
        Parsed("src=export.lua;asl=" + std::string(c.spelling) + ";agl=9;mbr=10");
    const TelemetrySample previous = PreviousSample();
    const float expected = c.stored ? c.value : previous.asl;
    EXPECT_EQ(std::bit_cast<std::uint32_t>(sample.asl), std::bit_cast<std::uint32_t>(expected))
        << "got " << sample.asl << ", expected " << expected;
    EXPECT_EQ(sample.agl, c.parsingGoesOn ? 9.0F : previous.agl);
    EXPECT_EQ(sample.mbr, c.parsingGoesOn ? 10.0F : previous.mbr);
}

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Exponents, TelemetryNumberTest,
    ::testing::Values(NumberCase{"1.5e3", true, 1500.0F, true},
                      NumberCase{"1.5E+3", true, 1500.0F, true},
                      NumberCase{"25e-1", true, 2.5F, true},
                      NumberCase{"1e", true, 1.0F, true},    // letter consumed, then ignored
                      NumberCase{"1e+", true, 1.0F, true},
                      NumberCase{"2E-", true, 2.0F, true},
                      NumberCase{"1.5e3.2", true, 1500.0F, false},
                      NumberCase{"1e+-5", true, 1.0F, false},
                      NumberCase{"1e5e", true, 100000.0F, false}));

INSTANTIATE_TEST_SUITE_P(
    DecimalPoint, TelemetryNumberTest,
    ::testing::Values(NumberCase{"1,5", true, 1.0F, false},  // comma ends the number
                      NumberCase{"12.25", true, 12.25F, true},
                      NumberCase{"5.", true, 5.0F, true},
                      NumberCase{".5", true, 0.5F, true},
                      NumberCase{".", false, 0.0F, false},
                      NumberCase{"0.1", true, 0.1F, true},
                      NumberCase{"1.2.3", true, 1.2F, false}));

INSTANTIATE_TEST_SUITE_P(
    SignsAndBlanks, TelemetryNumberTest,
    ::testing::Values(NumberCase{"-2.5", true, -2.5F, true},
                      NumberCase{"+3", true, 3.0F, true},
                      NumberCase{"-.5", true, -0.5F, true},
                      NumberCase{"-0", true, -0.0F, true},
                      NumberCase{"-", false, 0.0F, false},
                      NumberCase{"+", false, 0.0F, false},
                      NumberCase{"-.", false, 0.0F, false},
                      NumberCase{"--1", false, 0.0F, false},
                      NumberCase{"- 1", false, 0.0F, false},
                      NumberCase{" \t\n7", true, 7.0F, true},   // leading white space skipped
                      NumberCase{"7 ", true, 7.0F, false},      // trailing blank is no ";"
                      NumberCase{"", false, 0.0F, false},
                      NumberCase{"abc", false, 0.0F, false}));

INSTANTIATE_TEST_SUITE_P(
    HexFloats, TelemetryNumberTest,
    ::testing::Values(NumberCase{"0x1.8p1", true, 3.0F, true},
                      NumberCase{"-0X10", true, -16.0F, true},
                      NumberCase{"0x1e", true, 30.0F, true},  // "e" is a hex digit
                      NumberCase{"0x1p", true, 1.0F, true},
                      NumberCase{"0x.8", true, 0.5F, true},
                      NumberCase{"0x.", true, 0.0F, true},  // reads as its leading 0
                      NumberCase{"0x", false, 0.0F, false},
                      NumberCase{"0xp3", false, 0.0F, false},
                      NumberCase{"00x1", true, 0.0F, false}));

INSTANTIATE_TEST_SUITE_P(
    InfinityAndNaN, TelemetryNumberTest,
    ::testing::Values(NumberCase{"inf", true, kInf, true},
                      NumberCase{"-Infinity", true, -kInf, true},
                      NumberCase{"INFINITY", true, kInf, true},
                      NumberCase{"infin", false, 0.0F, false},
                      NumberCase{"infx", true, kInf, false},
                      NumberCase{"in", false, 0.0F, false},
                      NumberCase{"nan", true, kNaN, true},
                      NumberCase{"-NaN", true, -kNaN, true},
                      NumberCase{"nan(1)", true, kNaN, false},  // "(1)" is not read
                      NumberCase{"na", false, 0.0F, false}));

INSTANTIATE_TEST_SUITE_P(
    HugeAndTiny, TelemetryNumberTest,
    ::testing::Values(NumberCase{"1e39", true, kInf, true},
                      NumberCase{"-1e39", true, -kInf, true},
                      NumberCase{"3.4028235e38", true, std::numeric_limits<float>::max(), true},
                      NumberCase{"1e999999999999999999999", true, kInf, true},
                      NumberCase{"0x1p128", true, kInf, true},
                      NumberCase{"1e-50", true, 0.0F, true},
                      NumberCase{"-1e-50", true, -0.0F, true},
                      NumberCase{"0x1p-200", true, 0.0F, true},
                      NumberCase{"1e-45", true, std::numeric_limits<float>::denorm_min(), true},
                      NumberCase{"0.000000000000000000000000000000000000000000000000001", true,
                                 0.0F, true},
                      NumberCase{"123456789012345678901234567890", true, 1.2345679e29F, true},
                      NumberCase{"16777217", true, 16777216.0F, true}));  // rounds to even

// The tail of a datagram from "mod=" on, and the three words it leaves.
struct WordCase {
    const char* name;
    const char* tail;
    const char* mod;
    const char* sub;
    const char* acs;
};

void PrintTo(const WordCase& c, std::ostream* out) { *out << c.name; }

class TelemetryWordTest : public ::testing::TestWithParam<WordCase> {};

TEST_P(TelemetryWordTest, StoresWordsWithinTheirFields) {
    const WordCase& c = GetParam();
    std::vector<std::string> numbers = WellFormedFields();
    numbers.resize(kTelemetryNumberCount);
    const std::string text = DatagramText(numbers) + ";" + c.tail;
    TelemetrySample expected = ExpectedAfter(numbers, kTelemetryNumberCount);
    std::strcpy(expected.mod, c.mod);
    std::strcpy(expected.sub, c.sub);
    std::strcpy(expected.acs, c.acs);
    EXPECT_EQ(DescribeDifferences(Parsed(text), expected), "") << text;
}

INSTANTIATE_TEST_SUITE_P(
    Words, TelemetryWordTest,
    ::testing::Values(
        WordCase{"ExactFit", "mod=F16 ;sub=ABCDEFG ;acs=ABCDEFGHIJKLMNOPQRS \n", "F16", "ABCDEFG",
                 "ABCDEFGHIJKLMNOPQRS"},
        WordCase{"AnyWhiteSpaceBeforeSemicolon", "mod=F16\t\t;sub=NAV\r\n;acs=X\f", "F16", "NAV",
                 "X"},
        WordCase{"WhiteSpaceBeforeWord", "mod= \tF16 ;sub=  NAV ;acs=\nX", "F16", "NAV", "X"},
        WordCase{"EightBitCharacters", "mod=\xC9t\xE9 ;sub=\xFF ;acs=caf\xC3\xA9", "\xC9t\xE9",
                 "\xFF", "caf\xC3\xA9"},
        WordCase{"MissingBlankAfterMod", "mod=F16;sub=NAV ;acs=X ", "F16", "oldsub", "oldacs"},
        WordCase{"MissingBlankAfterSub", "mod=F16 ;sub=NAV;acs=X ", "F16", "NAV;acs", "oldacs"},
        WordCase{"OverlongModIsCutAndParsingGoesOn", "mod=MIRAGE2000 ;sub=NAV ;acs=X", "MIR",
                 "NAV", "X"},
        WordCase{"OverlongSubIsCut", "mod=F16 ;sub=APPROACH1 ;acs=X", "F16", "APPROAC", "X"},
        WordCase{"OverlongAcsIsCut", "mod=F16 ;sub=NAV ;acs=ABCDEFGHIJKLMNOPQRSTUVWXYZ", "F16",
                 "NAV", "ABCDEFGHIJKLMNOPQRS"},
        WordCase{"OverlongLastWordBeforeEnd", "mod=MIRAGE2000", "MIR", "oldsub", "oldacs"},
        WordCase{"EmptyModTakesTheNextRun", "mod= ;sub=NAV ;acs=X", ";su", "oldsub", "oldacs"},
        WordCase{"EmptyAcsAtTheEnd", "mod=F16 ;sub=NAV ;acs=", "F16", "NAV", "oldacs"},
        WordCase{"BlankAcsAtTheEnd", "mod=F16 ;sub=NAV ;acs= \t\r\n", "F16", "NAV", "oldacs"},
        WordCase{"EmptySubAtTheEnd", "mod=F16 ;sub=", "F16", "oldsub", "oldacs"}),
    [](const ::testing::TestParamInfo<WordCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace vareko
