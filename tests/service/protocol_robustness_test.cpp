// Hostile and broken clients on a raw socket: each is closed, the service
// survives, and a well-behaved client next to them is not affected.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstring>
#include <random>

#include "tests/service/service_harness.h"
#include "tools/display-service/service/control_client.h"

namespace vareko::displayservice::testing {
namespace {

class ProtocolRobustnessTest : public ::testing::Test {
protected:
    void SetUp() override {
        service.Options().logLine = log.Sink();
        ASSERT_EQ(service.Start(), "");
        good = std::make_unique<RawClient>(dir.SocketPath());
        ASSERT_TRUE(good->Hello(ClientRole::kApplication, "good"));
        ASSERT_TRUE(good->Send(OpenMessage{0, 1}));
        OpenReplyMessage reply;
        ASSERT_TRUE(good->ReceiveType(reply));
        ASSERT_EQ(reply.result, 0u);
        ASSERT_TRUE(good->Send(FrameMessage{100, std::vector<std::uint8_t>(kDevicePixelBytes, 222)}));
    }
    // The good client is still shown and still gets its buttons.
    void ExpectGoodClientUnaffected() {
        RawClient control(dir.SocketPath());
        ASSERT_TRUE(control.Hello(ClientRole::kControl));
        ASSERT_TRUE(control.Send(SnapshotRequestMessage{}));
        SnapshotMessage snapshot;
        ASSERT_TRUE(control.ReceiveType(snapshot));
        EXPECT_EQ(snapshot.pixels[0], 222);
        EXPECT_NE(snapshot.shownClientId, 0u);
        ASSERT_TRUE(control.Send(ButtonMessage{0, !buttonDown}));
        buttonDown = !buttonDown;
        ButtonsMessage buttons;
        ASSERT_TRUE(good->ReceiveType(buttons));
        EXPECT_EQ(buttons.word, buttonDown ? 1u : 0u);
    }

