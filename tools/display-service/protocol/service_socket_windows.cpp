// The service's sockets on Windows: loopback TCP only. There is no Unix
// socket here, so there is no socket path and the Unix calls say so.
#include "tools/display-service/protocol/service_socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cerrno>
#include <cstdint>

namespace vareko::displayservice {
namespace {

constexpr const char* kNoUnixSocket = "the display service has no Unix socket on Windows";

std::string WinsockError() { return "Winsock error " + std::to_string(WSAGetLastError()); }

}  // namespace

std::string ResolveSocketPath() { return {}; }

int ConnectToService(const std::string&) {
    errno = ENOENT;
    return -1;
}

std::string PrepareSocketDirectory(const std::string&, bool) { return kNoUnixSocket; }

int ListenOnSocket(const std::string&, std::string& error) {
    error = kNoUnixSocket;
    return -1;
}

int ListenOnLoopback(int port, int& boundPort, std::string& error) {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        error = "socket: " + WinsockError();
        return -1;
    }
    // Windows lets another socket bind the same port unless this one is exclusive.
    const BOOL one = TRUE;
    setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&one), sizeof one);
    SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    u_long nonBlocking = 1;
    if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(s, 16) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + WinsockError();
        closesocket(s);
        return -1;
    }
    boundPort = ntohs(address.sin_port);
    return static_cast<int>(s);
}

void SetNoDelay(int fd) {
    const BOOL one = TRUE;
    setsockopt(static_cast<SOCKET>(static_cast<unsigned>(fd)), IPPROTO_TCP, TCP_NODELAY,
               reinterpret_cast<const char*>(&one), sizeof one);
}

bool PeerCredentials(int, long&, long&) { return false; }

long ThisUserId() { return -1; }

}  // namespace vareko::displayservice
