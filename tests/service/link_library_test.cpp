// The device library against a live in-process service: the entries the
// program relies on, unplug and replug, the service going away and coming
// back, a service that answers only after the library's reply wait,
// descriptor hygiene across restarts, and arbitration between several
// connections of one process.
#include <gtest/gtest.h>

#include <dirent.h>

#include <atomic>
#include <cstring>

#include "tests/service/service_harness.h"
#include "tools/display-service/library/link_client.h"
#include "tools/display-service/library/link_transport.h"

namespace vareko::displayservice::testing {
namespace {

using link::kLinkDeviceNotConnected;
using link::kLinkNoMoreItems;
using link::kLinkOk;
using link::kLinkServerUnavailable;

int OpenDescriptorCount() {
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.') ++count;
    }
    closedir(dir);
    return count - 1;  // the directory stream itself
}

DeviceBitmap Frame(std::uint8_t fill) {
    DeviceBitmap b;
    b.format = kDeviceBitmapFormat;
    std::memset(b.pixels, fill, sizeof b.pixels);
    return b;
}

// One program-like user of the library: a connection and its device.
struct App {
    const link::InterfaceTable* t;
    link::ConnectionRecord record{L"test app", 0, 0, nullptr, nullptr, link::kNoHandle};
    link::LinkHandle device = link::kNoHandle;

    link::LinkResult Connect() { return t->connect(&record); }
    link::LinkResult Enumerate() {
        std::uint8_t buffer[link::kEnumerateBufferBytes] = {};
        return t->enumerate(record.connection, 0, buffer);
    }
    link::LinkResult Open() {
        link::OpenRecord open{record.connection, 0, 0, 0, link::kNoHandle};
        const link::LinkResult r = t->open(&open);
        if (r == kLinkOk) device = open.device;
        return r;
    }
    bool ConnectAndOpen() {
        return Connect() == kLinkOk && Enumerate() == kLinkOk && Open() == kLinkOk;
    }
    link::LinkResult Send(std::uint8_t fill, std::uint32_t priority) {
        const DeviceBitmap b = Frame(fill);
        return t->update(device, &b, priority);
    }
    std::uint32_t Buttons() {
        std::uint32_t word = 0xDEAD;
        return t->readButtons(device, &word) == kLinkOk ? word : 0xDEAD;
    }
    void Disconnect() {
        if (device != link::kNoHandle) t->close(device);
        if (record.connection != link::kNoHandle) t->disconnect(record.connection);
        device = link::kNoHandle;
        record.connection = link::kNoHandle;
    }
};

class LinkLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(lib.Table(), nullptr);
        ASSERT_EQ(lib.Table()->init(), kLinkOk);
    }
    std::string StartService() { return service.Start(); }
    // Shown picture and button word as a control client sees them.
    SnapshotMessage Snapshot() {
        RawClient control(dir.SocketPath());
        SnapshotMessage s;
        s.shownClientId = 0xFFFFFFFF;
        if (control.Hello(ClientRole::kControl)) {
            control.Send(SnapshotRequestMessage{});
            control.ReceiveType(s);
        }
        return s;
    }
    void Control(const ClientMessage& m) {
        RawClient control(dir.SocketPath());
        ASSERT_TRUE(control.Hello(ClientRole::kControl));
        ASSERT_TRUE(control.Send(m));
        ControlReplyMessage reply;
        ASSERT_TRUE(control.ReceiveType(reply));
    }
    bool Shows(std::uint8_t fill) {
        return Eventually([&] {
            const SnapshotMessage s = Snapshot();
            return s.shownClientId != 0 && s.pixels[0] == fill && s.pixels[kDevicePixelBytes - 1] == fill;
        });
    }

    TempSocketDir dir;
    ServiceRunner service{dir.SocketPath()};
    LoadedLibrary lib;
};

