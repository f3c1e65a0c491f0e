// Winsock behaviour: start-up versions and datagram receive, including the
// oversized-datagram error. The same cases run against our layer on BSD
// sockets and against the system's Winsock in the Windows build.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32.h"

namespace {

TEST(WsaStartupTest, GrantsTheHighestMinorOfTheRequestedMajorVersion) {
    struct Case {
        BYTE major, minor;
        int result;
        BYTE grantedMajor, grantedMinor;
    };
    const Case cases[] = {
        {2, 2, 0, 2, 2}, {2, 0, 0, 2, 0}, {2, 5, 0, 2, 2}, {1, 1, 0, 1, 1}, {1, 0, 0, 1, 0},
        {1, 5, 0, 1, 1}, {3, 0, 0, 2, 2}, {0, 9, WSAVERNOTSUPPORTED, 0, 0},
    };
    for (const Case& c : cases) {
        WSADATA data{};
        int result = WSAStartup(MAKEWORD(c.major, c.minor), &data);
        EXPECT_EQ(result, c.result) << int{c.major} << "." << int{c.minor};
        if (result == 0) {
            EXPECT_EQ(data.wVersion, MAKEWORD(c.grantedMajor, c.grantedMinor))
                << int{c.major} << "." << int{c.minor};
            EXPECT_EQ(data.wHighVersion, MAKEWORD(2, 2));
            WSACleanup();
        }
    }
    EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), nullptr), WSAEFAULT);
}

class LoopbackPair : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA data{};
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
        receiver = socket(AF_INET, SOCK_DGRAM, 0);
        sender = socket(AF_INET, SOCK_DGRAM, 0);
        ASSERT_NE(receiver, INVALID_SOCKET);
        ASSERT_NE(sender, INVALID_SOCKET);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;  // ephemeral
        ASSERT_EQ(bind(receiver, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        socklen_t length = sizeof(target);
        ASSERT_EQ(getsockname(receiver, reinterpret_cast<sockaddr*>(&target), &length), 0);
    }
    void TearDown() override {
        closesocket(receiver);
        closesocket(sender);
        WSACleanup();
    }
    void Send(const std::string& payload) {
        int length = static_cast<int>(payload.size());
        ASSERT_EQ(sendto(sender, payload.data(), length, 0,
                         reinterpret_cast<const sockaddr*>(&target), sizeof(target)),
                  length);
    }
    SOCKET receiver = INVALID_SOCKET;
    SOCKET sender = INVALID_SOCKET;
    sockaddr_in target{};
};

TEST_F(LoopbackPair, ReceivesADatagramThatFitsAndFillsTheSenderAddress) {
    Send("hello");
    char buffer[16] = {};
    sockaddr_in from{};
    int fromLength = sizeof(from);
    int n = recvfrom(receiver, buffer, sizeof(buffer), 0, reinterpret_cast<sockaddr*>(&from),
                     &fromLength);
    EXPECT_EQ(n, 5);
    EXPECT_STREQ(buffer, "hello");
    EXPECT_EQ(fromLength, static_cast<int>(sizeof(sockaddr_in)));
    EXPECT_EQ(from.sin_addr.s_addr, htonl(INADDR_LOOPBACK));
}

TEST_F(LoopbackPair, OversizedDatagramIsAnErrorAndIsDiscarded) {
    Send(std::string(20, 'x'));
    Send("next");
    char buffer[16] = {};
    int fromLength = sizeof(sockaddr_in);
    sockaddr_in from{};
    EXPECT_EQ(recvfrom(receiver, buffer, 16, 0, reinterpret_cast<sockaddr*>(&from), &fromLength),
              SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEMSGSIZE);
    std::memset(buffer, 0, sizeof(buffer));
    EXPECT_EQ(recvfrom(receiver, buffer, 16, 0, nullptr, nullptr), 4);
    EXPECT_STREQ(buffer, "next");
}

TEST_F(LoopbackPair, DatagramOfExactlyTheBufferSizeFits) {
    Send(std::string(16, 'y'));
    char buffer[16];
    EXPECT_EQ(recvfrom(receiver, buffer, 16, 0, nullptr, nullptr), 16);
}

TEST_F(LoopbackPair, NonBlockingModeReportsAnEmptyQueueAtOnceUntilTurnedOff) {
    u_long on = 1;
    ASSERT_EQ(ioctlsocket(receiver, FIONBIO, &on), 0);
    char buffer[16] = {};
    EXPECT_EQ(recvfrom(receiver, buffer, 16, 0, nullptr, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

    // Queued datagrams come in order; an oversized one is still its own error.
    Send("one");
    Send(std::string(20, 'x'));
    Send("three");
    EXPECT_EQ(recvfrom(receiver, buffer, 16, 0, nullptr, nullptr), 3);
    EXPECT_EQ(recvfrom(receiver, buffer, 16, 0, nullptr, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEMSGSIZE);
    std::memset(buffer, 0, sizeof(buffer));
    EXPECT_EQ(recvfrom(receiver, buffer, 16, 0, nullptr, nullptr), 5);
    EXPECT_STREQ(buffer, "three");
    EXPECT_EQ(recvfrom(receiver, buffer, 16, 0, nullptr, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

    // Blocking again: the receive waits for the datagram instead of failing.
    u_long off = 0;
    ASSERT_EQ(ioctlsocket(receiver, FIONBIO, &off), 0);
    Send("four");
    EXPECT_EQ(recvfrom(receiver, buffer, 16, 0, nullptr, nullptr), 4);
}

TEST(IoctlsocketTest, InvalidSocketIsReportedAsNoSocket) {
    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    u_long on = 1;
    EXPECT_EQ(ioctlsocket(INVALID_SOCKET, FIONBIO, &on), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    WSACleanup();
}

TEST(RecvfromTest, InvalidSocketIsReportedAsNoSocket) {
    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    char buffer[4];
    EXPECT_EQ(recvfrom(INVALID_SOCKET, buffer, 4, 0, nullptr, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    WSACleanup();
}

TEST(LastErrorTest, FailuresOfTheBsdCallsAreTheLastErrorAndCodesRoundTrip) {
    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    const SOCKET holder = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(holder, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ASSERT_EQ(getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const SOCKET second = socket(AF_INET, SOCK_DGRAM, 0);
    EXPECT_EQ(bind(second, reinterpret_cast<const sockaddr*>(&address), sizeof address), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEADDRINUSE);
    closesocket(second);
    closesocket(holder);

    for (int code : {0, WSAEINTR, WSAEWOULDBLOCK, WSAEMSGSIZE, WSAENOTSOCK, WSAECONNREFUSED}) {
        WSASetLastError(code);
        EXPECT_EQ(WSAGetLastError(), code);
    }
    WSACleanup();
}

}  // namespace
