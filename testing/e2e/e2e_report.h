// The end-to-end figures as text: one readable table (a row per figure, a
// column per rate) and the benchmark-style JSON that scripts/bench reads
// (one entry per rate named EndToEnd/<rate>Hz, figures as counters). No I/O.
#pragma once

#include <span>
#include <string>

#include "testing/e2e/e2e_run.h"

namespace vareko::e2e {

std::string RunName(double rateHz);
std::string FormatTable(std::span<const RateFigures> runs);
// `loadAverage`: the machine's load when the runs started, as /proc/loadavg says.
std::string FormatJson(std::span<const RateFigures> runs, double durationS,
                       const std::string& loadAverage);

}  // namespace vareko::e2e
