// The three loops of vareko-send, apart from sockets and the command line:
// the synthetic flight at a fixed rate, the replay of a recording at its own
// pace, and the recording of arriving datagrams. Each takes its clock, its
// datagram sink or source, and a stop flag that a signal handler may set.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "tools/send/pace_clock.h"
#include "tools/send/recording.h"
#include "tools/send/udp_socket.h"

namespace vareko::send {

struct RunLimits {
    std::optional<std::uint64_t> count;  // stop after this many datagrams
    std::optional<double> durationS;     // stop once this much wall time has passed
};

// Sends one datagram; false when it could not be sent.
using DatagramSink = std::function<bool(std::string_view bytes)>;

struct RunResult {
    std::uint64_t datagrams = 0;
    bool failed = false;  // the sink refused a datagram, or the source failed
};

// What the flight loop sends: the synthetic flight, or the counter pattern
// (datagram i carries values made from i; see counter_pattern.h).
enum class FlightPattern { kFlight, kCounter };

struct FlightRun {
    double rateHz = 20.0;
    double speed = 1.0;   // flight seconds per wall second
    double startS = 0.0;  // flight time of the first datagram
    RunLimits limits;
    FlightPattern pattern = FlightPattern::kFlight;
};

// Datagram i leaves at i / rate wall seconds and shows the flight at
// startS + i / rate * speed.
RunResult RunFlight(const FlightRun& run, PaceClock& clock, const DatagramSink& sink,
                    const std::atomic<bool>& stop);

struct ReplayProgress {
    std::uint64_t sent = 0;
    std::uint64_t total = 0;
    double elapsedS = 0;  // recorded time of the last datagram sent
    double totalS = 0;    // recorded time of the whole recording
};

// Plays the datagrams back with the recorded gaps divided by `speed`; the
// first one leaves at once. `progress` is called after every datagram.
RunResult RunReplay(std::span<const RecordedDatagram> datagrams, double speed,
                    const RunLimits& limits, PaceClock& clock, const DatagramSink& sink,
                    const std::function<void(const ReplayProgress&)>& progress,
                    const std::atomic<bool>& stop);

// One line, without line feed: "replay  120/600 datagrams   6.0/30.0 s  20%".
std::string FormatReplayProgress(const ReplayProgress& progress);

// Writes every datagram arriving at `listener` to `out`, timed from the start
// of the call, until a limit is reached or `stop` is set.
RunResult RunRecord(UdpListener& listener, const RunLimits& limits, PaceClock& clock,
                    std::ostream& out, const std::atomic<bool>& stop);

}  // namespace vareko::send
