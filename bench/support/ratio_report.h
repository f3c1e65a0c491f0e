// Main function of a benchmark binary that also prints ratio lines: runs the
// registered benchmarks with the usual console output (and the JSON file that
// --benchmark_out asks for), then one ratio line per pair (ratio_lines.h).
#pragma once

#include <vector>

#include "bench/support/ratio_lines.h"

namespace vareko::bench {

// Returns main's exit status: 1 for unknown command-line flags, else 0.
int RunBenchmarksWithRatios(int argc, char** argv, const std::vector<RatioPair>& pairs);

}  // namespace vareko::bench
