// vareko: shows flight-simulator telemetry on the 160 x 43 display. For now
// it runs the receive loop alone: one datagram per turn into the record,
// then a one-millisecond pause. It prints nothing and never returns.
#include "app/telemetry_receiver.h"
#include "platform/win32.h"

int main() {
    static vareko::TelemetrySample sample{};
    static vareko::TelemetryReceiver receiver;
    receiver.Open();
    for (;;) {
        receiver.ReceiveInto(sample);
        Sleep(1);
    }
}
