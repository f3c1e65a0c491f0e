// The service's loopback TCP side: the token file it writes, the token a
// client must present first, and the protocol over a byte stream whose
// messages arrive in arbitrary pieces.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/stat.h>

#include <cstring>

#include "tests/service/service_harness.h"
#include "tools/display-service/protocol/message_stream.h"
#include "tools/display-service/protocol/token_file.h"

namespace vareko::displayservice::testing {
namespace {

// A protocol client over TCP that writes whatever bytes the test gives it.
class RawTcpClient {
public:
    explicit RawTcpClient(int port) : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawTcpClient() { close(fd_); }
    bool Connected() const { return connected_; }
    bool SendBytes(std::span<const std::uint8_t> bytes) {
        return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    bool SendText(const std::string& text) {
        return SendBytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    }
    bool Send(const ClientMessage& message) { return SendBytes(EncodeClientMessage(message)); }
    // The next message within `timeoutMs`, or nothing once the stream ends.
    template <typename T>
    bool ReceiveType(T& out, int timeoutMs = 2000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            std::span<const std::uint8_t> bytes;
            while (inbound_.Take(bytes) == MessageStream::Next::kMessage) {
                ServiceMessage m;
                if (DecodeServiceMessage(bytes, m) != DecodeStatus::kOk) return false;
                if (auto* t = std::get_if<T>(&m)) {
                    out = std::move(*t);
                    return true;
                }
            }
            if (!ReadSome(deadline)) return false;
        }
    }
    bool ClosedByPeer(int timeoutMs = 3000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            if (!ReadSome(deadline)) return ended_;
        }
        return false;
    }

private:
    bool ReadSome(std::chrono::steady_clock::time_point deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{fd_, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
        const auto room = inbound_.FreeSpace();
        const ssize_t n = recv(fd_, room.data(), room.size(), 0);
        if (n <= 0) {
            ended_ = true;
            return false;
        }
        inbound_.Commit(static_cast<std::size_t>(n));
        return true;
    }

    int fd_;
    bool connected_ = false;
    bool ended_ = false;
    MessageStream inbound_{kMaxServiceMessageBytes};
};

class TcpServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        service.Options().tokenWaitMs = 100;
        service.Options().logLine = log.Sink();
        ASSERT_EQ(service.Start(), "");
        ASSERT_TRUE(ReadTokenFile(service.TokenPath(), token));
    }

    // A control client that got through the token check and the Hello.
    bool Greeted(RawTcpClient& client, ClientRole role) {
        HelloMessage hello;
        hello.role = role;
        WelcomeMessage welcome;
        return client.Connected() && client.SendText(token.token) && client.Send(hello) &&
               client.ReceiveType(welcome) && welcome.result == 0;
    }

    TempSocketDir dir;
    LogCapture log;
    ServiceRunner service{dir.SocketPath()};
    TokenFile token;
};

