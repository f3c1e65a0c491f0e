// The library's protocol client over the TCP transport, as the Windows
// library uses it: against the live service (token file, frames, buttons,
// restarts), and against a listener that stops reading, where frames must be
// dropped whole and control messages kept, so the stream never tears.
#include <gtest/gtest.h>

#include <sys/socket.h>

#include <cstring>

#include "tests/service/service_harness.h"
#include "tools/display-service/service/control_client.h"
#include "tools/display-service/library/link_client.h"
#include "tools/display-service/library/link_transport.h"
#include "tools/display-service/protocol/message_stream.h"
#include "tools/display-service/protocol/token_file.h"

namespace vareko::displayservice::testing {
namespace {

using link::kLinkOk;
using link::kLinkServerUnavailable;

DeviceBitmap Frame(std::uint8_t fill) {
    DeviceBitmap b;
    b.format = kDeviceBitmapFormat;
    std::memset(b.pixels, fill, sizeof b.pixels);
    return b;
}

class TcpLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(service.Start(), "");
        ASSERT_EQ(client.Init(), kLinkOk);
    }

    bool ConnectAndOpen() {
        if (client.Connect(&record) != kLinkOk) return false;
        std::uint8_t buffer[link::kEnumerateBufferBytes] = {};
        if (client.Enumerate(record.connection, 0, buffer) != kLinkOk) return false;
        link::OpenRecord open{record.connection, 0, 0, 0, link::kNoHandle};
        if (client.Open(&open) != kLinkOk) return false;
        device = open.device;
        return true;
    }

    template <typename Reply>
    bool Control(const ClientMessage& request, Reply& reply) {
        ControlClient control;
        return control.Connect(dir.SocketPath(), 2000).empty() && control.Request(request, reply, 2000);
    }

    TempSocketDir dir;
    ServiceRunner service{dir.SocketPath()};
    LinkClient client{ConnectTcpTransport};
    link::ConnectionRecord record{L"tcp app", 0, 0, nullptr, nullptr, link::kNoHandle};
    link::LinkHandle device = link::kNoHandle;
};

TEST_F(TcpLinkTest, FrameIsShownAndButtonsComeBack) {
    ASSERT_TRUE(ConnectAndOpen());
    const DeviceBitmap frame = Frame(222);
    ASSERT_EQ(client.Update(device, &frame, 9), kLinkOk);
    SnapshotMessage snapshot;
    ASSERT_TRUE(Eventually([&] { return Control(SnapshotRequestMessage{}, snapshot) && snapshot.pixels[0] == 222; }));
    StatusMessage status;
    ASSERT_TRUE(Control(StatusRequestMessage{}, status));
    EXPECT_NE(status.text.find("tcp, priority 9"), std::string::npos) << status.text;
    EXPECT_NE(status.text.find("name \"tcp app\""), std::string::npos) << status.text;

    ControlReplyMessage reply;
    ASSERT_TRUE(Control(ButtonMessage{2, true}, reply));
    std::uint32_t word = 0;
    EXPECT_TRUE(Eventually([&] { return client.ReadButtons(device, &word) == kLinkOk && word == 4; }));
}

TEST_F(TcpLinkTest, RestartedServiceIsFoundThroughTheNewTokenFile) {
    ASSERT_TRUE(ConnectAndOpen());
    service.Stop();
    const DeviceBitmap frame = Frame(1);
    EXPECT_TRUE(Eventually([&] { return client.Update(device, &frame, 1) == kLinkServerUnavailable; }));
    client.Close(device);
    client.Disconnect(record.connection);
    // No token file while no service runs: refused at once, not waited for.
    EXPECT_EQ(client.Connect(&record), kLinkServerUnavailable);
    ASSERT_EQ(service.Start(), "");
    EXPECT_TRUE(ConnectAndOpen());
}

TEST_F(TcpLinkTest, AStaleTokenIsRefused) {
    TokenFile file;
    ASSERT_TRUE(ReadTokenFile(service.TokenPath(), file));
    file.token.assign(kTokenTextBytes, '0');
    const std::string text = FormatTokenFile(file);
    FILE* out = std::fopen(service.TokenPath().c_str(), "w");
    ASSERT_NE(out, nullptr);
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    // Refused at Connect, or, when the service closes the connection only
    // after the library's wait, at the next call.
    const link::LinkResult connected = client.Connect(&record);
    if (connected != kLinkOk) {
        EXPECT_EQ(connected, kLinkServerUnavailable);
        return;
    }
    EXPECT_TRUE(Eventually([&] {
        std::uint8_t buffer[link::kEnumerateBufferBytes] = {};
        return client.Enumerate(record.connection, 0, buffer) == kLinkServerUnavailable;
    }));
}