TEST_F(LinkLibraryTest, ExportAnswersOnlyVersionTwoAndUnusedEntriesFail) {
    EXPECT_EQ(lib.GetInterface()(1), nullptr);
    EXPECT_EQ(lib.GetInterface()(3), nullptr);
    const link::InterfaceTable* t = lib.Table();
    EXPECT_NE(t->reserved3(), kLinkOk);
    for (link::LinkEntryNoArgs entry : t->reserved10to18) EXPECT_NE(entry(), kLinkOk);
}

TEST_F(LinkLibraryTest, InitSucceedsWithoutServiceAndConnectReportsItDown) {
    App app{lib.Table()};
    EXPECT_EQ(lib.Table()->init(), kLinkOk);
    EXPECT_EQ(app.Connect(), kLinkServerUnavailable);
    EXPECT_EQ(app.record.connection, link::kNoHandle);
}

TEST_F(LinkLibraryTest, FullCycleShowsFrameAndReadsButtons) {
    ASSERT_EQ(StartService(), "");
    App app{lib.Table()};
    ASSERT_EQ(app.Connect(), kLinkOk);
    EXPECT_NE(app.record.connection, link::kNoHandle);
    std::uint32_t description[4] = {};
    ASSERT_EQ(lib.Table()->enumerate(app.record.connection, 0, description), kLinkOk);
    EXPECT_EQ(description[0], 160u);
    EXPECT_EQ(description[1], 43u);
    EXPECT_EQ(lib.Table()->enumerate(app.record.connection, 1, description), kLinkNoMoreItems);
    ASSERT_EQ(app.Open(), kLinkOk);
    EXPECT_EQ(lib.Table()->setDeviceFlag(app.device, 1), kLinkOk);

    EXPECT_EQ(app.Send(200, 128), kLinkOk);
    EXPECT_TRUE(Shows(200));
    Control(ButtonMessage{2, true});
    EXPECT_TRUE(Eventually([&] { return app.Buttons() == 4u; }));
    Control(ButtonMessage{2, false});
    EXPECT_TRUE(Eventually([&] { return app.Buttons() == 0u; }));
}

TEST_F(LinkLibraryTest, QuickPressAndReleaseArriveAsTwoEdges) {
    ASSERT_EQ(StartService(), "");
    App app{lib.Table()};
    ASSERT_TRUE(app.ConnectAndOpen());
    ASSERT_EQ(app.Send(255, 128), kLinkOk);
    ASSERT_TRUE(Shows(255));
    Control(ButtonMessage{0, true});
    Control(ButtonMessage{0, false});
    EXPECT_TRUE(Eventually([&] { return app.Buttons() == 1u; }));
    EXPECT_EQ(app.Buttons(), 0u);
}

TEST_F(LinkLibraryTest, InvalidArgumentsFailWithoutCrashing) {
    ASSERT_EQ(StartService(), "");
    App app{lib.Table()};
    ASSERT_TRUE(app.ConnectAndOpen());
    DeviceBitmap wrongFormat = Frame(0);
    wrongFormat.format = 2;
    EXPECT_NE(lib.Table()->update(app.device, &wrongFormat, 128), kLinkOk);
    EXPECT_NE(lib.Table()->update(app.device, nullptr, 128), kLinkOk);
    EXPECT_NE(lib.Table()->readButtons(app.device, nullptr), kLinkOk);
    EXPECT_NE(lib.Table()->update(app.device + 1000, &wrongFormat, 128), kLinkOk);
    EXPECT_NE(lib.Table()->connect(nullptr), kLinkOk);
    EXPECT_NE(lib.Table()->open(nullptr), kLinkOk);
    EXPECT_NE(lib.Table()->disconnect(-1), kLinkOk);
    // The connection still works afterwards.
    EXPECT_EQ(app.Send(10, 128), kLinkOk);
}

