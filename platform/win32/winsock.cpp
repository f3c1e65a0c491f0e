// Winsock names on BSD sockets. The last error is the thread's errno, read
// and written through a table of WSA codes, so that the BSD calls used as
// they are (socket, bind, ...) report their failures as Winsock's do.
#include "platform/win32/winsock.h"

#include <cerrno>
#include <cstring>

namespace {

struct ErrorPair {
    int posixError;
    int socketError;
};

// errno values and their Winsock codes. Read from errno to code, the first
// row of a code also gives its errno value back.
constexpr ErrorPair kErrorPairs[] = {
    {ENOTSOCK, WSAENOTSOCK},
    {EINTR, WSAEINTR},
    {EBADF, WSAENOTSOCK},  // the system's answer for a handle that is no socket
    {EACCES, WSAEACCES},
    {EFAULT, WSAEFAULT},
    {EINVAL, WSAEINVAL},
    {EMFILE, WSAEMFILE},
    {EAGAIN, WSAEWOULDBLOCK},
    {EMSGSIZE, WSAEMSGSIZE},
    {EADDRINUSE, WSAEADDRINUSE},
    {EADDRNOTAVAIL, WSAEADDRNOTAVAIL},
    {ENETDOWN, WSAENETDOWN},
    {ECONNRESET, WSAECONNRESET},
    {ENOBUFS, WSAENOBUFS},
    {ETIMEDOUT, WSAETIMEDOUT},
    {ECONNREFUSED, WSAECONNREFUSED},
};

// Not in the table: the code for an errno value the table lacks, and the
// errno value for a code it lacks.
constexpr int kUnlistedSocketError = WSAEINVAL;
constexpr int kUnlistedPosixError = EINVAL;

int WsaErrorFromErrno(int error) {
    if (error == 0) return 0;
    for (const ErrorPair& pair : kErrorPairs) {
        if (pair.posixError == error) return pair.socketError;
    }
    return kUnlistedSocketError;
}

int ErrnoFromWsaError(int error) {
    if (error == 0) return 0;
    for (const ErrorPair& pair : kErrorPairs) {
        if (pair.socketError == error) return pair.posixError;
    }
    return kUnlistedPosixError;
}

int FailWith(int posixError) {
    errno = posixError;
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

int WSAGetLastError() { return WsaErrorFromErrno(errno); }

void WSASetLastError(int error) { errno = ErrnoFromWsaError(error); }

int closesocket(SOCKET s) {
    if (close(s) != 0) {
        return SOCKET_ERROR;
    }
    return 0;
}

int recvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen) {
    if (len < 0 || (from != nullptr && fromlen == nullptr)) {
        return FailWith(EFAULT);
    }
    socklen_t addressLength = fromlen != nullptr ? static_cast<socklen_t>(*fromlen) : 0;
    // MSG_TRUNC makes the kernel return the datagram's real length, so an
    // oversized datagram is recognised instead of being cut short.
    ssize_t received = ::recvfrom(s, buf, static_cast<size_t>(len), flags | MSG_TRUNC, from,
                                  from != nullptr ? &addressLength : nullptr);
    if (received < 0) {
        return SOCKET_ERROR;
    }
    if (fromlen != nullptr) {
        *fromlen = static_cast<int>(addressLength);
    }
    if (received > len) {
        return FailWith(EMSGSIZE);
    }
    return static_cast<int>(received);
}

int ioctlsocket(SOCKET s, long cmd, u_long* argp) {
    if (argp == nullptr) {
        return FailWith(EFAULT);
    }
    if (cmd != static_cast<long>(FIONBIO)) {
        return FailWith(EINVAL);
    }
    int nonBlocking = *argp != 0 ? 1 : 0;
    if (::ioctl(s, FIONBIO, &nonBlocking) != 0) {
        return SOCKET_ERROR;
    }
    return 0;
}
