// The raster benchmark's ratio counters over the runs a reporter receives,
// including the median that stands for a benchmark run with repetitions.
#include "bench/raster/ratio_counters.h"

#include <gtest/gtest.h>

namespace vareko::bench {
namespace {

using BenchRun = benchmark::BenchmarkReporter::Run;

BenchRun MakeRun(const char* name, double cpuNsPerIteration, const char* aggregate = "") {
    BenchRun run;
    run.run_name.function_name = name;
    run.iterations = 10;
    run.time_unit = benchmark::kNanosecond;
    run.cpu_accumulated_time = cpuNsPerIteration * 1e-9 * 10;
    run.real_accumulated_time = run.cpu_accumulated_time;
    if (*aggregate != 0) {
        run.run_type = BenchRun::RT_Aggregate;
        run.aggregate_name = aggregate;
    }
    return run;
}

double Counter(const BenchRun& run, const char* name) {
    const auto it = run.counters.find(name);
    return it == run.counters.end() ? -1.0 : it->second.value;
}

TEST(RatioCounters, EveryRepetitionAndTheMedianCarryTheRatioOtherAggregatesNot) {
    RatioCounters ratios(std::vector<RatioCounters::Pair>{{"Ours", "Theirs"}});
    // The reference reports first: repetitions, then its aggregates.
    std::vector<BenchRun> reference{MakeRun("Theirs", 400), MakeRun("Theirs", 100)};
    ratios.Annotate(reference);
    std::vector<BenchRun> referenceAggregates{MakeRun("Theirs", 250, "mean"), MakeRun("Theirs", 200, "median")};
    ratios.Annotate(referenceAggregates);

    std::vector<BenchRun> ours{MakeRun("Ours", 50)};
    ratios.Annotate(ours);
    EXPECT_DOUBLE_EQ(Counter(ours[0], "ratio"), 0.25);  // against the reference's median
    std::vector<BenchRun> aggregates{MakeRun("Ours", 60, "mean"), MakeRun("Ours", 40, "median"),
                                MakeRun("Ours", 5, "stddev")};
    ratios.Annotate(aggregates);
    EXPECT_EQ(Counter(aggregates[0], "ratio"), -1.0);
    EXPECT_DOUBLE_EQ(Counter(aggregates[1], "ratio"), 0.2);
    EXPECT_DOUBLE_EQ(Counter(aggregates[1], "reference_ns"), 200.0);
    EXPECT_EQ(Counter(aggregates[2], "ratio"), -1.0);
    EXPECT_EQ(Counter(reference[0], "ratio"), -1.0);

    double oursNs = 0, referenceNs = 0;
    ASSERT_TRUE(ratios.Figures("Ours", oursNs, referenceNs));
    EXPECT_DOUBLE_EQ(oursNs, 40.0);
    EXPECT_DOUBLE_EQ(referenceNs, 200.0);
}

TEST(RatioCounters, ExternalReferenceWinsAndFailedRunsAreSkipped) {
    RatioCounters ratios(std::vector<RatioCounters::Pair>{{"Ours", "Theirs"}});
    ratios.SetExternalReference("Ours", 1000);
    std::vector<BenchRun> runs{MakeRun("Theirs", 100), MakeRun("Ours", 250), MakeRun("Ours", 10)};
    runs[2].error_occurred = true;
    ratios.Annotate(runs);
    EXPECT_DOUBLE_EQ(Counter(runs[1], "ratio"), 0.25);
    EXPECT_EQ(Counter(runs[2], "ratio"), -1.0);
}

}  // namespace
}  // namespace vareko::bench