// A listener that accepts the transport's connection and reads only when
// told to, standing in for a service that has fallen behind.
class StalledListener {
public:
    StalledListener() {
        std::string error;
        int port = 0;
        listenFd_ = ListenOnLoopback(0, port, error);
        port_ = static_cast<std::uint16_t>(port);
    }
    ~StalledListener() {
        if (peer_ >= 0) close(peer_);
        close(listenFd_);
    }
    std::uint16_t Port() const { return port_; }
    bool Accept() {
        return Eventually([&] {
            peer_ = accept(listenFd_, nullptr, nullptr);
            return peer_ >= 0;
        });
    }
    // Everything that has arrived so far.
    void ReadAvailable(std::vector<std::uint8_t>& into) {
        std::uint8_t buffer[65536];
        for (;;) {
            const ssize_t n = recv(peer_, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n <= 0) return;
            into.insert(into.end(), buffer, buffer + n);
        }
    }

private:
    int listenFd_ = -1;
    int peer_ = -1;
    std::uint16_t port_ = 0;
};

TEST(TcpTransportTest, ABehindServiceLosesWholeFramesButNeverAControlMessage) {
    TempSocketDir dir;
    StalledListener listener;
    const std::string token(kTokenTextBytes, '7');
    {
        FILE* out = std::fopen((dir.Dir() + "/display.token").c_str(), "w");
        ASSERT_NE(out, nullptr);
        const std::string text = FormatTokenFile({listener.Port(), token});
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
    }
    link::LinkResult failure = link::kLinkOk;
    std::unique_ptr<LinkTransport> transport = ConnectTcpTransport(failure);
    ASSERT_NE(transport, nullptr);
    ASSERT_TRUE(listener.Accept());

    // Far more than the socket buffers hold, so that sends go in part and
    // later frames find the link busy.
    constexpr int kFrames = 3000;
    for (int i = 0; i < kFrames; ++i) {
        ASSERT_TRUE(transport->SendFrame(1, Frame(static_cast<std::uint8_t>(1 + i % 250))));
        if (i == kFrames / 2) {
            ASSERT_TRUE(transport->Send(EncodeClientMessage(OpenMessage{0, 77})));
        }
    }
    ASSERT_TRUE(transport->Send(EncodeClientMessage(CloseMessage{})));

    // Read, and let the transport write what it kept, until nothing more comes.
    std::vector<std::uint8_t> bytes;
    ServiceMessage ignored;
    for (int quietRounds = 0; quietRounds < 20;) {
        const std::size_t before = bytes.size();
        ASSERT_EQ(transport->ReceiveOne(ignored), Receive::kNothing);
        listener.ReadAvailable(bytes);
        quietRounds = bytes.size() == before ? quietRounds + 1 : 0;
        if (quietRounds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    ASSERT_GE(bytes.size(), kTokenTextBytes);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + kTokenTextBytes), token);
    MessageStream stream(kMaxClientMessageBytes);
    std::span<const std::uint8_t> rest = std::span(bytes).subspan(kTokenTextBytes);
    int frames = 0;
    bool sawOpen = false;
    bool sawCloseLast = false;
    while (!rest.empty()) {
        const auto room = stream.FreeSpace();
        const std::size_t n = std::min(room.size(), rest.size());
        std::copy_n(rest.begin(), n, room.begin());
        stream.Commit(n);
        rest = rest.subspan(n);
        std::span<const std::uint8_t> message;
        while (stream.Take(message) == MessageStream::Next::kMessage) {
            ClientMessage decoded;
            ASSERT_EQ(DecodeClientMessage(message, decoded), DecodeStatus::kOk) << "after " << frames << " frames";
            sawCloseLast = std::holds_alternative<CloseMessage>(decoded);
            if (const auto* f = std::get_if<FrameMessage>(&decoded)) {
                ++frames;
                const bool uniform = std::all_of(f->pixels.begin(), f->pixels.end(),
                                                 [&](std::uint8_t p) { return p == f->pixels[0]; });
                EXPECT_TRUE(uniform) << "frame " << frames << " mixes two frames";
            } else if (const auto* o = std::get_if<OpenMessage>(&decoded)) {
                sawOpen = o->requestId == 77;
            }
        }
    }
    EXPECT_EQ(stream.Buffered(), 0u) << "the stream ends inside a message";
    EXPECT_TRUE(sawOpen);
    EXPECT_TRUE(sawCloseLast);
    EXPECT_GT(frames, 0);
    EXPECT_LT(frames, kFrames) << "no frame was dropped: the buffers never filled";
}

}  // namespace
}  // namespace vareko::displayservice::testing
