// The program's one UDP socket: waits for each telemetry datagram and parses
// it into the flight-data record. Written against the Win32 surface
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
    // binds it to the telemetry port on every local address. The results are
    // not examined: if any step fails, every later receive fails at once and
    // leaves the record as it is.
    void Open() override;
    // The same on another port (0 for one the system picks).
    void Open(WORD port);
    // Takes over an already bound socket instead, e.g. one on the loopback
    // address; the receiver closes it when destroyed.
    void Adopt(SOCKET boundSocket);

    // Blocks until the next datagram arrives, then parses it into sample and
    // returns the number of fields it set (0 to 41). A receive error,
    // including a datagram longer than 1515 bytes, leaves sample unchanged
    // and returns -1.
    int ReceiveInto(TelemetrySample& sample) override;

private:
    void Close();

    SOCKET receiveSocket = INVALID_SOCKET;
    char receiveBuffer[kReceiveBufferBytes] = {};
    SOCKADDR_IN senderAddress = {};
    int senderAddressLength = 0;
};

}  // namespace vareko
