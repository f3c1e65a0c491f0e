// Winsock names on BSD sockets, with errno mapped to WSA error codes.
#include "platform/win32/winsock.h"

#include <cerrno>
#include <cstring>

namespace {

thread_local int lastSocketError = 0;

int WsaErrorFromErrno(int error) {
    switch (error) {
        case 0: return 0;
        case EINTR: return WSAEINTR;
        case EBADF: return WSAENOTSOCK;  // the system's answer for a handle that is no socket
        case EACCES: return WSAEACCES;
        case EFAULT: return WSAEFAULT;
        case EINVAL: return WSAEINVAL;
        case EMFILE: return WSAEMFILE;
        case EAGAIN: return WSAEWOULDBLOCK;
        case ENOTSOCK: return WSAENOTSOCK;
        case EMSGSIZE: return WSAEMSGSIZE;
        case EADDRINUSE: return WSAEADDRINUSE;
        case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
        case ENETDOWN: return WSAENETDOWN;
        case ECONNRESET: return WSAECONNRESET;
        case ENOBUFS: return WSAENOBUFS;
        case ETIMEDOUT: return WSAETIMEDOUT;
        case ECONNREFUSED: return WSAECONNREFUSED;
        default: return WSAEINVAL;
    }
}

int FailWithErrno() {
    lastSocketError = WsaErrorFromErrno(errno);
    return SOCKET_ERROR;
}

}  // namespace

int WSAStartup(WORD versionRequested, WSADATA* data) {
    BYTE major = static_cast<BYTE>(versionRequested & 0xFF);
    BYTE minor = static_cast<BYTE>(versionRequested >> 8);
    if (major < 1) {
        return WSAVERNOTSUPPORTED;
    }
    if (data == nullptr) {
        return WSAEFAULT;
    }
    // Like the system: a 1.x or 2.x request is granted as asked, capped at
    // that major version's highest minor (1.1, 2.2); anything newer gets 2.2.
    BYTE grantedMajor = major > 2 ? 2 : major;
    BYTE highestMinor = grantedMajor == 1 ? 1 : 2;
    BYTE grantedMinor = major > 2 || minor > highestMinor ? highestMinor : minor;
    std::memset(data, 0, sizeof(*data));
    data->wVersion = MAKEWORD(grantedMajor, grantedMinor);
    data->wHighVersion = MAKEWORD(2, 2);
    std::strncpy(data->szDescription, "BSD sockets", sizeof(data->szDescription) - 1);
    std::strncpy(data->szSystemStatus, "Running", sizeof(data->szSystemStatus) - 1);
    return 0;
}

int WSACleanup() { return 0; }

int WSAGetLastError() { return lastSocketError; }

void WSASetLastError(int error) { lastSocketError = error; }

int closesocket(SOCKET s) {
    if (close(s) != 0) {
        return FailWithErrno();
    }
    return 0;
}

int recvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen) {
    if (len < 0 || (from != nullptr && fromlen == nullptr)) {
        lastSocketError = WSAEFAULT;
        return SOCKET_ERROR;
    }
    socklen_t addressLength = fromlen != nullptr ? static_cast<socklen_t>(*fromlen) : 0;
    // MSG_TRUNC makes the kernel return the datagram's real length, so an
    // oversized datagram is recognised instead of being cut short.
    ssize_t received = ::recvfrom(s, buf, static_cast<size_t>(len), flags | MSG_TRUNC, from,
                                  from != nullptr ? &addressLength : nullptr);
    if (received < 0) {
        return FailWithErrno();
    }
    if (fromlen != nullptr) {
        *fromlen = static_cast<int>(addressLength);
    }
    if (received > len) {
        lastSocketError = WSAEMSGSIZE;
        return SOCKET_ERROR;
    }
    return static_cast<int>(received);
}

int ioctlsocket(SOCKET s, long cmd, u_long* argp) {
    if (argp == nullptr) {
        lastSocketError = WSAEFAULT;
        return SOCKET_ERROR;
    }
    if (cmd != static_cast<long>(FIONBIO)) {
        lastSocketError = WSAEINVAL;
        return SOCKET_ERROR;
    }
    int nonBlocking = *argp != 0 ? 1 : 0;
    if (::ioctl(s, FIONBIO, &nonBlocking) != 0) {
        return FailWithErrno();
    }
    return 0;
}
