// EventPoller on Windows: WSAPoll over the watched sockets, and for Wake a
// datagram socket on 127.0.0.1 connected to itself, so that a wake-up is one
// more readable socket. The poller holds a Winsock reference for the
// service's life: every socket of the loop is made after it.
#include "tools/display-service/service/event_poller.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cerrno>

namespace vareko::displayservice {
namespace {

SOCKET Handle(int fd) { return static_cast<SOCKET>(static_cast<unsigned>(fd)); }

std::string WinsockFailure(const char* what) { return std::string(what) + ": Winsock error " + std::to_string(WSAGetLastError()); }

// A non-blocking datagram socket bound to 127.0.0.1 and connected to its own
// address; INVALID_SOCKET on failure.
SOCKET OpenSelfSocket() {
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return s;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    u_long nonBlocking = 1;
    if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

}  // namespace

EventPoller::EventPoller() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        failure_ = "Winsock 2.2 is not available";
        return;
    }
    const SOCKET wake = OpenSelfSocket();
    if (wake == INVALID_SOCKET) {
        failure_ = WinsockFailure("wake-up socket");
        WSACleanup();
        return;
    }
    wakeFd_ = static_cast<int>(wake);
    Watch(wakeFd_);
}

EventPoller::~EventPoller() {
    if (wakeFd_ < 0) return;
    closesocket(Handle(wakeFd_));
    WSACleanup();
}

bool EventPoller::Watch(int fd) {
    watched_.push_back({fd, false});
    return true;
}

bool EventPoller::WatchEdges(int) {
    errno = ENOSYS;
    return false;
}

void EventPoller::WantWrite(int fd, bool want) {
    for (Watched& w : watched_) {
        if (w.fd == fd) w.write = want;
    }
}

void EventPoller::Forget(int fd) {
    std::erase_if(watched_, [fd](const Watched& w) { return w.fd == fd; });
}

int EventPoller::Wait(std::span<PollEvent> events, const timespec& timeout, bool& woken) {
    woken = false;
    std::vector<WSAPOLLFD> polled;
    polled.reserve(watched_.size());
    for (const Watched& w : watched_) {
        polled.push_back({Handle(w.fd), static_cast<SHORT>(POLLRDNORM | (w.write ? POLLWRNORM : 0)), 0});
    }
    const long long ms = static_cast<long long>(timeout.tv_sec) * 1000 + (timeout.tv_nsec + 999'999) / 1'000'000;
    const int n = WSAPoll(polled.data(), static_cast<ULONG>(polled.size()), static_cast<INT>(std::min(ms, 1LL << 30)));
    if (n == SOCKET_ERROR) return WSAGetLastError() == WSAEINTR ? 0 : -1;
    int count = 0;
    for (std::size_t i = 0; i < polled.size() && static_cast<std::size_t>(count) < events.size(); ++i) {
        const SHORT got = polled[i].revents;
        if (got == 0) continue;
        const int fd = watched_[i].fd;
        if (fd == wakeFd_) {
            char drained[64];
            while (recv(Handle(wakeFd_), drained, sizeof drained, 0) > 0) {
            }
            woken = true;
            continue;
        }
        events[count++] = {fd, (got & (POLLRDNORM | POLLHUP | POLLERR | POLLNVAL)) != 0, (got & POLLWRNORM) != 0};
    }
    return count;
}

void EventPoller::Wake() {
    const char one = 1;
    send(Handle(wakeFd_), &one, 1, 0);
}

}  // namespace vareko::displayservice
