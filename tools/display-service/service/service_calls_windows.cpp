// The service loop's socket calls on Winsock. Sockets are non-blocking once
// accepted; Winsock never raises a signal for a closed peer.
#include "tools/display-service/service/service_calls.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>

namespace vareko::displayservice {
namespace {

SOCKET Handle(int fd) { return static_cast<SOCKET>(static_cast<unsigned>(fd)); }

SocketResult Outcome(int n, bool receiving) {
    if (n > 0 || (n == 0 && !receiving)) return {SocketStatus::kDone, static_cast<std::size_t>(n)};
    if (n == 0) return {SocketStatus::kGone, 0};
    switch (WSAGetLastError()) {
        case WSAEINTR: return {SocketStatus::kInterrupted, 0};
        case WSAEWOULDBLOCK:
        case WSAENOBUFS: return {SocketStatus::kWouldBlock, 0};
        default: return {SocketStatus::kGone, 0};
    }
}

int Length(std::size_t size) { return static_cast<int>(std::min<std::size_t>(size, 1u << 30)); }

}  // namespace

SocketResult SendSome(int fd, std::span<const std::uint8_t> bytes) {
    return Outcome(send(Handle(fd), reinterpret_cast<const char*>(bytes.data()), Length(bytes.size()), 0), false);
}

SocketResult ReceiveSome(int fd, std::span<std::uint8_t> into) {
    return Outcome(recv(Handle(fd), reinterpret_cast<char*>(into.data()), Length(into.size()), 0), true);
}

AcceptStatus AcceptConnection(int listenFd, int& fd, int* peerPort) {
    sockaddr_in peer{};
    int size = sizeof peer;
    const SOCKET s = accept(Handle(listenFd), reinterpret_cast<sockaddr*>(&peer), &size);
    if (s == INVALID_SOCKET) {
        fd = -1;
        switch (WSAGetLastError()) {
            case WSAEINTR:
            case WSAECONNRESET:
            case WSAECONNABORTED: return AcceptStatus::kRetry;
            case WSAEWOULDBLOCK: return AcceptStatus::kNoneWaiting;
            case WSAEMFILE:
            case WSAENOBUFS: return AcceptStatus::kNoDescriptors;
            default: return AcceptStatus::kFailed;
        }
    }
    // The handle is not inherited by programs the service might start.
    SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    fd = static_cast<int>(s);
    if (peerPort != nullptr) *peerPort = ntohs(peer.sin_port);
    return AcceptStatus::kAccepted;
}

void CloseDescriptor(int fd) { closesocket(Handle(fd)); }

void BecomeBatchTask() {}

}  // namespace vareko::displayservice