TEST_F(LinkLibraryTest, UnplugGivesDeviceNotConnectedThenNoMoreItemsUntilReplug) {
    ASSERT_EQ(StartService(), "");
    App app{lib.Table()};
    ASSERT_TRUE(app.ConnectAndOpen());
    ASSERT_EQ(app.Send(1, 128), kLinkOk);

    Control(PlugMessage{false});
    ASSERT_TRUE(Eventually([&] { return app.Send(1, 128) == kLinkDeviceNotConnected; }));
    std::uint32_t word = 0;
    EXPECT_EQ(lib.Table()->readButtons(app.device, &word), kLinkDeviceNotConnected);
    // The program now closes the device and keeps the connection.
    EXPECT_EQ(lib.Table()->close(app.device), kLinkOk);
    EXPECT_EQ(app.Enumerate(), kLinkNoMoreItems);
    EXPECT_EQ(app.Enumerate(), kLinkNoMoreItems);
    EXPECT_NE(app.Open(), kLinkOk);

    Control(PlugMessage{true});
    ASSERT_TRUE(Eventually([&] { return app.Enumerate() == kLinkOk; }));
    ASSERT_EQ(app.Open(), kLinkOk);
    EXPECT_EQ(app.Send(77, 128), kLinkOk);
    EXPECT_TRUE(Shows(77));
}

TEST_F(LinkLibraryTest, ServiceGoneGivesConnectionLossAndReconnectWorks) {
    ASSERT_EQ(StartService(), "");
    App app{lib.Table()};
    ASSERT_TRUE(app.ConnectAndOpen());
    ASSERT_EQ(app.Send(5, 128), kLinkOk);
    service.Stop();
    EXPECT_TRUE(Eventually([&] { return app.Send(5, 128) == kLinkServerUnavailable; }));
    std::uint32_t word = 0;
    EXPECT_EQ(lib.Table()->readButtons(app.device, &word), kLinkServerUnavailable);
    app.Disconnect();
    EXPECT_EQ(app.Connect(), kLinkServerUnavailable);

    ASSERT_EQ(StartService(), "");
    ASSERT_TRUE(app.ConnectAndOpen());
    EXPECT_EQ(app.Send(9, 128), kLinkOk);
    EXPECT_TRUE(Shows(9));
}

// The service listens but its loop runs only after the program's one
// update (Connect, Enumerate, Open, Update), as on a machine too busy for
// the reply wait: that frame shows once the service answers, with no further
// call into the library.
TEST(LateService, TheFrameSentBeforeItAnswersShowsWithoutAnotherCall) {
    const struct {
        const char* name;
        TransportFactory connect;
    } kTransports[] = {{"unix", ConnectUnixTransport}, {"tcp", ConnectTcpTransport}};
    for (const auto& transport : kTransports) {
        SCOPED_TRACE(transport.name);
        TempSocketDir dir;
        ServiceRunner service{dir.SocketPath()};
        ASSERT_EQ(service.StartWithoutLoop(), "");
        LinkClient client{transport.connect};
        ASSERT_EQ(client.Init(), kLinkOk);
        link::ConnectionRecord record{L"late", 0, 0, nullptr, nullptr, link::kNoHandle};
        ASSERT_EQ(client.Connect(&record), kLinkOk);
        std::uint8_t description[link::kEnumerateBufferBytes] = {};
        ASSERT_EQ(client.Enumerate(record.connection, 0, description), kLinkOk);
        link::OpenRecord open{record.connection, 0, 0, 0, link::kNoHandle};
        ASSERT_EQ(client.Open(&open), kLinkOk);
        const DeviceBitmap frame = Frame(42);
        ASSERT_EQ(client.Update(open.device, &frame, 128), kLinkOk);
        service.RunLoop();
        EXPECT_TRUE(Eventually([&] {
            RawClient control(dir.SocketPath());
            SnapshotMessage s;
            return control.Hello(ClientRole::kControl) && control.Send(SnapshotRequestMessage{}) &&
                   control.ReceiveType(s) && s.shownClientId != 0 && s.pixels[0] == 42;
        }));
    }
}

