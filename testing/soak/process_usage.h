// Resident memory, peak memory, CPU time and open descriptors of a process,
// read from /proc, and their drift over a run: each process (or each run of
// a restarted one) is compared with its first sample after the warm-up.
// Linux only.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vareko::soak {

struct ProcessUsage {
    long rssKiB = -1;      // -1: not readable
    long peakRssKiB = -1;  // VmHWM: the most resident memory so far
    long fds = -1;
};

ProcessUsage ReadProcessUsage(pid_t pid);

// User plus system time in clock ticks from the text of /proc/<pid>/stat.
std::optional<long long> ParseCpuTicks(std::string_view stat);
// User plus system time of `pid` so far, in seconds.
std::optional<double> ReadCpuSeconds(pid_t pid);

// The growth of one quantity against its baseline, in percent.
class DriftTrack {
public:
    // `generation` changes when the process is a new one (a restart).
    void Sample(std::uint64_t generation, long value);
    bool Empty() const { return baseline < 0; }
    long Baseline() const { return baseline; }
    long Last() const { return last; }
    double WorstGrowthPercent() const { return worstPercent; }

private:
    std::uint64_t currentGeneration = 0;
    long baseline = -1;
    long last = -1;
    double worstPercent = 0;
};

}  // namespace vareko::soak
