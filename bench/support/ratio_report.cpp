// Runs the registered benchmarks through the library's own display reporter
// (so --benchmark_format and colour detection work as usual) while keeping
// every run's figures, then prints the ratio lines.
#include "bench/support/ratio_report.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace vareko::bench {
namespace {

const char* UnitName(benchmark::TimeUnit unit) {
    switch (unit) {
        case benchmark::kNanosecond: return "ns";
        case benchmark::kMicrosecond: return "us";
        case benchmark::kMillisecond: return "ms";
        case benchmark::kSecond: return "s";
    }
    return "?";
}

// Forwards to the display reporter and records each run; with repetitions
// the median stands for the benchmark.
class RecordingReporter final : public benchmark::BenchmarkReporter {
public:
    explicit RecordingReporter(benchmark::BenchmarkReporter& displayIn) : display(displayIn) {}

    bool ReportContext(const Context& context) override { return display.ReportContext(context); }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median) continue;
            BenchmarkFigures& figures = table[run.run_name.str()];
            figures.realTime = run.GetAdjustedRealTime();
            figures.timeUnit = UnitName(run.time_unit);
            figures.counters.clear();
            for (const auto& [name, counter] : run.counters) figures.counters[name] = counter.value;
        }
        display.ReportRuns(runs);
    }
    void Finalize() override { display.Finalize(); }

    FigureTable table;

private:
    benchmark::BenchmarkReporter& display;
};

}  // namespace

int RunBenchmarksWithRatios(int argc, char** argv, const std::vector<RatioPair>& pairs) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // The library owns its default display reporter for the life of the process.
    RecordingReporter reporter(*benchmark::CreateDefaultDisplayReporter());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const std::string& line : RatioLines(reporter.table, pairs)) std::printf("%s\n", line.c_str());
    benchmark::Shutdown();
    return 0;
}

}  // namespace vareko::bench
