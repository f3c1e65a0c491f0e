// The program's one UDP socket: waits for each telemetry datagram and parses
// it into the flight-data record, and takes the datagrams that are already
// queued behind it without waiting. Written against the Win32 surface
// (Winsock 2.2) so the same code builds on both platforms.
#pragma once

#include "app/telemetry_sample.h"
#include "app/telemetry_source.h"
#include "platform/win32.h"

namespace vareko {

class TelemetryReceiver final : public TelemetrySource {
public:
    // Room for a datagram of at most 1515 bytes and the NUL written behind it.
    static constexpr int kReceiveBufferBytes = 1516;

    TelemetryReceiver() = default;
    ~TelemetryReceiver() override;
    TelemetryReceiver(const TelemetryReceiver&) = delete;
    TelemetryReceiver& operator=(const TelemetryReceiver&) = delete;

    // Starts the socket library (version 2.2), creates an IPv4 UDP socket and
    // binds it to the telemetry port on every local address. Reports the
    // step that failed and the system's code for it; after a failure no
    // socket is kept, so every later receive fails at once and leaves the
    // record as it is.
    SourceOpenResult Open() override;
    // The same on another port (0 for one the system picks).
    SourceOpenResult Open(WORD port);
    // Takes over an already bound socket instead, e.g. one on the loopback
    // address; the receiver closes it when destroyed.
    void Adopt(SOCKET boundSocket);

    // Blocks until the next datagram arrives, then parses it into sample and
    // returns the number of fields it set (0 to 41). A receive error,
    // including a datagram longer than 1515 bytes, leaves sample unchanged
    // and returns -1.
    int ReceiveInto(TelemetrySample& sample) override;
    // The next datagram already queued, without waiting (the socket is
    // switched to non-blocking mode for it and back before the next
    // ReceiveInto): the fields it set, -1 for one longer than 1515 bytes
    // (discarded), kNothingQueued when the queue is empty or the socket
    // fails.
    int ReceiveQueuedInto(TelemetrySample& sample) override;

private:
    // Parses the datagram recvfrom left in the buffer; received is its result.
    int ParseReceived(int received, TelemetrySample& sample);
    // Switches the socket's mode if it is not in it; false when that failed.
    bool SetNonBlocking(bool on);
    void Close();

    SOCKET receiveSocket = INVALID_SOCKET;
    bool nonBlocking = false;
    char receiveBuffer[kReceiveBufferBytes] = {};
    SOCKADDR_IN senderAddress = {};
    int senderAddressLength = 0;
};

}  // namespace vareko
