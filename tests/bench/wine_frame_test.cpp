// The line that the Windows frame timer prints, as bench_raster reads it.
#include "bench/raster/wine_frame.h"

#include <gtest/gtest.h>

namespace vareko::bench {
namespace {

TEST(FrameTimerLine, ReadsTheThreeFigures) {
    const auto figures = ParseFrameTimerLine("frames=5120 median_ns=182340 cpu_ns=190211\r\n");
    ASSERT_TRUE(figures.has_value());
    EXPECT_EQ(figures->frames, 5120);
    EXPECT_DOUBLE_EQ(figures->medianNs, 182340.0);
    EXPECT_DOUBLE_EQ(figures->cpuNs, 190211.0);
}

TEST(FrameTimerLine, RefusesAnythingElse) {
    const char* const lines[] = {
        "",
        "frames=10 median_ns=5",                        // a figure missing
        "median_ns=5 frames=10 cpu_ns=7",               // out of order
        "frames=10 median_ns=5 cpu_ns=7 extra=1",       // trailing text
        "frames=0 median_ns=5 cpu_ns=7",                // no frames timed
        "frames=10 median_ns=0 cpu_ns=7",               // a zero figure
        "frames=10 median_ns=nan cpu_ns=7",             // not a number
        "frames=10 median_ns=5x cpu_ns=7",              // junk after the number
        "err:module:import_dll Library not found",      // Wine complaining
    };
    for (const char* line : lines) {
        EXPECT_FALSE(ParseFrameTimerLine(line).has_value()) << line;
    }
}

TEST(FrameTimerLine, EmptyTimerPathIsReportedNotRun) {
    std::string why;
    setenv("VAREKO_GDI_FRAME_TIMER", "", 1);
    EXPECT_FALSE(TimeFrameUnderWine("/nonexistent.exe", 0.01, why).has_value());
    EXPECT_NE(why.find("empty"), std::string::npos) << why;
    setenv("VAREKO_GDI_FRAME_TIMER", "/nonexistent/gdi_frame_timer.exe", 1);
    EXPECT_FALSE(TimeFrameUnderWine("", 0.01, why).has_value());
    EXPECT_NE(why.find("not found"), std::string::npos) << why;
    unsetenv("VAREKO_GDI_FRAME_TIMER");
}

}  // namespace
}  // namespace vareko::bench
