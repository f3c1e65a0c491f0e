// Drift against a baseline per process run, and the verdict that the
// numbers of a run give.
#include <gtest/gtest.h>

#include "testing/soak/soak_report.h"

namespace vareko::soak {
namespace {

TEST(DriftTrack, GrowthIsMeasuredAgainstTheFirstSampleOfEachRun) {
    DriftTrack t;
    EXPECT_TRUE(t.Empty());
    t.Sample(1, -1);  // unreadable: ignored
    EXPECT_TRUE(t.Empty());
    for (long v : {1000L, 1040L, 980L}) t.Sample(1, v);
    EXPECT_DOUBLE_EQ(4.0, t.WorstGrowthPercent());
    t.Sample(2, 2000);  // restarted: new baseline, the worst so far stays
    t.Sample(2, 2020);
    EXPECT_EQ(2000, t.Baseline());
    EXPECT_EQ(2020, t.Last());
    EXPECT_DOUBLE_EQ(4.0, t.WorstGrowthPercent());
    t.Sample(2, 2200);
    EXPECT_DOUBLE_EQ(10.0, t.WorstGrowthPercent());
}

SoakSummary Passing() {
    SoakSummary s;
    s.frames = 100;
    s.events = {{"service kill/restart", 2, 2, 40.0, 2}};
    ProcessRow row{"vareko"};
    row.rssKiB.Sample(1, 5000);
    row.rssKiB.Sample(1, 5100);
    row.fds.Sample(1, 6);
    s.processes.push_back(row);
    return s;
}

TEST(SoakVerdict, EachCheckFailsTheRunOnItsOwn) {
    EXPECT_TRUE(FailedChecks(Passing()).empty());
    const struct {
        const char* what;
        void (*spoil)(SoakSummary&);
    } spoilers[] = {
        {"recorded failure", [](SoakSummary& s) { s.failures.push_back("vareko died"); }},
        {"unknown frame", [](SoakSummary& s) { s.unknownFrames = 1; }},
        {"frame going back", [](SoakSummary& s) { s.framesGoingBack = 1; }},
        {"program over priority client", [](SoakSummary& s) { s.programOverPriorityClient = 1; }},
        {"missed recovery", [](SoakSummary& s) { s.events[0].recovered = 1; }},
        {"slow recovery", [](SoakSummary& s) { s.events[0].worstUpdates = 4; }},
        {"memory growth", [](SoakSummary& s) { s.processes[0].rssKiB.Sample(1, 5251); }},
        {"descriptor leak", [](SoakSummary& s) { s.processes[0].fds.Sample(1, 7); }},
        {"never sampled", [](SoakSummary& s) { s.processes[0].fds = DriftTrack{}; }},
        {"no frames", [](SoakSummary& s) { s.frames = 0; }},
    };
    for (const auto& spoiler : spoilers) {
        SoakSummary s = Passing();
        spoiler.spoil(s);
        EXPECT_EQ(1u, FailedChecks(s).size()) << spoiler.what;
        EXPECT_NE(std::string::npos, FormatSummary(s).find("soak: FAIL")) << spoiler.what;
    }
}

TEST(SoakVerdict, ASanitizerBuildShowsMemoryGrowthWithoutJudgingIt) {
    SoakSummary s = Passing();
    s.memoryJudged = false;
    s.processes[0].rssKiB.Sample(1, 9000);
    EXPECT_TRUE(FailedChecks(s).empty());
    s.processes[0].fds.Sample(1, 7);
    EXPECT_EQ(1u, FailedChecks(s).size()) << "descriptors are still judged";
}

}  // namespace
}  // namespace vareko::soak
