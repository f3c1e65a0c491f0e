// The relay's thread: receive, name the expected picture, forward, bursts.
#include "testing/soak/datagram_relay.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "testing/harness/udp_port.h"

namespace vareko::soak {
namespace {

constexpr int kPollMs = 100;
constexpr std::size_t kLargestDatagram = 65536;

}  // namespace

DatagramRelay::DatagramRelay(PanelObserver& o) : observer(o) {}

DatagramRelay::~DatagramRelay() {
    Stop();
    if (listenFd >= 0) close(listenFd);
    if (forwardFd >= 0) close(forwardFd);
}

std::string DatagramRelay::Open(std::uint16_t port) {
    forwardPort = port;
    listenFd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    forwardFd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (listenFd < 0 || forwardFd < 0) return std::string("socket: ") + std::strerror(errno);
    if (std::string e = harness::BindLoopback(listenFd, listenPort); !e.empty()) return e;
    const std::uint64_t initial = shadow.Start();
    observer.WithBook([&](FrameBook& book) { book.AddDatagram(0, initial); });
    return {};
}

void DatagramRelay::Start() { thread = std::thread([this] { Loop(); }); }

void DatagramRelay::Stop() {
    stop = true;
    if (thread.joinable()) thread.join();
}

void DatagramRelay::RequestBurst(std::vector<std::string> datagrams, std::function<void(std::uint64_t)> sent) {
    std::lock_guard lock(burstMutex);
    burst = std::move(datagrams);
    burstSent = std::move(sent);
}

void DatagramRelay::Forward(const char* bytes, std::size_t size) {
    const sockaddr_in to = harness::LoopbackAddress(forwardPort);
    // Nobody bound to the port is not an error here: UDP has no receiver to wait for.
    static_cast<void>(sendto(forwardFd, bytes, size, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to));
}

void DatagramRelay::Loop() {
    std::vector<char> buffer(kLargestDatagram);
    while (!stop) {
        const std::optional<std::size_t> received = harness::ReceiveWithin(listenFd, buffer, kPollMs);
        if (!received) continue;
        const std::size_t size = *received;
        // The expected picture is in the book before the program can draw it.
        const std::uint64_t hash = shadow.Turn(std::string_view(buffer.data(), size));
        const std::uint64_t seq = lastSeq.load() + 1;
        observer.WithBook([&](FrameBook& book) { book.AddDatagram(seq, hash); });
        lastSeq.store(seq);
        Forward(buffer.data(), size);

        std::vector<std::string> datagrams;
        std::function<void(std::uint64_t)> sent;
        {
            std::lock_guard lock(burstMutex);
            datagrams.swap(burst);
            sent.swap(burstSent);
        }
        if (!sent) continue;
        for (const std::string& d : datagrams) Forward(d.data(), d.size());
        sent(seq + 1);
    }
}

}  // namespace vareko::soak
