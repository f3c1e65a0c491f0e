// The layout rules of DrawTextEx, as a table: each row is one rule with the
// lines, their positions, the DT_CALCRECT rectangle and the result it gives.
// Every character is 5 pixels wide ("i" 2; a surrogate pair is one
// character), lines are 10 pixels high.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "platform/text/characters.h"
#include "platform/text/text_layout.h"

namespace vareko::text {
namespace {

class FixedMeasure final : public RunMeasure {
public:
    LONG RunWidth(std::wstring_view run) const override {
        LONG width = 0;
        for (std::size_t i = 0; i < run.size(); i += CharacterAt(run, i).units) width += run[i] == L'i' ? 2 : 5;
        return width;
    }
    LONG LineHeight() const override { return 10; }
};

// Counts the code units it is asked to measure, each 5 pixels wide.
class CountingMeasure final : public RunMeasure {
public:
    LONG RunWidth(std::wstring_view run) const override {
        measured += run.size();
        return static_cast<LONG>(run.size()) * 5;
    }
    LONG LineHeight() const override { return 10; }
    mutable std::size_t measured = 0;
};

// U+1F600 as a surrogate pair.
const std::wstring kPair = L"\xD83D\xDE00";

struct Line {
    std::wstring text;
    LONG x;
    LONG y;
};

struct Rule {
    const char* rule;
    std::wstring text;
    RECT rect;
    UINT format;
    LONG leftMargin;
    LONG rightMargin;
    std::vector<Line> lines;
    RECT bounds;
    int result;
};

const std::vector<Rule>& Rules() {
    static const std::vector<Rule> rules = {
        {"single line, left", L"abc", {0, 0, 50, 12}, 0, 0, 0, {{L"abc", 0, 0}}, {0, 0, 15, 10}, 10},
        {"single line keeps its blanks", L" ab ", {0, 0, 50, 12}, 0, 0, 0, {{L" ab ", 0, 0}}, {0, 0, 20, 10}, 10},
        {"centred, remainder to the right", L"abc", {0, 0, 50, 12}, DT_CENTER, 0, 0, {{L"abc", 17, 0}}, {0, 0, 15, 10}, 10},
        {"right aligned", L"abc", {0, 0, 50, 12}, DT_RIGHT, 0, 0, {{L"abc", 35, 0}}, {0, 0, 15, 10}, 10},
        {"rectangle origin is kept", L"ab", {7, 3, 50, 12}, 0, 0, 0, {{L"ab", 7, 3}}, {7, 3, 17, 13}, 10},
        {"too long without word break stays one line", L"abcdefghjk", {0, 0, 20, 12}, 0, 0, 0, {{L"abcdefghjk", 0, 0}}, {0, 0, 50, 10}, 10},
        {"centred text wider than the box overhangs both sides", L"abcdefgh", {0, 0, 20, 12}, DT_CENTER, 0, 0, {{L"abcdefgh", -10, 0}}, {0, 0, 40, 10}, 10},
        {"line feed breaks a line", L"ab\ncde", {0, 0, 50, 12}, 0, 0, 0, {{L"ab", 0, 0}, {L"cde", 0, 10}}, {0, 0, 15, 20}, 20},
        {"CR LF is one break", L"ab\r\ncd", {0, 0, 50, 12}, 0, 0, 0, {{L"ab", 0, 0}, {L"cd", 0, 10}}, {0, 0, 10, 20}, 20},
        {"lone CR breaks too", L"ab\rcd", {0, 0, 50, 12}, 0, 0, 0, {{L"ab", 0, 0}, {L"cd", 0, 10}}, {0, 0, 10, 20}, 20},
        {"empty line between breaks", L"a\n\nb", {0, 0, 50, 12}, 0, 0, 0, {{L"a", 0, 0}, {L"", 0, 10}, {L"b", 0, 20}}, {0, 0, 5, 30}, 30},
        {"break at the end adds no line", L"ab\n", {0, 0, 50, 12}, 0, 0, 0, {{L"ab", 0, 0}}, {0, 0, 10, 10}, 10},
        {"single line ignores line ends", L"a\nb", {0, 0, 50, 12}, DT_SINGLELINE, 0, 0, {{L"a\nb", 0, 0}}, {0, 0, 15, 10}, 10},
        {"word break after blanks", L"abc def", {0, 0, 25, 12}, DT_WORDBREAK, 0, 0, {{L"abc", 0, 0}, {L"def", 0, 10}}, {0, 0, 15, 20}, 20},
        {"blanks at the break are dropped", L"ab   cd", {0, 0, 20, 12}, DT_WORDBREAK, 0, 0, {{L"ab", 0, 0}, {L"cd", 0, 10}}, {0, 0, 10, 20}, 20},
        {"several words share a line while they fit", L"ab cd ef gh", {0, 0, 35, 12}, DT_WORDBREAK, 0, 0, {{L"ab cd", 0, 0}, {L"ef gh", 0, 10}}, {0, 0, 25, 20}, 20},
        {"text that fits is not wrapped", L"ab cd", {0, 0, 25, 12}, DT_WORDBREAK, 0, 0, {{L"ab cd", 0, 0}}, {0, 0, 25, 10}, 10},
        {"blanks may overhang the line", L"abcde   ", {0, 0, 25, 12}, DT_WORDBREAK, 0, 0, {{L"abcde   ", 0, 0}}, {0, 0, 40, 10}, 10},
        {"leading blanks stay", L"  ab", {0, 0, 50, 12}, DT_WORDBREAK, 0, 0, {{L"  ab", 0, 0}}, {0, 0, 20, 10}, 10},
        {"a word wider than the line is broken", L"abcdefg", {0, 0, 15, 12}, DT_WORDBREAK, 0, 0, {{L"abc", 0, 0}, {L"def", 0, 10}, {L"g", 0, 20}}, {0, 0, 15, 30}, 30},
        {"a long word after a short one moves down first", L"ab cdefgh", {0, 0, 15, 12}, DT_WORDBREAK, 0, 0, {{L"ab", 0, 0}, {L"cde", 0, 10}, {L"fgh", 0, 20}}, {0, 0, 15, 30}, 30},
        {"at least one code unit per line", L"ab", {0, 0, 3, 12}, DT_WORDBREAK, 0, 0, {{L"a", 0, 0}, {L"b", 0, 10}}, {0, 0, 5, 20}, 20},
        {"a surrogate pair is one character", L"a" + kPair + L"b", {0, 0, 15, 12}, DT_WORDBREAK, 0, 0, {{L"a" + kPair + L"b", 0, 0}}, {0, 0, 15, 10}, 10},
        {"a word is never cut inside a pair", L"a" + kPair + L"b", {0, 0, 9, 12}, DT_WORDBREAK, 0, 0, {{L"a", 0, 0}, {kPair, 0, 10}, {L"b", 0, 20}}, {0, 0, 5, 30}, 30},
        {"a pair alone in a narrow line stays whole", kPair + kPair, {0, 0, 3, 12}, DT_WORDBREAK, 0, 0, {{kPair, 0, 0}, {kPair, 0, 10}}, {0, 0, 5, 20}, 20},
        {"lone and reversed surrogates are characters of their own", L"\xDE00\xD83D", {0, 0, 7, 12}, DT_WORDBREAK, 0, 0, {{L"\xDE00", 0, 0}, {L"\xD83D", 0, 10}}, {0, 0, 5, 20}, 20},
        {"wrapped lines are aligned one by one", L"abc de", {0, 0, 20, 12}, DT_WORDBREAK | DT_RIGHT, 0, 0, {{L"abc", 5, 0}, {L"de", 10, 10}}, {0, 0, 15, 20}, 20},
        {"wrapped and centred", L"abc de", {0, 0, 20, 12}, DT_WORDBREAK | DT_CENTER, 0, 0, {{L"abc", 2, 0}, {L"de", 5, 10}}, {0, 0, 15, 20}, 20},
        {"proportional widths", L"iii iii", {0, 0, 14, 12}, DT_WORDBREAK, 0, 0, {{L"iii", 0, 0}, {L"iii", 0, 10}}, {0, 0, 6, 20}, 20},
        {"left margin moves the text and widens the bounds", L"ab", {0, 0, 50, 12}, 0, 4, 0, {{L"ab", 4, 0}}, {0, 0, 14, 10}, 10},
        {"right margin narrows the right edge", L"ab", {0, 0, 50, 12}, DT_RIGHT, 0, 6, {{L"ab", 34, 0}}, {0, 0, 16, 10}, 10},
        {"margins narrow the wrapping width", L"ab cd", {0, 0, 30, 12}, DT_WORDBREAK, 3, 3, {{L"ab", 3, 0}, {L"cd", 3, 10}}, {0, 0, 16, 20}, 20},
        {"margins centre in the narrowed box", L"a", {0, 0, 30, 12}, DT_CENTER, 10, 0, {{L"a", 17, 0}}, {0, 0, 15, 10}, 10},
        {"vertical centre of a single line", L"ab", {0, 0, 50, 30}, DT_SINGLELINE | DT_VCENTER, 0, 0, {{L"ab", 0, 10}}, {0, 0, 10, 10}, 20},
        {"bottom of a single line", L"ab", {0, 0, 50, 30}, DT_SINGLELINE | DT_BOTTOM, 0, 0, {{L"ab", 0, 20}}, {0, 0, 10, 10}, 30},
        {"vertical centre needs a single line", L"ab", {0, 0, 50, 30}, DT_VCENTER, 0, 0, {{L"ab", 0, 0}}, {0, 0, 10, 10}, 10},
        {"empty text is one empty line", L"", {2, 3, 50, 12}, DT_WORDBREAK, 0, 0, {{L"", 2, 3}}, {2, 3, 2, 13}, 10},
        {"empty text keeps the margins in the bounds", L"", {0, 0, 50, 12}, 0, 2, 3, {{L"", 2, 0}}, {0, 0, 5, 10}, 10},
    };
    return rules;
}

TEST(TextLayout, FollowsTheRuleTable) {
    const FixedMeasure measure;
    for (const Rule& rule : Rules()) {
        SCOPED_TRACE(rule.rule);
        const TextLayout layout =
            LayoutText(rule.text, rule.rect, rule.format, rule.leftMargin, rule.rightMargin, measure);
        ASSERT_EQ(layout.lines.size(), rule.lines.size());
        for (std::size_t i = 0; i < rule.lines.size(); ++i) {
            const LaidLine& got = layout.lines[i];
            EXPECT_EQ(rule.text.substr(got.start, got.length), rule.lines[i].text) << "line " << i;
            EXPECT_EQ(got.x, rule.lines[i].x) << "line " << i;
            EXPECT_EQ(got.y, rule.lines[i].y) << "line " << i;
            EXPECT_EQ(got.width, measure.RunWidth(rule.lines[i].text)) << "line " << i;
        }
        EXPECT_EQ(layout.bounds.left, rule.bounds.left);
        EXPECT_EQ(layout.bounds.top, rule.bounds.top);
        EXPECT_EQ(layout.bounds.right, rule.bounds.right);
        EXPECT_EQ(layout.bounds.bottom, rule.bounds.bottom);
        EXPECT_EQ(layout.result, rule.result);
    }
}

// Rectangles and margins at the ends of the LONG range: positions and bounds
// saturate instead of overflowing (the sanitizer build turns an overflow into
// a failure).
TEST(TextLayout, SaturatesAtTheEndsOfTheRange) {
    constexpr LONG kMax = std::numeric_limits<LONG>::max();
    constexpr LONG kMin = std::numeric_limits<LONG>::min();
    const FixedMeasure measure;
    const struct {
        const char* rule;
        RECT rect;
        UINT format;
        LONG leftMargin, rightMargin;
        LONG x, y;
        RECT bounds;
        int result;
    } cases[] = {
        {"left margin past the end", {kMax - 5, 0, kMax, 12}, 0, 1000, 0, kMax, 0, {kMax - 5, 0, kMax, 10}, 10},
        {"right margin past the start", {kMin, 0, kMin + 5, 12}, DT_RIGHT, 0, 1000, kMin, 0, {kMin, 0, kMin + 1015, 10}, 10},
        {"widest box centred", {kMin, 0, kMax, 12}, DT_CENTER, 0, 0, -8, 0, {kMin, 0, kMin + 15, 10}, 10},
        {"bottom below the end", {0, kMax - 3, 50, kMin}, DT_SINGLELINE | DT_BOTTOM, 0, 0, 0, kMin, {0, kMax - 3, 15, kMax}, kMin},
        {"margins at both ends of the range", {0, 0, 50, 12}, 0, kMax, kMin, kMax, 0, {0, 0, 14, 10}, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        const TextLayout layout = LayoutText(L"abc", c.rect, c.format, c.leftMargin, c.rightMargin, measure);
        ASSERT_EQ(layout.lines.size(), 1u);
        EXPECT_EQ(layout.lines[0].x, c.x);
        EXPECT_EQ(layout.lines[0].y, c.y);
        EXPECT_EQ(layout.bounds.left, c.bounds.left);
        EXPECT_EQ(layout.bounds.top, c.bounds.top);
        EXPECT_EQ(layout.bounds.right, c.bounds.right);
        EXPECT_EQ(layout.bounds.bottom, c.bounds.bottom);
        EXPECT_EQ(layout.result, c.result);
    }
}

// Breaking measures every character a bounded number of times, so long lines
// cost time in proportion to their length (a pass that re-measures the line
// from its start for every character measures n^2 / 2 code units).
TEST(TextLayout, LongLinesAreMeasuredInLinearWork) {
    const struct {
        const char* rule;
        std::wstring text;
        LONG width;
    } cases[] = {
        {"words in a wide box", [] {
             std::wstring text;
             while (text.size() < 20000) text += L"WARNING LOW PETROL ";
             return text;
         }(), 10000},
        {"one word in a wide box", std::wstring(20000, L'x'), 10000},
        {"one word in a box one character wide", std::wstring(20000, L'x'), 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        const CountingMeasure measure;
        const TextLayout layout = LayoutText(c.text, {0, 0, c.width, 12}, DT_WORDBREAK, 0, 0, measure);
        std::size_t laid = 0;
        for (const LaidLine& line : layout.lines) {
            EXPECT_LE(line.width, c.width);
            laid += line.length;
        }
        EXPECT_LE(laid, c.text.size());
        EXPECT_GT(laid, c.text.size() * 9 / 10);
        EXPECT_LE(measure.measured, 3 * c.text.size());
    }
}

TEST(TextLayout, PrefixesAreResolved) {
    const struct {
        std::wstring in, out;
    } cases[] = {
        {L"&File", L"File"}, {L"a&&b", L"a&b"}, {L"end&", L"end&"}, {L"&", L"&"}, {L"&&&x", L"&x"}, {L"none", L"none"},
    };
    for (const auto& c : cases) EXPECT_EQ(StripPrefixes(c.in), c.out);
}

}  // namespace
}  // namespace vareko::text
