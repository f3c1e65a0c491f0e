// The service loop's platform parts, built and run on both platforms (the
// Windows build runs them under Wine): the poller with its wake-up, the
// socket calls, the token file's lock and private write, and the whole loop
// serving a control client over loopback TCP.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "tools/display-service/service/display_service.h"
#include "tools/display-service/service/event_poller.h"
#include "tools/display-service/library/loopback_stream.h"
#include "tools/display-service/protocol/message_stream.h"
#include "tools/display-service/service/service_calls.h"
#include "tools/display-service/protocol/service_socket.h"
#include "tools/display-service/protocol/token_file.h"
#include "tools/display-service/service/token_writer.h"
#include "tools/display-service/service/viewer_secret.h"

namespace vareko::displayservice {
namespace {

using Clock = std::chrono::steady_clock;

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// A fresh folder for this test's files, private to the user, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() / ("vareko-loop-" + std::to_string(random()));
        std::filesystem::create_directory(path_);
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const char* name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

class LoopbackSockets : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(poller_.Failure(), "");
        std::string error;
        int port = 0;
        listenFd_ = ListenOnLoopback(0, port, error);
        ASSERT_GE(listenFd_, 0) << error;
        client_ = LoopbackStream::Connect(static_cast<std::uint16_t>(port), 2000);
        ASSERT_TRUE(client_);
        for (int i = 0; i < 200 && AcceptConnection(listenFd_, acceptedFd_) != AcceptStatus::kAccepted; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_GE(acceptedFd_, 0);
    }
    void TearDown() override {
        client_.reset();
        if (acceptedFd_ >= 0) CloseDescriptor(acceptedFd_);
        if (listenFd_ >= 0) CloseDescriptor(listenFd_);
    }

    struct Waited {
        std::vector<PollEvent> events;
        bool woken = false;
    };
    Waited WaitUpTo(int timeoutMs) {
        std::array<PollEvent, 8> events;
        Waited result;
        const timespec timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1'000'000L};
        const int n = poller_.Wait(events, timeout, result.woken);
        EXPECT_GE(n, 0);
        result.events.assign(events.begin(), events.begin() + std::max(n, 0));
        return result;
    }

    EventPoller poller_;  // first: on Windows it starts Winsock for the sockets below
    int listenFd_ = -1;
    int acceptedFd_ = -1;
    std::unique_ptr<LoopbackStream> client_;
};

TEST_F(LoopbackSockets, PollerReportsInputAndWritabilityUntilTheSocketIsForgotten) {
    ASSERT_TRUE(poller_.Watch(acceptedFd_));
    EXPECT_TRUE(WaitUpTo(0).events.empty());

    ASSERT_EQ(client_->Send(Bytes("hello")).status, IoStatus::kDone);
    Waited waited = WaitUpTo(2000);
    ASSERT_EQ(waited.events.size(), 1u);
    EXPECT_EQ(waited.events[0].fd, acceptedFd_);
    EXPECT_TRUE(waited.events[0].readable);
    EXPECT_FALSE(waited.events[0].writable);
    std::array<std::uint8_t, 16> buffer{};
    const SocketResult got = ReceiveSome(acceptedFd_, buffer);
    EXPECT_EQ(got.status, SocketStatus::kDone);
    EXPECT_EQ(got.bytes, 5u);
    EXPECT_EQ(ReceiveSome(acceptedFd_, buffer).status, SocketStatus::kWouldBlock);

    poller_.WantWrite(acceptedFd_, true);
    waited = WaitUpTo(2000);
    ASSERT_EQ(waited.events.size(), 1u);
    EXPECT_TRUE(waited.events[0].writable);
    poller_.WantWrite(acceptedFd_, false);
    EXPECT_TRUE(WaitUpTo(0).events.empty());

    ASSERT_EQ(client_->Send(Bytes("more")).status, IoStatus::kDone);
    poller_.Forget(acceptedFd_);
    EXPECT_TRUE(WaitUpTo(100).events.empty());
}

TEST_F(LoopbackSockets, APeerThatLeavesIsReadableAndThenGone) {
    ASSERT_TRUE(poller_.Watch(acceptedFd_));
    client_.reset();
    const Waited waited = WaitUpTo(2000);
    ASSERT_EQ(waited.events.size(), 1u);
    EXPECT_TRUE(waited.events[0].readable);
    std::array<std::uint8_t, 16> buffer{};
    EXPECT_EQ(ReceiveSome(acceptedFd_, buffer).status, SocketStatus::kGone);
}

TEST_F(LoopbackSockets, WakeEndsAWaitFromAnotherThreadOnce) {
    const auto start = Clock::now();
    std::thread waker([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        poller_.Wake();
    });
    const Waited waited = WaitUpTo(10000);
    waker.join();
    EXPECT_TRUE(waited.woken);
    EXPECT_TRUE(waited.events.empty());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    // The wake-up was taken: the next wait is not woken again.
    EXPECT_FALSE(WaitUpTo(0).woken);
}

