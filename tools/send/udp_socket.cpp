// POSIX implementation of the sender tool's UDP endpoints.
#include "tools/send/udp_socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/send/recording.h"

namespace vareko::send {

UdpSender::~UdpSender() {
    if (fd >= 0) close(fd);
}

bool UdpSender::Open(const std::string& host, std::uint16_t port, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0) {
        error = "cannot resolve " + host + ": " + gai_strerror(rc);
        return false;
    }
    fd = socket(AF_INET, SOCK_DGRAM, 0);
    // connect() fixes the destination, so each send is one call without an address.
    const bool ok = fd >= 0 && connect(fd, found->ai_addr, found->ai_addrlen) == 0;
    if (!ok) error = std::string("cannot open a UDP socket to ") + host + ": " + std::strerror(errno);
    freeaddrinfo(found);
    return ok;
}

bool UdpSender::Send(std::string_view bytes) {
    const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), 0);
    // Nobody listening yields ECONNREFUSED on a connected socket; for
    // telemetry that is not a failure, the next datagram may find a listener.
    return sent == static_cast<ssize_t>(bytes.size()) || (sent < 0 && errno == ECONNREFUSED);
}

UdpListener::~UdpListener() {
    if (fd >= 0) close(fd);
}

bool UdpListener::Bind(std::uint16_t port, std::string& error) {
    fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = "cannot listen on UDP port " + std::to_string(port) + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::uint16_t UdpListener::Port() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.sin_port);
}

UdpListener::Wait UdpListener::Receive(std::string& bytes, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    const int ready = poll(&p, 1, timeoutMs);
    if (ready < 0) return errno == EINTR ? Wait::kInterrupted : Wait::kError;
    if (ready == 0) return Wait::kTimeout;
    bytes.resize(kMaxDatagramBytes);
    const ssize_t n = recv(fd, bytes.data(), bytes.size(), 0);
    if (n < 0) return errno == EINTR ? Wait::kInterrupted : Wait::kError;
    bytes.resize(static_cast<std::size_t>(n));
    return Wait::kDatagram;
}

}  // namespace vareko::send