TEST_F(TcpServiceTest, TokenFileIsPrivateBesideTheSocketAndGoneAfterStop) {
    EXPECT_EQ(service.TokenPath(), dir.Dir() + "/display.token");
    EXPECT_EQ(token.port, service.TcpPort());
    struct stat info{};
    ASSERT_EQ(stat(service.TokenPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    service.Stop();
    EXPECT_NE(stat((dir.Dir() + "/display.token").c_str(), &info), 0);
}

TEST_F(TcpServiceTest, ClientsWithoutTheRightTokenAreClosed) {
    std::string wrong = token.token;
    wrong[10] = wrong[10] == '0' ? '1' : '0';
    struct Case {
        const char* name;
        std::vector<std::uint8_t> first;
    };
    const auto text = [](const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); };
    const Case cases[] = {
        {"wrong token", text(wrong)},
        // A well-formed Hello on its own would be welcomed if the token were not checked.
        {"Hello without a token", EncodeClientMessage(HelloMessage{})},
        {"half a token, then silence", text(token.token.substr(0, kTokenTextBytes / 2))},
        {"nothing at all", {}},
    };
    for (const Case& c : cases) {
        RawTcpClient client(service.TcpPort());
        ASSERT_TRUE(client.Connected()) << c.name;
        if (!c.first.empty()) {
            ASSERT_TRUE(client.SendBytes(c.first)) << c.name;
        }
        EXPECT_TRUE(client.ClosedByPeer()) << c.name;
    }
}

TEST_F(TcpServiceTest, FrameSentInSmallPiecesShowsOnThePanel) {
    RawTcpClient app(service.TcpPort());
    ASSERT_TRUE(Greeted(app, ClientRole::kApplication));
    ASSERT_TRUE(app.Send(OpenMessage{0, 9}));
    OpenReplyMessage reply;
    ASSERT_TRUE(app.ReceiveType(reply));
    EXPECT_EQ(reply.result, 0u);
    std::vector<std::uint8_t> pixels(kDevicePixelBytes, 0);
    pixels[0] = 255;
    pixels[kDevicePixelBytes - 1] = 200;
    FrameMessage frame;
    frame.priority = 5;
    frame.pixels = pixels;
    const std::vector<std::uint8_t> bytes = EncodeClientMessage(frame);
    for (std::size_t at = 0; at < bytes.size(); at += 1000) {
        ASSERT_TRUE(app.SendBytes(std::span(bytes).subspan(at, std::min<std::size_t>(1000, bytes.size() - at))));
    }
    RawTcpClient control(service.TcpPort());
    ASSERT_TRUE(Greeted(control, ClientRole::kControl));
    SnapshotMessage snapshot;
    ASSERT_TRUE(Eventually([&] {
        return control.Send(SnapshotRequestMessage{}) && control.ReceiveType(snapshot) &&
               snapshot.shownClientId != 0;
    }));
    EXPECT_EQ(snapshot.pixels[0], 255);
    EXPECT_EQ(snapshot.pixels[1], 0);
    EXPECT_EQ(snapshot.pixels[kDevicePixelBytes - 1], 200);
}

TEST_F(TcpServiceTest, ARestartedServiceHasANewTokenAndRefusesTheOld) {
    const TokenFile before = token;
    service.Stop();
    ASSERT_EQ(service.Start(), "");
    ASSERT_TRUE(ReadTokenFile(service.TokenPath(), token));
    EXPECT_NE(token.token, before.token);
    RawTcpClient client(service.TcpPort());
    ASSERT_TRUE(client.SendText(before.token));
    EXPECT_TRUE(client.ClosedByPeer());
}

TEST_F(TcpServiceTest, ASecondServiceRefusesATokenFileThatARunningOneHolds) {
    ServiceRunner second{dir.Dir() + "/second.sock"};
    second.Options().tokenPath = service.TokenPath();
    EXPECT_THAT(second.Start(), ::testing::HasSubstr("belongs to another running display service"));
    TokenFile still;
    ASSERT_TRUE(ReadTokenFile(service.TokenPath(), still));
    EXPECT_EQ(still.token, token.token);
    EXPECT_EQ(still.port, token.port);
    // Once the first has stopped, the file is free for the second.
    const std::string path = service.TokenPath();
    service.Stop();
    ASSERT_EQ(second.Start(), "");
    ASSERT_TRUE(ReadTokenFile(path, still));
    EXPECT_EQ(still.port, second.TcpPort());
}

TEST_F(TcpServiceTest, TokenFileVariableAndDisabledTcp) {
    service.Stop();
    const std::string elsewhere = dir.Dir() + "/elsewhere.token";
    setenv(kTokenFileVariable, elsewhere.c_str(), 1);
    ASSERT_EQ(service.Start(), "");
    unsetenv(kTokenFileVariable);
    EXPECT_EQ(service.TokenPath(), elsewhere);
    EXPECT_TRUE(ReadTokenFile(elsewhere, token));
    service.Stop();
    service.Options().tcpPort = kTcpDisabled;
    ASSERT_EQ(service.Start(), "");
    EXPECT_EQ(service.TcpPort(), kTcpDisabled);
    struct stat info{};
    EXPECT_NE(stat((dir.Dir() + "/display.token").c_str(), &info), 0);
}

TEST_F(TcpServiceTest, ConnectionsWithoutATokenCannotCrowdOutTheOwner) {
    // A deadline far beyond the test: only the cap can close the silent ones.
    service.Stop();
    service.Options().tokenWaitMs = 60000;
    ASSERT_EQ(service.Start(), "");
    ASSERT_TRUE(ReadTokenFile(service.TokenPath(), token));
    std::vector<std::unique_ptr<RawTcpClient>> silent;
    for (std::size_t i = 0; i < 3 * kMaxTcpClientsWithoutToken; ++i) {
        silent.push_back(std::make_unique<RawTcpClient>(service.TcpPort()));
        ASSERT_TRUE(silent.back()->Connected());
    }
    RawTcpClient owner(service.TcpPort());
    EXPECT_TRUE(Greeted(owner, ClientRole::kControl));
    EXPECT_TRUE(silent.front()->ClosedByPeer());
    EXPECT_TRUE(log.Has({"(tcp 127.0.0.1:", "too many TCP connections without a token"}));
}

TEST_F(TcpServiceTest, TcpPlacesAreBoundedAndFreedWhenAClientLeaves) {
    std::vector<std::unique_ptr<RawTcpClient>> clients;
    for (std::size_t i = 0; i < kMaxTcpClients; ++i) {
        clients.push_back(std::make_unique<RawTcpClient>(service.TcpPort()));
        ASSERT_TRUE(Greeted(*clients.back(), ClientRole::kControl)) << i;
    }
    RawTcpClient oneTooMany(service.TcpPort());
    EXPECT_FALSE(Greeted(oneTooMany, ClientRole::kControl));
    EXPECT_TRUE(log.Has({"TCP connection limit reached"}));
    clients.pop_back();
    EXPECT_TRUE(Eventually([&] {
        RawTcpClient next(service.TcpPort());
        return Greeted(next, ClientRole::kControl);
    }));
}

TEST_F(TcpServiceTest, ADroppedTcpClientIsLoggedWithItsPort) {
    RawTcpClient client(service.TcpPort());
    ASSERT_TRUE(client.SendText(std::string(kTokenTextBytes, 'x')));
    EXPECT_TRUE(client.ClosedByPeer());
    EXPECT_TRUE(log.Has({"dropped client", "(tcp 127.0.0.1:", "wrong token"}));
    RawTcpClient silent(service.TcpPort());
    EXPECT_TRUE(silent.ClosedByPeer());
    EXPECT_TRUE(log.Has({"no token within the deadline"}));
}

}  // namespace
}  // namespace vareko::displayservice::testing