    TempSocketDir dir;
    LogCapture log;
    ServiceRunner service{dir.SocketPath()};
    std::unique_ptr<RawClient> good;  // connected once the service runs
    bool buttonDown = false;
};

std::vector<std::uint8_t> Header(std::uint32_t length, std::uint16_t type) {
    std::vector<std::uint8_t> b(8, 0);
    std::memcpy(b.data(), &length, 4);
    std::memcpy(b.data() + 4, &type, 2);
    return b;
}

TEST_F(ProtocolRobustnessTest, MalformedMessagesCloseOnlyTheirSender) {
    auto frame = EncodeClientMessage(FrameMessage{1, std::vector<std::uint8_t>(kDevicePixelBytes)});
    auto truncatedFrame = std::vector<std::uint8_t>(frame.begin(), frame.begin() + 100);
    auto hugeFrame = frame;
    hugeFrame.resize(200000, 0xAB);
    const struct {
        const char* what;
        bool greetFirst;
        std::vector<std::uint8_t> bytes;
        const char* logged;  // the reason in the service's line
    } cases[] = {
        {"three bytes", true, {1, 2, 3}, "malformed message (shorter than a header)"},
        {"truncated frame", true, truncatedFrame, "malformed message (length mismatch)"},
        {"oversized frame", true, hugeFrame, "longer than the protocol allows"},
        {"length field lies", true, Header(5000, 4), "malformed message (length mismatch)"},
        {"unknown type", true, Header(0, 0x7777), "malformed message (unknown type)"},
        {"frame before hello", false, frame, "out of order"},
        {"second hello", true, EncodeClientMessage(HelloMessage{}), "out of order"},
        {"control message from an application", true, EncodeClientMessage(ButtonMessage{0, true}),
         "not allowed for the client's role"},
        {"service message from a client", true, EncodeServiceMessage(ButtonsMessage{1}),
         "malformed message (wrong direction)"},
    };
    const std::string who = "(unix pid " + std::to_string(getpid()) + " uid " + std::to_string(geteuid()) + ")";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RawClient bad(dir.SocketPath());
        ASSERT_TRUE(bad.Connected());
        if (c.greetFirst) {
            ASSERT_TRUE(bad.Hello(ClientRole::kApplication, "bad"));
        }
        bad.SendBytes(c.bytes);
        EXPECT_TRUE(bad.ClosedByPeer());
        EXPECT_TRUE(log.Has({"dropped client", who, c.logged}));
        ExpectGoodClientUnaffected();
    }
}

TEST_F(ProtocolRobustnessTest, ApplicationMessagesFromAControlClientCloseIt) {
    RawClient control(dir.SocketPath());
    ASSERT_TRUE(control.Hello(ClientRole::kControl));
    control.Send(OpenMessage{0, 1});
    EXPECT_TRUE(control.ClosedByPeer());
    ExpectGoodClientUnaffected();
}

TEST_F(ProtocolRobustnessTest, UnknownProtocolVersionIsRefusedPolitely) {
    RawClient old(dir.SocketPath());
    HelloMessage hello;
    hello.version = kProtocolVersion + 1;
    ASSERT_TRUE(old.Send(hello));
    WelcomeMessage welcome;
    ASSERT_TRUE(old.ReceiveType(welcome));
    EXPECT_NE(welcome.result, 0u);
    EXPECT_TRUE(old.ClosedByPeer());
}

TEST_F(ProtocolRobustnessTest, RandomMessagesNeverHurtTheService) {
    std::mt19937 random(42);
    for (int round = 0; round < 100; ++round) {
        RawClient noise(dir.SocketPath());
        ASSERT_TRUE(noise.Connected());
        if (round % 2 == 0) noise.Hello(round % 4 == 0 ? ClientRole::kApplication : ClientRole::kControl);
        for (int m = 0; m < 5; ++m) {
            std::vector<std::uint8_t> bytes(random() % 40 + (round % 10 == 0 ? 7000 : 0));
            for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
            if (bytes.size() >= 8 && m % 2 == 0) {
                const auto n = static_cast<std::uint32_t>(bytes.size() - 8);
                std::memcpy(bytes.data(), &n, 4);
                bytes[5] = bytes[6] = bytes[7] = 0;
            }
            noise.SendBytes(bytes);
        }
    }
    ExpectGoodClientUnaffected();
}

TEST_F(ProtocolRobustnessTest, AClientThatStopsReadingDoesNotStallOthers) {
    RawClient stuck(dir.SocketPath());
    ASSERT_TRUE(stuck.Hello(ClientRole::kControl));
    // Thousands of large replies it never reads: the service must drop it
    // rather than block or grow without bound.
    for (int i = 0; i < 3000; ++i) {
        if (!stuck.Send(SnapshotRequestMessage{})) break;
    }
    ExpectGoodClientUnaffected();
}

// Two control connections read on two threads at once, as the soak's
// observer and its status checks do: each reply reaches its own connection
// whole, never bytes received by the other.
TEST_F(ProtocolRobustnessTest, ControlClientsOnTwoThreadsGetTheirOwnReplies) {
    constexpr int kRequests = 300;
    ControlClient snapshots;
    ControlClient statuses;
    ASSERT_EQ(snapshots.Connect(dir.SocketPath(), 1000), "");
    ASSERT_EQ(statuses.Connect(dir.SocketPath(), 1000), "");
    int badSnapshots = 0;
    std::thread reader([&] {
        for (int i = 0; i < kRequests; ++i) {
            SnapshotMessage snapshot;
            if (!snapshots.Request(SnapshotRequestMessage{}, snapshot, 1000) || snapshot.pixels[0] != 222) ++badSnapshots;
        }
    });
    int badStatuses = 0;
    for (int i = 0; i < kRequests; ++i) {
        StatusMessage status;
        if (!statuses.Request(StatusRequestMessage{}, status, 1000) || status.text.rfind("socket: ", 0) != 0) ++badStatuses;
    }
    reader.join();
    EXPECT_EQ(badSnapshots, 0);
    EXPECT_EQ(badStatuses, 0);
}

TEST_F(ProtocolRobustnessTest, ClientsOfAnotherUserAreRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    // Open the directory and socket to everybody so that only the
    // credential check stands between the other user and the service.
    chmod(dir.Dir().c_str(), 0755);
    chmod(dir.SocketPath().c_str(), 0777);
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        RawClient foreign(dir.SocketPath());
        if (!foreign.Connected()) _exit(3);
        HelloMessage hello;
        foreign.Send(hello);
        _exit(foreign.ClosedByPeer() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(log.Has({"dropped connection (unix pid " + std::to_string(child) + " uid 65534)",
                         "peer runs as another user"}));
    ExpectGoodClientUnaffected();
}

}  // namespace
}  // namespace vareko::displayservice::testing
