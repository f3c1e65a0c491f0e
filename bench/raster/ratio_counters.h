// Reporters that put the ratio ours / reference into each of our runs as
// user counters ("reference_ns", "ratio"), so that both the console table and
// the JSON file carry it. A reference is either another run of the same
// binary (reported before ours) or a figure measured outside Google
// Benchmark and handed in by name. Figures are CPU time per iteration; with
// repetitions every repetition and the median carry the counters.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vareko::bench {

class RatioCounters {
public:
    struct Pair {
        std::string ours;
        std::string reference;
    };

    explicit RatioCounters(std::vector<Pair> pairsIn) : pairs(std::move(pairsIn)) {}

    // A reference figure for `ours` measured elsewhere, in nanoseconds.
    void SetExternalReference(const std::string& ours, double nanoseconds);
    // Notes the figure of every run and adds the counters to runs of ours.
    void Annotate(std::vector<benchmark::BenchmarkReporter::Run>& runs);
    // The figures of ours and of its reference, if both are known.
    bool Figures(const std::string& ours, double& oursNs, double& referenceNs) const;

private:
    const Pair* PairOf(const std::string& ours) const;

    std::vector<Pair> pairs;
    std::map<std::string, double> figuresNs;
    std::map<std::string, double> externalNs;
};

// Any Google Benchmark reporter with the ratio counters added to its runs.
template <class Base>
class RatioReporter : public Base {
public:
    template <class... BaseArguments>
    explicit RatioReporter(RatioCounters& countersIn, BaseArguments&&... arguments)
        : Base(std::forward<BaseArguments>(arguments)...), counters(countersIn) {}

    void ReportRuns(const std::vector<benchmark::BenchmarkReporter::Run>& runs) override {
        std::vector<benchmark::BenchmarkReporter::Run> annotated = runs;
        counters.Annotate(annotated);
        Base::ReportRuns(annotated);
    }

private:
    RatioCounters& counters;
};

}  // namespace vareko::bench
