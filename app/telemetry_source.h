// Where the dashboard's datagrams come from: in the program the UDP receiver
// (SocketTelemetrySource), in tests a scripted fake.
#pragma once

#include "app/telemetry_sample.h"

namespace vareko {

class TelemetrySource {
public:
    virtual ~TelemetrySource() = default;
    virtual void Open() = 0;
    // Blocks until a datagram has arrived and parses it into `sample`.
    // Returns the number of fields the datagram set (0 to 41), or -1 when
    // the receive failed.
    virtual int ReceiveInto(TelemetrySample& sample) = 0;
};

}  // namespace vareko
