// The relay's sockets and its thread.
#include "testing/e2e/timed_relay.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

#include "testing/harness/udp_port.h"

namespace vareko::e2e {
namespace {

constexpr int kPollMs = 50;
constexpr std::size_t kLargestDatagram = 65536;

}  // namespace

std::uint64_t SteadyNowUs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

TimedRelay::~TimedRelay() {
    Stop();
    if (listenFd >= 0)
        close(listenFd);
    if (forwardFd >= 0)
        close(forwardFd);
}

std::string TimedRelay::Open(std::uint16_t forwardPort, std::size_t expectedDatagrams) {
    datagrams.reserve(expectedDatagrams);
    listenFd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    forwardFd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (listenFd < 0 || forwardFd < 0)
        return std::string("socket: ") + std::strerror(errno);
    if (std::string e = harness::BindLoopback(listenFd, listenPort); !e.empty())
        return e;
    // Connected, so every forward is a plain send to the one receiver.
    const sockaddr_in to = harness::LoopbackAddress(forwardPort);
    if (connect(forwardFd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        return std::string("connect: ") + std::strerror(errno);
    }
    return {};
}

void TimedRelay::Start() {
    thread = std::thread([this] { Loop(); });
}

void TimedRelay::Stop() {
    stop = true;
    if (thread.joinable())
        thread.join();
}

void TimedRelay::Loop() {
    std::vector<char> buffer(kLargestDatagram);
    while (!stop) {
        const std::optional<std::size_t> size = harness::ReceiveWithin(listenFd, buffer, kPollMs);
        if (!size)
            continue;
        const std::uint64_t at = SteadyNowUs();
        // A refused send (the program not bound yet) is not an error here:
        // UDP has no receiver to wait for, and the datagram is counted as sent.
        static_cast<void>(send(forwardFd, buffer.data(), *size, 0));
        datagrams.push_back({at, std::string(buffer.data(), *size)});
        forwarded.store(forwarded.load() + 1);
    }
}

}  // namespace vareko::e2e
