// Ratio counters: figures keyed by run name, ratios added as runs arrive.
#include "bench/raster/ratio_counters.h"

namespace vareko::bench {

void RatioCounters::SetExternalReference(const std::string& ours, double nanoseconds) {
    externalNs[ours] = nanoseconds;
}

const RatioCounters::Pair* RatioCounters::PairOf(const std::string& ours) const {
    for (const Pair& pair : pairs) {
        if (pair.ours == ours) return &pair;
    }
    return nullptr;
}

bool RatioCounters::Figures(const std::string& ours, double& oursNs, double& referenceNs) const {
    const Pair* pair = PairOf(ours);
    const auto mine = figuresNs.find(ours);
    if (pair == nullptr || mine == figuresNs.end()) return false;
    const auto external = externalNs.find(ours);
    const auto measured = figuresNs.find(pair->reference);
    if (external != externalNs.end()) {
        referenceNs = external->second;
    } else if (measured != figuresNs.end()) {
        referenceNs = measured->second;
    } else {
        return false;
    }
    oursNs = mine->second;
    return referenceNs > 0;
}

void RatioCounters::Annotate(std::vector<benchmark::BenchmarkReporter::Run>& runs) {
    using Run = benchmark::BenchmarkReporter::Run;
    for (Run& run : runs) {
        // With repetitions the median stands for the benchmark (it follows
        // the repetitions, so it replaces their figure); the other aggregates
        // get no ratio.
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.error_occurred || (run.run_type != Run::RT_Iteration && !median)) continue;
        const std::string name = run.run_name.str();
        // Seconds per iteration, whatever unit the run is shown in.
        const double seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        figuresNs[name] = seconds * 1e9;
        double oursNs = 0, referenceNs = 0;
        if (Figures(name, oursNs, referenceNs)) {
            run.counters["reference_ns"] = benchmark::Counter(referenceNs);
            run.counters["ratio"] = benchmark::Counter(oursNs / referenceNs);
        }
    }
}

}  // namespace vareko::bench
