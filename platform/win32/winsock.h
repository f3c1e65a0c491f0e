// Winsock 2.2 on BSD sockets. The BSD calls that behave alike (socket, bind,
// sendto, htons, ...) are used as they are; this header adds the Winsock
// names, the call whose Winsock behaviour differs (recvfrom reports a
// datagram longer than the buffer as an error, WSAEMSGSIZE, instead of
// truncating it silently) and Winsock's own switch to non-blocking mode
// (ioctlsocket with FIONBIO). WSAGetLastError reads the thread's errno as a
// WSA code, so it reports the failure of any of these calls.
#pragma once

#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include "platform/win32/types.h"

using SOCKET = int;
constexpr SOCKET INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;

constexpr int WSAEINTR = 10004;
constexpr int WSAEBADF = 10009;
constexpr int WSAEACCES = 10013;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEMSGSIZE = 10040;
constexpr int WSAEADDRINUSE = 10048;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETDOWN = 10050;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSAVERNOTSUPPORTED = 10092;

constexpr WORD MAKEWORD(BYTE low, BYTE high) {
    return static_cast<WORD>(low | (static_cast<WORD>(high) << 8));
}

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[257];
    char szSystemStatus[129];
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
};

using SOCKADDR = sockaddr;
using SOCKADDR_IN = sockaddr_in;

// Grants versions 1.0 to 2.2 as the system does (newer requests get 2.2);
// returns 0 or a WSA error code.
int WSAStartup(WORD versionRequested, WSADATA* data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);
int closesocket(SOCKET s);

// Winsock's recvfrom: a datagram that does not fit into len bytes fills the
// buffer, is discarded and yields SOCKET_ERROR with WSAEMSGSIZE.
int recvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen);

// Winsock's ioctlsocket for the one command the program uses: FIONBIO with a
// non-zero *argp makes every later receive on s return SOCKET_ERROR with
// WSAEWOULDBLOCK at once when nothing has arrived; zero makes it block again.
// Any other command fails with WSAEINVAL.
int ioctlsocket(SOCKET s, long cmd, u_long* argp);
