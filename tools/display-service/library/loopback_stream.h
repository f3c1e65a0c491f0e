// A non-blocking TCP connection to 127.0.0.1: the one socket the TCP
// transport needs, with the platform's socket calls and error codes kept
// behind Send, Receive and WaitReadable. One file per platform implements it
// (POSIX sockets, Winsock 2.2); the transport above it is shared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace vareko::displayservice {

enum class IoStatus { kDone, kWouldBlock, kGone };

struct IoResult {
    IoStatus status;
    std::size_t bytes;  // moved by a kDone call; never 0 for a Receive
};

class LoopbackStream {
public:
    // Connects within `timeoutMs`; null when nobody listens on the port.
    static std::unique_ptr<LoopbackStream> Connect(std::uint16_t port, int timeoutMs);
    ~LoopbackStream();
    LoopbackStream(const LoopbackStream&) = delete;
    LoopbackStream& operator=(const LoopbackStream&) = delete;

    // Writes as much of `first` then `second` as the socket takes now.
    IoResult Send(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second = {});
    // Reads what has arrived; the end of the stream is kGone.
    IoResult Receive(std::span<std::uint8_t> into);
    bool WaitReadable(int timeoutMs);

private:
    explicit LoopbackStream(std::uintptr_t socket) : socket_(socket) {}
    std::uintptr_t socket_;  // the platform's socket handle
};

}  // namespace vareko::displayservice
