// Matching datagrams to frames by picture, and the percentile rank.
#include "testing/e2e/latency_match.h"

#include <gtest/gtest.h>

#include <vector>

namespace vareko::e2e {
namespace {

struct MatchCase {
    const char* name;
    std::uint64_t initial;
    std::vector<Stamped> datagrams;
    std::vector<Stamped> frames;
    std::vector<std::uint64_t> latenciesUs;
    std::size_t changing;
    std::size_t unmatched;
    std::size_t unexplained = 0;
    std::size_t superseded = 0;
};

TEST(LatencyMatchTest, PairsEachChangingDatagramWithItsFirstLaterFrame) {
    const MatchCase cases[] = {
        {"one datagram per frame",
         0,
         {{100, 1}, {200, 2}, {300, 3}},
         {{150, 1}, {260, 2}, {301, 3}},
         {50, 60, 1},
         3,
         0},
        {"a datagram that repeats the shown picture is not counted",
         0,
         {{100, 1}, {200, 1}, {300, 2}},
         {{150, 1}, {250, 1}, {320, 2}},
         {50, 20},
         2,
         0},
        {"the start-up picture is the one before the first datagram",
         7,
         {{100, 7}, {200, 8}},
         {{10, 7}, {230, 8}},
         {30},
         1,
         0},
        {"a frame from before the datagram does not count",
         0,
         {{100, 1}},
         {{90, 1}, {140, 1}},
         {40},
         1,
         0},
        {"the first of several frames with the picture counts",
         0,
         {{100, 1}},
         {{120, 1}, {130, 1}, {140, 1}},
         {20},
         1,
         0},
        {"a datagram replaced before it was shown ends at the newer one's frame",
         0,
         {{100, 1}, {200, 2}, {300, 3}},
         {{150, 1}, {330, 3}},
         {50, 130, 30},
         3,
         0,
         0,
         1},
        {"a burst taken in one turn: one frame answers all of it",
         0,
         {{0, 1}, {1, 2}, {2, 3}},
         {{1500, 3}},
         {1500, 1499, 1498},
         3,
         0,
         0,
         2},
        {"datagrams after the last frame stay unmatched",
         0,
         {{100, 1}, {200, 2}, {300, 3}},
         {{150, 1}},
         {50},
         3,
         2},
        {"a frame answers one datagram only, even when a picture comes back",
         0,
         {{100, 1}, {110, 2}, {120, 1}},
         {{300, 1}},
         {200},
         3,
         2},
        {"datagrams queued behind the loop match frames far later",
         0,
         {{0, 1}, {1, 2}, {2, 3}},
         {{1000, 1}, {2000, 2}, {3000, 3}},
         {1000, 1999, 2998},
         3,
         0},
        {"no frames at all", 0, {{100, 1}, {200, 2}}, {}, {}, 2, 2},
        {"no datagrams at all: the frame is unexplained", 0, {}, {{100, 1}}, {}, 0, 0, 1},
        {"a frame from a foreign datagram is counted and passed over",
         0,
         {{100, 1}, {200, 2}},
         {{150, 1}, {170, 9}, {250, 2}},
         {50, 50},
         2,
         0,
         1},
    };
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.name);
        const MatchResult r = MatchFrames(c.initial, c.datagrams, c.frames);
        EXPECT_EQ(r.latenciesUs, c.latenciesUs);
        EXPECT_EQ(r.changing, c.changing);
        EXPECT_EQ(r.unmatched, c.unmatched);
        EXPECT_EQ(r.unexplainedFrames, c.unexplained);
        EXPECT_EQ(r.superseded, c.superseded);
        EXPECT_EQ(r.latenciesUs.size() + r.unmatched, r.changing);
    }
}

TEST(LatencyMatchTest, PercentileIsTheNearestRank) {
    struct Case {
        std::vector<std::uint64_t> values;
        double percent;
        std::uint64_t expected;
    };
    std::vector<std::uint64_t> hundred;
    for (std::uint64_t v = 100; v >= 1; --v) hundred.push_back(v);  // unsorted on purpose
    const Case cases[] = {
        {{}, 50, 0},           {{42}, 50, 42},
        {{42}, 99, 42},        {{3, 1, 2}, 50, 2},
        {{1, 2, 3, 4}, 50, 2},  // rank ceil(2.0) = 2
        {{1, 2, 3, 4}, 51, 3}, {{5, 1, 4, 2, 3}, 100, 5},
        {hundred, 99, 99},     {hundred, 99.5, 100},
        {hundred, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.values.size() << " values, p" << c.percent);
        EXPECT_EQ(Percentile(c.values, c.percent), c.expected);
    }
}

}  // namespace
}  // namespace vareko::e2e
