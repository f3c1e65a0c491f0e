// UDP endpoints for the sender tool: one that sends datagrams to a host and
// port, one that listens on a port and waits for datagrams with a time-out.
// POSIX sockets; the tool runs on the Linux desktop beside the display service.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vareko::send {

class UdpSender {
public:
    UdpSender() = default;
    ~UdpSender();
    UdpSender(const UdpSender&) = delete;
    UdpSender& operator=(const UdpSender&) = delete;

    // host is a dotted IPv4 address or a name; false with `error` filled on failure.
    bool Open(const std::string& host, std::uint16_t port, std::string& error);
    bool Send(std::string_view bytes);

private:
    int fd = -1;
};

class UdpListener {
public:
    UdpListener() = default;
    ~UdpListener();
    UdpListener(const UdpListener&) = delete;
    UdpListener& operator=(const UdpListener&) = delete;

    // Binds to every local address; port 0 picks a free port (see Port()).
    bool Bind(std::uint16_t port, std::string& error);
    std::uint16_t Port() const;

    enum class Wait { kDatagram, kTimeout, kInterrupted, kError };
    // Waits up to timeoutMs for one datagram and stores it whole in `bytes`.
    Wait Receive(std::string& bytes, int timeoutMs);

private:
    int fd = -1;
};

}  // namespace vareko::send