TEST(TokenFileWriter, TheLockIsOneServicesUntilReleasedAndWritesReplaceWholeFiles) {
    const ScratchFolder folder;
    const std::string path = folder.File("display.token");
    int first = -1;
    ASSERT_EQ(LockTokenFile(path, first), "");
    int second = -1;
    EXPECT_NE(LockTokenFile(path, second).find("another running display service"), std::string::npos);
    ReleaseTokenLock(first);
    ASSERT_EQ(LockTokenFile(path, second), "");
    ReleaseTokenLock(second);

    for (const char* text : {"port 1\nfirst\n", "port 2\n"}) {
        ASSERT_EQ(WritePrivateFile(path, text), "");
        std::ifstream in(path, std::ios::binary);
        std::stringstream read;
        read << in.rdbuf();
        EXPECT_EQ(read.str(), text);
    }
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}

// The kept viewer secret on this platform: what WritePrivateFile wrote is
// read back as ours (the private-file check of this platform passes it),
// and a malformed one is replaced by a new secret.
TEST(ViewerSecretFile, TheKeptSecretIsReadBackAndAMalformedOneReplaced) {
    const ScratchFolder folder;
    const std::string path = ViewerSecretPath(folder.File("display.token"));
    std::string first;
    std::string again;
    ASSERT_EQ(KeptViewerSecret(path, first), "");
    ASSERT_EQ(KeptViewerSecret(path, again), "");
    EXPECT_EQ(again, first) << "a restart must keep the secret";

    std::string drawn;
    ASSERT_EQ(DrawViewerSecret(path, drawn), "");
    EXPECT_NE(drawn, first);
    for (const std::string& text : {std::string(64, 'A') + "\n", std::string(63, 'a') + "\n", std::string(64, 'a')}) {
        ASSERT_EQ(WritePrivateFile(path, text), "");
        std::string secret;
        ASSERT_EQ(KeptViewerSecret(path, secret), "");
        EXPECT_EQ(secret.size(), 64u);
        EXPECT_NE(secret + "\n", text);
    }
}

// A control client over loopback TCP, as the Windows commands are: token
// first, then framed messages.
class TcpControl {
public:
    TcpControl(int port, const std::string& token)
        : stream_(LoopbackStream::Connect(static_cast<std::uint16_t>(port), 2000)) {
        if (stream_) Send(Bytes(token));
    }
    bool Connected() const { return stream_ != nullptr; }
    void Send(std::span<const std::uint8_t> bytes) {
        ASSERT_EQ(stream_->Send(bytes).status, IoStatus::kDone);
    }
    void Send(const ClientMessage& message) { Send(std::span<const std::uint8_t>(EncodeClientMessage(message))); }
    template <typename T>
    bool Receive(T& out) {
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (Clock::now() < deadline) {
            std::span<const std::uint8_t> bytes;
            while (inbound_.Take(bytes) == MessageStream::Next::kMessage) {
                ServiceMessage m;
                if (DecodeServiceMessage(bytes, m) != DecodeStatus::kOk) return false;
                if (auto* wanted = std::get_if<T>(&m)) {
                    out = std::move(*wanted);
                    return true;
                }
            }
            if (!stream_->WaitReadable(100)) continue;
            const IoResult r = stream_->Receive(inbound_.FreeSpace());
            if (r.status == IoStatus::kGone) return false;
            if (r.status == IoStatus::kDone) inbound_.Commit(r.bytes);
        }
        return false;
    }

private:
    std::unique_ptr<LoopbackStream> stream_;
    MessageStream inbound_{kMaxServiceMessageBytes};
};

TEST(ServiceLoop, ServesAControlClientOverLoopbackTcpAndRemovesItsTokenFileAtTheEnd) {
    const ScratchFolder folder;
    ServiceOptions options;
    // Where the platform has a Unix socket the service needs one too.
    options.socketPath = ResolveSocketPath().empty() ? std::string() : folder.File("display.sock");
    options.tokenPath = folder.File("display.token");
    options.httpPort = kHttpDisabled;
    options.logLine = [](const std::string&) {};
    std::string tokenPath;
    {
        DisplayService service(options);
        ASSERT_EQ(service.Start(), "");
        tokenPath = service.TokenPath();
        TokenFile file;
        ASSERT_TRUE(ReadTokenFile(tokenPath, file));
        EXPECT_EQ(file.port, service.TcpPort());
        std::thread loop([&service] { service.Run(); });

        TcpControl control(service.TcpPort(), file.token);
        ASSERT_TRUE(control.Connected());
        HelloMessage hello;
        hello.role = ClientRole::kControl;
        hello.name = "loop test";
        control.Send(hello);
        WelcomeMessage welcome;
        EXPECT_TRUE(control.Receive(welcome));
        control.Send(ButtonMessage{1, true});
        ControlReplyMessage reply;
        EXPECT_TRUE(control.Receive(reply));
        EXPECT_EQ(reply.result, 0u);
        control.Send(StatusRequestMessage{});
        StatusMessage status;
        EXPECT_TRUE(control.Receive(status));
        EXPECT_NE(status.text.find("buttons 0x2"), std::string::npos) << status.text;

        service.RequestStop();
        loop.join();
    }
    EXPECT_FALSE(std::filesystem::exists(tokenPath));
}

}  // namespace
}  // namespace vareko::displayservice
