// UDP ports as the kernel sees them: loopback addresses for the tools' own
// sockets, whether a port can be bound, and for the socket bound to one the bytes waiting in its
// receive queue and the datagrams it dropped (from /proc/net/udp). Linux only.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vareko::harness {

sockaddr_in LoopbackAddress(std::uint16_t port);
// Binds the UDP socket `fd` to 127.0.0.1 on a free port and stores the port;
// empty string on success, else the reason.
std::string BindLoopback(int fd, std::uint16_t& port);

// Waits up to `waitMs` for one datagram on `fd` and receives it into
// `buffer`; its size, or nothing when none came or the receive failed.
std::optional<std::size_t> ReceiveWithin(int fd, std::span<char> buffer, int waitMs);

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

}  // namespace vareko::harness
