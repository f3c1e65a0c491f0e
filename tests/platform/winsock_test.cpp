// Winsock behaviour on BSD sockets: start-up versions and datagram receive,
// including the oversized-datagram error that the platform reports.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32.h"

namespace {

TEST(WsaStartupTest, AcceptsVersionTwoAndRefusesOlder) {
    WSADATA data{};
    EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    EXPECT_EQ(data.wVersion, MAKEWORD(2, 2));
    EXPECT_EQ(WSAStartup(MAKEWORD(1, 1), &data), WSAVERNOTSUPPORTED);
    EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), nullptr), WSAEFAULT);
}

class LoopbackPair : public ::testing::Test {
protected:
    void SetUp() override {
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
    }
    void Send(const std::string& payload) {
        ASSERT_EQ(sendto(sender, payload.data(), payload.size(), 0,
                         reinterpret_cast<const sockaddr*>(&target), sizeof(target)),
                  static_cast<ssize_t>(payload.size()));
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

TEST(RecvfromTest, ClosedSocketReportsAnError) {
    char buffer[4];
    EXPECT_EQ(recvfrom(-1, buffer, 4, 0, nullptr, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEBADF);
}

}  // namespace
