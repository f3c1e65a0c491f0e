// The telemetry port as the kernel sees it: whether a port can be bound, and
// for the socket bound to it the bytes waiting in its receive queue and the
// datagrams it dropped (from /proc/net/udp). Linux only.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vareko::soak {

// True when nothing is bound to UDP `port` on any address now.
bool UdpPortFree(std::uint16_t port);
// Probes until the port is free or `timeoutMs` have passed.
bool WaitUdpPortFree(std::uint16_t port, int timeoutMs);

struct UdpSocketState {
    long long receiveQueueBytes = 0;  // memory the kernel charges for the queued datagrams
    long long drops = 0;              // datagrams dropped since the socket was made
};

// The first socket bound to `port` in `table`, the text of /proc/net/udp.
std::optional<UdpSocketState> FindUdpSocket(std::string_view table, std::uint16_t port);
std::optional<UdpSocketState> ReadUdpSocket(std::uint16_t port);

}  // namespace vareko::soak
