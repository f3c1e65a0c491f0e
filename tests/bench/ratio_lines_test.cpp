// Ratio lines of the benchmark binaries: which reported run a pair names,
// which figure it divides, and what it prints when a figure is unusable.
#include "bench/support/ratio_lines.h"

#include <gtest/gtest.h>

#include <limits>

namespace vareko::bench {
namespace {

TEST(RatioLinesTest, NamesFiguresAndFailures) {
    FigureTable table;
    table["BM_Ours"] = {2.0, "ns", {}};
    table["BM_Reference"] = {8.0, "ns", {}};
    table["BM_Nan"] = {std::numeric_limits<double>::quiet_NaN(), "ns", {}};
    table["BM_Slow"] = {1.0, "ms", {}};
    table["BM_Link/0/iterations:100/real_time"] = {1.0, "us", {{"p99_us", 5.0}}};
    table["BM_Link/1000/iterations:100/real_time"] = {1.0, "us", {{"p99_us", 10.0}}};
    table["BM_Echo/iterations:100/real_time"] = {1.0, "us", {{"p99_us", 40.0}, {"zero", 0.0}}};
    table["BM_Link/0/iterations:100/real_time"].counters["zero"] = 3.0;

    struct Case {
        RatioPair pair;
        const char* line;
    };
    const Case cases[] = {
        {{"BM_Ours", "BM_Reference", ""},
         "ratio BM_Ours / BM_Reference (real time): 0.25, the reference takes 4 times as long"},
        // A prefix that ends before a '/' names the run with its arguments;
        // of two matches the first in name order counts.
        {{"BM_Link/1000", "BM_Echo", "p99_us"},
         "ratio BM_Link/1000 / BM_Echo (p99_us): 0.25, the reference takes 4 times as long"},
        {{"BM_Link", "BM_Echo", "p99_us"},
         "ratio BM_Link / BM_Echo (p99_us): 0.125, the reference takes 8 times as long"},
        {{"BM_Lin", "BM_Echo", "p99_us"}, "ratio BM_Lin / BM_Echo (p99_us): not run"},
        {{"BM_Ours", "BM_Missing", ""}, "ratio BM_Ours / BM_Missing (real time): not run"},
        {{"BM_Link", "BM_Echo", "p50_us"}, "ratio BM_Link / BM_Echo (p50_us): figure missing"},
        {{"BM_Link", "BM_Echo", "zero"}, "ratio BM_Link / BM_Echo (zero): figure not positive"},
        {{"BM_Nan", "BM_Ours", ""}, "ratio BM_Nan / BM_Ours (real time): figure not positive"},
        {{"BM_Ours", "BM_Slow", ""}, "ratio BM_Ours / BM_Slow (real time): time units differ"},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> lines = RatioLines(table, {c.pair});
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], c.line);
    }
}

}  // namespace
}  // namespace vareko::bench
