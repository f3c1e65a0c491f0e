// Ratio lines for named pairs of benchmarks: a figure of one benchmark
// (real time per iteration or a user counter) divided by the same figure of
// its reference, measured in the same run. Plain data in, text out, so the
// wording is testable without running benchmarks; no benchmark library here.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vareko::bench {

// Figures of one reported benchmark: its name as reported (with arguments,
// e.g. "BM_LinkUpdateHandOver/1000/iterations:20000/real_time"), real time
// per iteration in its time unit, and its user counters.
struct BenchmarkFigures {
    double realTime = 0;
    std::string timeUnit;
    std::map<std::string, double> counters;
};

// `figure` empty: compare real time per iteration; otherwise a user counter.
// A name matches a reported benchmark exactly or as a prefix ending before a
// '/' ("BM_X/1000" matches "BM_X/1000/iterations:20000"); of several
// matches the first in name order counts.
struct RatioPair {
    std::string subject;
    std::string reference;
    std::string figure;
};

using FigureTable = std::map<std::string, BenchmarkFigures>;

// One line per pair, e.g.
// "ratio BM_A / BM_B (p99_us): 0.41, the reference takes 2.44 times as long".
// A pair whose benchmarks or figure are missing, or whose figures are not
// positive, says so instead of a ratio.
std::vector<std::string> RatioLines(const FigureTable& figures, const std::vector<RatioPair>& pairs);

}  // namespace vareko::bench
