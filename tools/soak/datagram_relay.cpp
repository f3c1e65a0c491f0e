// The relay's thread: receive, name the expected picture, forward, bursts.
#include "tools/soak/datagram_relay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vareko::soak {
namespace {

constexpr int kPollMs = 100;
constexpr std::size_t kLargestDatagram = 65536;

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

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
    sockaddr_in any = Loopback(0);
    if (bind(listenFd, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) {
        return std::string("bind: ") + std::strerror(errno);
    }
    socklen_t length = sizeof any;
    getsockname(listenFd, reinterpret_cast<sockaddr*>(&any), &length);
    listenPort = ntohs(any.sin_port);
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
    const sockaddr_in to = Loopback(forwardPort);
    // Nobody bound to the port is not an error here: UDP has no receiver to wait for.
    static_cast<void>(sendto(forwardFd, bytes, size, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to));
}

void DatagramRelay::Loop() {
    std::vector<char> buffer(kLargestDatagram);
    while (!stop) {
        pollfd p{listenFd, POLLIN, 0};
        if (poll(&p, 1, kPollMs) <= 0) continue;
        const ssize_t n = recv(listenFd, buffer.data(), buffer.size(), 0);
        if (n < 0) continue;
        const auto size = static_cast<std::size_t>(n);
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
