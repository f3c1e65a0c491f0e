// /proc readers and the drift arithmetic.
#include "testing/soak/process_usage.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace vareko::soak {

ProcessUsage ReadProcessUsage(pid_t pid) {
    ProcessUsage usage;
    const std::filesystem::path proc = "/proc/" + std::to_string(pid);
    std::ifstream status(proc / "status");
    // VmHWM comes before VmRSS in the file.
    for (std::string key; status >> key;) {
        if (key == "VmHWM:") status >> usage.peakRssKiB;
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

std::optional<long long> ParseCpuTicks(std::string_view stat) {
    // The command name (field 2) is in parentheses and may hold blanks and
    // parentheses itself, so counting starts after the last ')'. utime and
    // stime are fields 14 and 15; the first field after the name is 3.
    const std::size_t close = stat.rfind(')');
    if (close == std::string_view::npos) return std::nullopt;
    std::istringstream fields{std::string(stat.substr(close + 1))};
    std::string skipped;
    for (int field = 3; field < 14; ++field) {
        if (!(fields >> skipped)) return std::nullopt;
    }
    long long user = 0;
    long long system = 0;
    if (!(fields >> user >> system) || user < 0 || system < 0) return std::nullopt;
    return user + system;
}

std::optional<double> ReadCpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::stringstream text;
    text << in.rdbuf();
    const std::optional<long long> ticks = ParseCpuTicks(text.str());
    if (!ticks) return std::nullopt;
    return static_cast<double>(*ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
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
