// Where the dashboard's datagrams come from: in the program the UDP receiver
// (TelemetryReceiver), in tests a scripted fake.
#pragma once

#include <cstdint>

#include "app/telemetry_sample.h"

namespace vareko {

// The step at which opening a source failed.
enum class SourceFailure : std::uint8_t { None, SocketLibrary, Socket, Bind };

struct SourceOpenResult {
    SourceFailure failure = SourceFailure::None;
    int systemError = 0;  // the system's code for the failed step (a Winsock code)

    bool Opened() const { return failure == SourceFailure::None; }
};

class TelemetrySource {
public:
    // What ReceiveQueuedInto returns when no datagram is waiting.
    static constexpr int kNothingQueued = -2;

    virtual ~TelemetrySource() = default;
    virtual SourceOpenResult Open() = 0;
    // Blocks until a datagram has arrived and parses it into `sample`.
    // Returns the number of fields the datagram set (0 to 41), or -1 when
    // the receive failed.
    virtual int ReceiveInto(TelemetrySample& sample) = 0;
    // Takes the next datagram that has already arrived, without waiting, and
    // parses it into `sample`: the number of fields it set, -1 for a datagram
    // that could not be received whole (it is gone), or kNothingQueued when
    // nothing is waiting or the source cannot receive. A source that never
    // holds more than one datagram keeps this default.
    virtual int ReceiveQueuedInto(TelemetrySample&) { return kNothingQueued; }
};

}  // namespace vareko
