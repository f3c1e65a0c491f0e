// LoopbackStream on Winsock 2.2. Each stream holds its own WSAStartup
// reference (Winsock counts them), so the library works whether or not the
// program has started Winsock itself. The connect does not block: a refused
// loopback connect can take seconds on Windows, and LinkConnect is called
// from the program's loop.
#include "tools/display-service/library/loopback_stream.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace vareko::displayservice {
namespace {

SOCKET Handle(std::uintptr_t socket) { return static_cast<SOCKET>(socket); }

IoResult Outcome(int n) {
    if (n > 0) return {IoStatus::kDone, static_cast<std::size_t>(n)};
    if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return {IoStatus::kWouldBlock, 0};
    return {IoStatus::kGone, 0};
}

timeval Timeout(int timeoutMs) { return {timeoutMs / 1000, (timeoutMs % 1000) * 1000}; }

}  // namespace

std::unique_ptr<LoopbackStream> LoopbackStream::Connect(std::uint16_t port, int timeoutMs) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return nullptr;
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    u_long nonBlocking = 1;
    if (s == INVALID_SOCKET || ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        if (s != INVALID_SOCKET) closesocket(s);
        WSACleanup();
        return nullptr;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool connected = connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!connected && WSAGetLastError() == WSAEWOULDBLOCK) {
        // Success shows as writable, a refusal in the exception set.
        fd_set writable;
        fd_set failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        timeval timeout = Timeout(timeoutMs);
        connected = select(0, nullptr, &writable, &failed, &timeout) > 0 && FD_ISSET(s, &writable) &&
                    !FD_ISSET(s, &failed);
    }
    if (!connected) {
        closesocket(s);
        WSACleanup();
        return nullptr;
    }
    const BOOL noDelay = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
    return std::unique_ptr<LoopbackStream>(new LoopbackStream(static_cast<std::uintptr_t>(s)));
}

LoopbackStream::~LoopbackStream() {
    closesocket(Handle(socket_));
    WSACleanup();
}

IoResult LoopbackStream::Send(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second) {
    WSABUF parts[2] = {{static_cast<ULONG>(first.size()), reinterpret_cast<CHAR*>(const_cast<std::uint8_t*>(first.data()))},
                       {static_cast<ULONG>(second.size()), reinterpret_cast<CHAR*>(const_cast<std::uint8_t*>(second.data()))}};
    DWORD sent = 0;
    if (WSASend(Handle(socket_), parts, second.empty() ? 1 : 2, &sent, 0, nullptr, nullptr) == 0) {
        return sent > 0 ? IoResult{IoStatus::kDone, sent} : IoResult{IoStatus::kWouldBlock, 0};
    }
    return Outcome(SOCKET_ERROR);
}

IoResult LoopbackStream::Receive(std::span<std::uint8_t> into) {
    const int n = recv(Handle(socket_), reinterpret_cast<char*>(into.data()), static_cast<int>(into.size()), 0);
    return Outcome(n);
}

bool LoopbackStream::WaitReadable(int timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(Handle(socket_), &readable);
    timeval timeout = Timeout(timeoutMs);
    return select(0, &readable, nullptr, nullptr, &timeout) > 0;
}

}  // namespace vareko::displayservice
