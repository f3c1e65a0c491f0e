// The pacing of the sender tool. Send times are computed from the start time
// and the datagram's index (or recorded offset), never by adding up sleeps,
// so a late wake-up does not delay every later datagram.
#include "tools/send/send_loops.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "tools/send/counter_pattern.h"
#include "tools/send/datagram_format.h"
#include "tools/send/flight_model.h"

namespace vareko::send {
namespace {

constexpr double kMicrosPerSecond = 1e6;
// How long one wait of the recorder may last, so that it notices the stop
// flag and the duration limit.
constexpr int kRecordPollMs = 100;

std::uint64_t SecondsToUs(double seconds) {
    return static_cast<std::uint64_t>(std::llround(seconds * kMicrosPerSecond));
}

bool WithinDuration(const RunLimits& limits, double wallS) {
    return !limits.durationS || wallS < *limits.durationS;
}

bool WithinCount(const RunLimits& limits, std::uint64_t done) {
    return !limits.count || done < *limits.count;
}

}  // namespace

RunResult RunFlight(const FlightRun& run, PaceClock& clock, const DatagramSink& sink,
                    const std::atomic<bool>& stop) {
    RunResult result;
    const std::uint64_t startUs = clock.NowUs();
    TelemetrySample sample{};
    for (std::uint64_t i = 0; WithinCount(run.limits, i); ++i) {
        const double wallS = static_cast<double>(i) / run.rateHz;
        if (!WithinDuration(run.limits, wallS)) break;
        clock.SleepUntilUs(startUs + SecondsToUs(wallS));
        if (stop.load()) break;
        if (run.pattern == FlightPattern::kCounter) {
            SampleCounter(i, sample);
        } else {
            SampleFlight(run.startS + wallS * run.speed, sample);
        }
        if (!sink(FormatDatagram(sample))) {
            result.failed = true;
            break;
        }
        result.datagrams = i + 1;
    }
    return result;
}

RunResult RunReplay(std::span<const RecordedDatagram> datagrams, double speed,
                    const RunLimits& limits, PaceClock& clock, const DatagramSink& sink,
                    const std::function<void(const ReplayProgress&)>& progress,
                    const std::atomic<bool>& stop) {
    RunResult result;
    if (datagrams.empty()) return result;
    const std::uint64_t firstUs = datagrams.front().offsetUs;
    ReplayProgress state;
    state.total = datagrams.size();
    state.totalS = static_cast<double>(datagrams.back().offsetUs - firstUs) / kMicrosPerSecond;
    const std::uint64_t startUs = clock.NowUs();
    for (const RecordedDatagram& d : datagrams) {
        if (!WithinCount(limits, result.datagrams)) break;
        const double recordedS = static_cast<double>(d.offsetUs - firstUs) / kMicrosPerSecond;
        const double wallS = recordedS / speed;
        if (!WithinDuration(limits, wallS)) break;
        clock.SleepUntilUs(startUs + SecondsToUs(wallS));
        if (stop.load()) break;
        if (!sink(d.bytes)) {
            result.failed = true;
            break;
        }
        ++result.datagrams;
        state.sent = result.datagrams;
        state.elapsedS = recordedS;
        progress(state);
    }
    return result;
}

std::string FormatReplayProgress(const ReplayProgress& p) {
    const double share = p.total ? 100.0 * static_cast<double>(p.sent) / static_cast<double>(p.total) : 100.0;
    char line[128];
    std::snprintf(line, sizeof line, "replay %6" PRIu64 "/%" PRIu64 " datagrams %7.1f/%.1f s %4.0f%%",
                  p.sent, p.total, p.elapsedS, p.totalS, share);
    return line;
}

RunResult RunRecord(UdpListener& listener, const RunLimits& limits, PaceClock& clock,
                    std::ostream& out, const std::atomic<bool>& stop) {
    RunResult result;
    const std::uint64_t startUs = clock.NowUs();
    WriteRecordingHeader(out);
    std::string bytes;
    while (!stop.load() && WithinCount(limits, result.datagrams)) {
        const double elapsedS = static_cast<double>(clock.NowUs() - startUs) / kMicrosPerSecond;
        if (!WithinDuration(limits, elapsedS)) break;
        int waitMs = kRecordPollMs;
        if (limits.durationS) {
            const double leftMs = (*limits.durationS - elapsedS) * 1000.0;
            waitMs = std::clamp(static_cast<int>(std::ceil(leftMs)), 1, kRecordPollMs);
        }
        const UdpListener::Wait wait = listener.Receive(bytes, waitMs);
        if (wait == UdpListener::Wait::kError) {
            result.failed = true;
            break;
        }
        if (wait != UdpListener::Wait::kDatagram) continue;
        WriteRecordedDatagram(out, {clock.NowUs() - startUs, bytes});
        ++result.datagrams;
    }
    out.flush();
    return result;
}

}  // namespace vareko::send
