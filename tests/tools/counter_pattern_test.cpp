// The counter pattern of vareko-send: what the dashboard would show changes in
// every value box from one datagram to the next, the datagram parses back to
// the same record, and the low-fuel warning can never come up.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/format_integer.h"
#include "app/telemetry_parser.h"
#include "app/unit_conversion.h"
#include "tools/send/counter_pattern.h"
#include "tools/send/datagram_format.h"
#include "tools/send/options.h"

namespace vareko::send {
namespace {

// The texts of the flight page's value boxes, metric, as the dashboard writes them.
std::vector<std::wstring> ShownTexts(const TelemetrySample& s) {
    std::vector<std::wstring> texts;
    for (float figure : {SpeedFigure(s.ias, true), s.vvi, AltitudeFigure(s.agl, true), HeadingFigure(s.hdg),
                         FuelFigure(s.tki, true), FuelFigure(s.tke, true)}) {
        texts.emplace_back(FigureText(figure).data());
    }
    for (const char* word : {s.mod, s.sub, s.acs}) texts.emplace_back(word, word + std::string(word).size());
    return texts;
}

TEST(CounterPattern, EveryShownValueChangesWithEveryDatagram) {
    TelemetrySample before{}, after{};
    // Across every wrap of the pattern's cycles.
    for (std::uint64_t i = 0; i < 12000; ++i) {
        SampleCounter(i, before);
        SampleCounter(i + 1, after);
        const auto a = ShownTexts(before), b = ShownTexts(after);
        for (std::size_t box = 0; box < a.size(); ++box) {
            ASSERT_NE(a[box], b[box]) << "datagram " << i << ", value " << box;
        }
    }
}

TEST(CounterPattern, ParsesBackWholeAndNeverRaisesTheLowFuelWarning) {
    for (std::uint64_t i : {0ull, 1ull, 999ull, 123456ull, 9999999ull, 4000000000ull}) {
        TelemetrySample sent{}, parsed{};
        SampleCounter(i, sent);
        const std::string datagram = FormatDatagram(sent);
        EXPECT_EQ(41, ParseTelemetry(datagram.c_str(), parsed)) << i;
        EXPECT_EQ(0, std::memcmp(&sent, &parsed, sizeof sent)) << i;
        // Armed with the largest quantity the pattern sends, the threshold
        // stays below the smallest.
        EXPECT_GE(sent.tki, LowFuelThreshold(1999.0f));
    }
}

TEST(CounterPattern, IsChosenWithThePatternFlagOfTheFlightMode) {
    Options o;
    std::string error;
    const std::vector<const char*> counter = {"--pattern", "counter", "--rate", "100"};
    ASSERT_TRUE(ParseOptions(counter, o, error)) << error;
    EXPECT_EQ(FlightPattern::kCounter, o.pattern);
    for (const std::vector<const char*>& bad : {std::vector<const char*>{"--pattern", "count"},
                                                std::vector<const char*>{"replay", "f.rec", "--pattern", "counter"}}) {
        Options rejected;
        EXPECT_FALSE(ParseOptions(bad, rejected, error)) << bad[1];
    }
}

}  // namespace
}  // namespace vareko::send
