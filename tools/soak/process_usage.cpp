// /proc readers and the drift arithmetic.
#include "tools/soak/process_usage.h"

#include <filesystem>
#include <fstream>

namespace vareko::soak {

ProcessUsage ReadProcessUsage(pid_t pid) {
    ProcessUsage usage;
    const std::filesystem::path proc = "/proc/" + std::to_string(pid);
    std::ifstream status(proc / "status");
    for (std::string key; status >> key;) {
        if (key == "VmRSS:") {
            status >> usage.rssKiB;
            break;
        }
        status.ignore(4096, '\n');
    }
    std::error_code error;
    long fds = 0;
    for (std::filesystem::directory_iterator it(proc / "fd", error), end; !error && it != end; it.increment(error)) {
        ++fds;
    }
    if (!error) usage.fds = fds;
    return usage;
}

void DriftTrack::Sample(std::uint64_t generation, long value) {
    if (value < 0) return;
    if (baseline < 0 || generation != currentGeneration) {
        // A new process starts from its own baseline; the worst growth seen
        // in earlier ones stays.
        currentGeneration = generation;
        baseline = value;
    }
    last = value;
    if (baseline > 0) {
        const double percent = 100.0 * static_cast<double>(value - baseline) / static_cast<double>(baseline);
        if (percent > worstPercent) worstPercent = percent;
    }
}

}  // namespace vareko::soak
