// Test support: what the kernel knows about the UDP sockets bound to a port
// (from /proc/net/udp), so tests can wait for another process to bind, see
// whether its datagrams were consumed, and skip when the port is taken.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>

namespace vareko::testing {

struct UdpSocketState {
    unsigned long inode = 0;
    std::uint32_t localAddress = 0;  // as the kernel lists it; 0 is every address
    std::uint32_t queuedBytes = 0;  // datagrams waiting to be received
};

// The IPv4 UDP socket bound to port, if any.
std::optional<UdpSocketState> FindUdpSocket(std::uint16_t port);

// Whether the process holds the socket with that inode.
bool ProcessHoldsSocket(pid_t pid, unsigned long inode);

}  // namespace vareko::testing