// A Welcome or OpenReply that comes after the library stopped waiting still
// decides: the next call reports the refusal, so the program closes and
// tries again instead of sending into a device it never got.
TEST(LateService, ARefusalThatComesLateShowsAtTheNextCall) {
    const struct {
        const char* name;
        std::uint32_t welcomeResult;
        std::uint32_t openResult;
        link::LinkResult nextCall;
    } kCases[] = {
        {"accepted", 0, kLinkOk, kLinkOk},
        {"open refused: unplugged", 0, kLinkDeviceNotConnected, kLinkDeviceNotConnected},
        {"hello refused", 1, kLinkOk, kLinkServerUnavailable},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        TempSocketDir dir;
        std::string error;
        const int listenFd = ListenOnSocket(dir.SocketPath(), error);
        ASSERT_GE(listenFd, 0) << error;
        LinkClient client{ConnectUnixTransport};
        ASSERT_EQ(client.Init(), kLinkOk);
        link::ConnectionRecord record{L"late", 0, 0, nullptr, nullptr, link::kNoHandle};
        ASSERT_EQ(client.Connect(&record), kLinkOk);
        link::OpenRecord open{record.connection, 0, 0, 0, link::kNoHandle};
        ASSERT_EQ(client.Open(&open), kLinkOk);

        // Only now does the stand-in service read the Hello and the Open.
        const int peer = accept(listenFd, nullptr, nullptr);
        ASSERT_GE(peer, 0);
        std::uint32_t openRequest = 0;
        for (std::uint8_t buffer[kMaxClientMessageBytes]; openRequest == 0;) {
            const ssize_t n = recv(peer, buffer, sizeof buffer, 0);
            ASSERT_GT(n, 0);
            ClientMessage message;
            ASSERT_EQ(DecodeClientMessage({buffer, static_cast<std::size_t>(n)}, message), DecodeStatus::kOk);
            if (const auto* o = std::get_if<OpenMessage>(&message)) openRequest = o->requestId;
        }
        WelcomeMessage welcome;
        welcome.result = c.welcomeResult;
        for (const ServiceMessage& m : {ServiceMessage{welcome}, ServiceMessage{OpenReplyMessage{openRequest, c.openResult}}}) {
            const auto bytes = EncodeServiceMessage(m);
            ASSERT_EQ(send(peer, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
        }
        const DeviceBitmap frame = Frame(1);
        // The library drains on its own schedule once it has a frame slot.
        if (c.nextCall != kLinkOk) {
            EXPECT_TRUE(Eventually([&] { return client.Update(open.device, &frame, 128) == c.nextCall; }));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            EXPECT_EQ(client.Update(open.device, &frame, 128), kLinkOk);
        }
        close(peer);
        close(listenFd);
    }
}

TEST_F(LinkLibraryTest, RestartLoopLeaksNoDescriptors) {
    App app{lib.Table()};
    ASSERT_EQ(StartService(), "");
    ASSERT_TRUE(app.ConnectAndOpen());
    service.Stop();
    ASSERT_TRUE(Eventually([&] { return app.Send(0, 128) != kLinkOk; }));
    app.Disconnect();
    const int baseline = OpenDescriptorCount();
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(StartService(), "");
        ASSERT_TRUE(app.ConnectAndOpen());
        ASSERT_EQ(app.Send(static_cast<std::uint8_t>(round), 128), kLinkOk);
        service.Stop();
        // The program notices at its next update and closes both handles.
        ASSERT_TRUE(Eventually([&] { return app.Send(0, 128) == kLinkServerUnavailable; }));
        app.Disconnect();
        ASSERT_EQ(app.Connect(), kLinkServerUnavailable);
    }
    EXPECT_EQ(OpenDescriptorCount(), baseline);
}

TEST_F(LinkLibraryTest, AServiceThatStopsReadingNeverHoldsUpLinkUpdate) {
    std::atomic<bool> stuck{false};
    std::atomic<bool> waiting{false};
    service.Options().frameObserver = [&](const std::uint8_t*) {
        while (stuck.load()) {
            waiting = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    ASSERT_EQ(StartService(), "");
    App app{lib.Table()};
    ASSERT_TRUE(app.ConnectAndOpen());
    ASSERT_EQ(app.Send(1, 128), kLinkOk);
    ASSERT_TRUE(Shows(1));

    // The service's loop hangs inside the next frame; the program goes on.
    stuck = true;
    ASSERT_EQ(app.Send(2, 128), kLinkOk);
    ASSERT_TRUE(Eventually([&] { return waiting.load(); }));
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(app.Send(static_cast<std::uint8_t>(i), 128), kLinkOk) << i;
    stuck = false;
    ASSERT_EQ(app.Send(99, 128), kLinkOk);
    EXPECT_TRUE(Shows(99));
}

TEST_F(LinkLibraryTest, HighestPriorityIsShownAndTiesGoToTheLatestSender) {
    ASSERT_EQ(StartService(), "");
    App low{lib.Table()}, high{lib.Table()}, hidden{lib.Table()};
    ASSERT_TRUE(low.ConnectAndOpen());
    ASSERT_TRUE(high.ConnectAndOpen());
    ASSERT_TRUE(hidden.ConnectAndOpen());

    ASSERT_EQ(low.Send(10, 50), kLinkOk);
    EXPECT_TRUE(Shows(10));
    ASSERT_EQ(high.Send(20, 200), kLinkOk);
    EXPECT_TRUE(Shows(20));
    ASSERT_EQ(low.Send(11, 50), kLinkOk);
    ASSERT_EQ(hidden.Send(30, 0), kLinkOk);  // priority 0: never shown
    ASSERT_EQ(high.Send(21, 200), kLinkOk);
    EXPECT_TRUE(Shows(21));
    ASSERT_EQ(low.Send(12, 200), kLinkOk);  // same priority, sent last
    EXPECT_TRUE(Shows(12));
    ASSERT_EQ(low.Send(13, 0), kLinkOk);  // steps back
    EXPECT_TRUE(Shows(21));
    high.Disconnect();  // the shown client goes away: nobody else qualifies
    EXPECT_TRUE(Eventually([&] { return Snapshot().shownClientId == 0; }));
}

TEST_F(LinkLibraryTest, ButtonsGoOnlyToTheShownClientAndFollowIt) {
    ASSERT_EQ(StartService(), "");
    App first{lib.Table()}, second{lib.Table()};
    ASSERT_TRUE(first.ConnectAndOpen());
    ASSERT_TRUE(second.ConnectAndOpen());
    ASSERT_EQ(first.Send(1, 100), kLinkOk);
    ASSERT_EQ(second.Send(2, 50), kLinkOk);
    ASSERT_TRUE(Shows(1));

    Control(ButtonMessage{1, true});
    EXPECT_TRUE(Eventually([&] { return first.Buttons() == 2u; }));
    EXPECT_EQ(second.Buttons(), 0u);

    // The second client takes over while the button is held: the first sees
    // it released, the second sees it down.
    ASSERT_EQ(second.Send(2, 150), kLinkOk);
    ASSERT_TRUE(Shows(2));
    EXPECT_TRUE(Eventually([&] { return first.Buttons() == 0u; }));
    EXPECT_TRUE(Eventually([&] { return second.Buttons() == 2u; }));
    Control(ButtonMessage{3, true});
    EXPECT_TRUE(Eventually([&] { return second.Buttons() == 10u; }));
    EXPECT_EQ(first.Buttons(), 0u);
}

}  // namespace
}  // namespace vareko::displayservice::testing
