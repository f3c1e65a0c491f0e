// Verdict and table of a soak run.
#include "testing/soak/soak_report.h"

#include <cstdarg>
#include <cstdio>

namespace vareko::soak {
namespace {

[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...) {
    char line[256];
    va_list values;
    va_start(values, format);
    std::vsnprintf(line, sizeof line, format, values);
    va_end(values);
    return line;
}

}  // namespace

std::vector<std::string> FailedChecks(const SoakSummary& s) {
    std::vector<std::string> failed = s.failures;
    const struct {
        std::uint64_t count;
        const char* what;
    } frameChecks[] = {
        {s.unknownFrames, "frames matching no single datagram (torn or wrong content)"},
        {s.framesGoingBack, "frames showing older values than one shown before"},
        {s.programOverPriorityClient, "program frames shown while the higher-priority client held the panel"},
    };
    for (const auto& c : frameChecks) {
        if (c.count) failed.push_back(std::to_string(c.count) + " " + c.what);
    }
    for (const EventTally& e : s.events) {
        if (e.recovered < e.injected) {
            failed.push_back(e.name + ": " + std::to_string(e.injected - e.recovered) + " of " +
                             std::to_string(e.injected) + " not recovered");
        }
        if (e.worstUpdates > kAllowedRecoveryUpdates) {
            failed.push_back(e.name + ": a recovery took " + std::to_string(e.worstUpdates) + " updates");
        }
    }
    for (const ProcessRow& p : s.processes) {
        for (const auto& [track, what] : {std::pair{&p.rssKiB, "resident memory"}, std::pair{&p.fds, "open descriptors"}}) {
            if (track == &p.rssKiB && !s.memoryJudged) continue;
            if (track->Empty()) {
                failed.push_back(p.name + ": " + what + " never sampled");
            } else if (track->WorstGrowthPercent() > kAllowedGrowthPercent) {
                failed.push_back(Format("%s: %s grew by %.1f%%", p.name.c_str(), what, track->WorstGrowthPercent()));
            }
        }
    }
    if (s.frames == 0) failed.push_back("no frame was observed on the panel");
    return failed;
}

std::string FormatSummary(const SoakSummary& s) {
    std::string out = Format("soak: %.0f s, %llu datagrams forwarded, %llu bad datagrams, %llu frames observed\n\n",
                             s.seconds, static_cast<unsigned long long>(s.datagrams),
                             static_cast<unsigned long long>(s.badDatagrams), static_cast<unsigned long long>(s.frames));
    out += Format("%-22s %9s %10s %14s %14s\n", "event", "injected", "recovered", "worst (ms)", "worst updates");
    for (const EventTally& e : s.events) {
        out += Format("%-22s %9d %10d %14.1f %14llu\n", e.name.c_str(), e.injected, e.recovered, e.worstMs,
                      static_cast<unsigned long long>(e.worstUpdates));
    }
    out += Format("\n%-22s %5s %10s %10s %8s %6s %6s %8s\n", "process", "runs", "RSS KiB", "RSS last", "growth",
                  "FDs", "last", "growth");
    for (const ProcessRow& p : s.processes) {
        out += Format("%-22s %5d %10ld %10ld %7.1f%% %6ld %6ld %7.1f%%\n", p.name.c_str(), p.runs, p.rssKiB.Baseline(),
                      p.rssKiB.Last(), p.rssKiB.WorstGrowthPercent(), p.fds.Baseline(), p.fds.Last(),
                      p.fds.WorstGrowthPercent());
    }
    if (!s.memoryJudged) out += "(sanitizer build: RSS growth is shown, not judged)\n";
    out += Format("\nframes matching no single datagram: %llu; going back: %llu; program over priority client: %llu\n",
                  static_cast<unsigned long long>(s.unknownFrames), static_cast<unsigned long long>(s.framesGoingBack),
                  static_cast<unsigned long long>(s.programOverPriorityClient));
    const std::vector<std::string> failed = FailedChecks(s);
    if (failed.empty()) {
        out += "soak: PASS\n";
    } else {
        out += "soak: FAIL\n";
        for (const std::string& f : failed) out += "  - " + f + "\n";
    }
    return out;
}

}  // namespace vareko::soak
