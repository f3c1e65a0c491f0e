// The frame slot: its sequence lock against a writer on another thread, the
// checks the service makes before it adopts a client's memory file, and the
// service's handling of slots and descriptors from raw clients.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <thread>
#include <vector>

#include "tests/service/flood_harness.h"
#include "tests/service/service_harness.h"
#include "tools/display-service/protocol/descriptor_passing.h"
#include "tools/display-service/protocol/frame_slot.h"
#include "tools/display-service/protocol/frame_slot_memory.h"
#include "tools/display-service/library/link_client.h"
#include "tools/display-service/service/slot_pacing.h"

namespace vareko::displayservice::testing {
namespace {

DeviceBitmap Filled(std::uint8_t value) {
    DeviceBitmap bitmap{};
    bitmap.format = kDeviceBitmapFormat;
    std::memset(bitmap.pixels, value, sizeof bitmap.pixels);
    return bitmap;
}

struct alignas(4) SlotBytes {
    std::uint8_t bytes[kFrameSlotBytes] = {};
};

TEST(FrameSlotTest, ReadsEachWholeFrameOnceAndRefusesWhatIsNotOne) {
    SlotBytes slot;
    SlotFrame frame;
    EXPECT_EQ(ReadFrameSlot(slot.bytes, 0, frame), SlotRead::kUnchanged);  // nothing written yet

    WriteFrameSlot(slot.bytes, 77, Filled(200));
    ASSERT_EQ(ReadFrameSlot(slot.bytes, 0, frame), SlotRead::kFrame);
    EXPECT_EQ(frame.priority, 77u);
    EXPECT_EQ(frame.pixels[0], 200);
    EXPECT_EQ(frame.pixels[kDevicePixelBytes - 1], 200);
    EXPECT_EQ(ReadFrameSlot(slot.bytes, frame.sequence, frame), SlotRead::kUnchanged);

    const std::uint32_t first = frame.sequence;
    WriteFrameSlot(slot.bytes, 5, Filled(9));
    ASSERT_EQ(ReadFrameSlot(slot.bytes, first, frame), SlotRead::kFrame);
    EXPECT_NE(frame.sequence, first);
    EXPECT_EQ(frame.pixels[100], 9);

    std::uint32_t odd = frame.sequence + 1;  // a writer stopped inside a frame
    std::memcpy(slot.bytes, &odd, sizeof odd);
    EXPECT_EQ(ReadFrameSlot(slot.bytes, first, frame), SlotRead::kTorn);

    DeviceBitmap wrongFormat = Filled(1);
    wrongFormat.format = 2;
    WriteFrameSlot(slot.bytes, 1, wrongFormat);
    EXPECT_EQ(ReadFrameSlot(slot.bytes, first, frame), SlotRead::kBadFormat);
}

// The writer stores only the lines that differ from what the slot holds, so
// a frame one pixel away from the last one, at either end or in the middle,
// and a frame over pixels the other side scribbled on, both read back whole.
TEST(FrameSlotTest, AFrameReadsBackWholeWhateverTheSlotHeldBefore) {
    for (const std::size_t changed : {std::size_t{0}, kDevicePixelBytes / 2, kDevicePixelBytes - 1}) {
        SCOPED_TRACE(changed);
        SlotBytes slot;
        WriteFrameSlot(slot.bytes, 1, Filled(7));
        DeviceBitmap next = Filled(7);
        next.pixels[changed] = 8;
        WriteFrameSlot(slot.bytes, 2, next);
        SlotFrame frame;
        ASSERT_EQ(ReadFrameSlot(slot.bytes, 0, frame), SlotRead::kFrame);
        EXPECT_EQ(std::memcmp(frame.pixels.data(), next.pixels, kDevicePixelBytes), 0);
        EXPECT_EQ(frame.priority, 2u);
    }
    SlotBytes scribbled;
    WriteFrameSlot(scribbled.bytes, 1, Filled(7));
    std::memset(scribbled.bytes + 100, 0xEE, 3000);
    WriteFrameSlot(scribbled.bytes, 1, Filled(7));
    SlotFrame frame;
    ASSERT_EQ(ReadFrameSlot(scribbled.bytes, 0, frame), SlotRead::kFrame);
    EXPECT_EQ(std::memcmp(frame.pixels.data(), Filled(7).pixels, kDevicePixelBytes), 0);
}

TEST(FrameSlotTest, TheSequenceNeverWrapsToNoFrame) {
    SlotBytes slot;
    const std::uint32_t last = UINT32_MAX - 1;  // the largest even sequence
    std::memcpy(slot.bytes, &last, sizeof last);
    WriteFrameSlot(slot.bytes, 1, Filled(3));
    SlotFrame frame;
    ASSERT_EQ(ReadFrameSlot(slot.bytes, last, frame), SlotRead::kFrame);
    EXPECT_NE(frame.sequence, 0u);
    EXPECT_EQ(frame.sequence % 2, 0u);
}

// Every frame the writer writes is uniform and names its pixel value in its
// priority, so a copy that mixes two frames shows as such.
TEST(FrameSlotTest, AReaderBesideABusyWriterOnlyEverKeepsWholeFrames) {
    SlotBytes slot;
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (std::uint32_t i = 0; !stop.load(std::memory_order_relaxed); ++i) {
            const auto value = static_cast<std::uint8_t>(i);
            WriteFrameSlot(slot.bytes, value, Filled(value));
        }
    });
    SlotFrame frame;
    std::uint32_t last = 0;
    int whole = 0;
    int mixed = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < deadline) {
        if (ReadFrameSlot(slot.bytes, last, frame) != SlotRead::kFrame) continue;
        last = frame.sequence;
        ++whole;
        const auto value = static_cast<std::uint8_t>(frame.priority);
        for (const std::uint8_t p : frame.pixels) {
            if (p != value) {
                ++mixed;
                break;
            }
        }
    }
    stop = true;
    writer.join();
    EXPECT_GT(whole, 0);
    EXPECT_EQ(mixed, 0);
}

// A memory file with the given size and seals, as a client could make one.
int MemoryFile(off_t size, int seals) {
    const int fd = memfd_create("test-slot", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0) return -1;
    if (ftruncate(fd, size) != 0 || (seals != 0 && fcntl(fd, F_ADD_SEALS, seals) != 0)) {
        close(fd);
        return -1;
    }
    return fd;
}

int Wake() { return eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC); }

TEST(FrameSlotMemoryTest, TheServiceRefusesAnythingButASealedMemoryFileOfTheSlotsSize) {
    constexpr int kSealed = F_SEAL_SHRINK | F_SEAL_GROW;
    const auto slotSize = static_cast<off_t>(kFrameSlotBytes);
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    close(pipeFds[1]);
    FILE* plainFile = std::tmpfile();
    ASSERT_NE(plainFile, nullptr);
    ASSERT_EQ(ftruncate(fileno(plainFile), slotSize), 0);
    const struct {
        const char* what;
        int memoryFd;
        const char* reason;  // part of the refusal
    } cases[] = {
        {"one byte short", MemoryFile(slotSize - 1, kSealed), "size"},
        {"a page larger", MemoryFile(slotSize + 4096, kSealed), "size"},
        {"not sealed", MemoryFile(slotSize, 0), "sealed"},
        {"may still shrink", MemoryFile(slotSize, F_SEAL_GROW), "sealed"},
        {"may still grow", MemoryFile(slotSize, F_SEAL_SHRINK), "sealed"},
        {"a plain file", dup(fileno(plainFile)), "sealable"},
        {"a pipe", pipeFds[0], "not a memory file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_GE(c.memoryFd, 0);
        std::string why;
        EXPECT_EQ(FrameSlotMemory::Adopt(c.memoryFd, Wake(), why), nullptr);
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    }
    std::fclose(plainFile);

    std::string why;
    auto sealedOnly = FrameSlotMemory::Adopt(MemoryFile(slotSize, kSealed), Wake(), why);
    EXPECT_NE(sealedOnly, nullptr) << why;
}

TEST(FrameSlotMemoryTest, WhatTheLibraryWritesTheServiceReads) {
    int memoryFd = -1;
    auto written = FrameSlotMemory::Create(memoryFd);
    ASSERT_NE(written, nullptr);
    std::string why;
    auto read = FrameSlotMemory::Adopt(memoryFd, dup(written->WakeFd()), why);
    ASSERT_NE(read, nullptr) << why;
    // The library's memory file cannot be resized by anyone any more.
    EXPECT_NE(ftruncate(memoryFd, 0), 0);

    WriteFrameSlot(written->Slot(), 128, Filled(140));
    EXPECT_TRUE(written->Wake());
    SlotFrame frame;
    ASSERT_EQ(ReadFrameSlot(read->Slot(), 0, frame), SlotRead::kFrame);
    EXPECT_EQ(frame.priority, 128u);
    EXPECT_EQ(frame.pixels[42], 140);
}

std::size_t OpenDescriptors() {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        static_cast<void>(entry);
        ++count;
    }
    return count;
}

class FrameSlotServiceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(service.Start(), ""); }

    // A greeted application client with the device open.
    std::unique_ptr<RawClient> OpenedClient() {
        auto client = std::make_unique<RawClient>(dir.SocketPath());
        OpenReplyMessage reply;
        if (!client->Hello(ClientRole::kApplication) || !client->Send(OpenMessage{0, 1}) ||
            !client->ReceiveType(reply) || reply.result != 0) {
            return nullptr;
        }
        return client;
    }
    bool SendSlot(RawClient& client, int memoryFd, int wakeFd) {
        const auto message = EncodeClientMessage(FrameSlotMessage{});
        const int fds[] = {memoryFd, wakeFd};
        return SendPacketWithDescriptors(client.Fd(), message, fds) == static_cast<ssize_t>(message.size());
    }
    // A library-side slot, handed to the service on `client`.
    std::unique_ptr<FrameSlotMemory> HandOverSlot(RawClient& client) {
        int memoryFd = -1;
        auto slot = FrameSlotMemory::Create(memoryFd);
        if (!slot) return nullptr;
        const bool sent = SendSlot(client, memoryFd, slot->WakeFd());
        close(memoryFd);
        return sent ? std::move(slot) : nullptr;
    }
    // Waits until the panel's first pixel is `value`.
    bool Shows(std::uint8_t value) {
        return Eventually([&] {
            auto snapshot = Snapshot();
            return snapshot && snapshot->pixels[0] == value;
        });
    }
    std::optional<SnapshotMessage> Snapshot() {
        RawClient control(dir.SocketPath());
        SnapshotMessage snapshot;
        if (!control.Hello(ClientRole::kControl) || !control.Send(SnapshotRequestMessage{}) ||
            !control.ReceiveType(snapshot)) {
            return std::nullopt;
        }
        return snapshot;
    }

    TempSocketDir dir;
    ServiceRunner service{dir.SocketPath()};
};

TEST_F(FrameSlotServiceTest, FramesWrittenToTheSlotAreShownAfterEachWakeUp) {
    auto client = OpenedClient();
    ASSERT_NE(client, nullptr);
    auto slot = HandOverSlot(*client);
    ASSERT_NE(slot, nullptr);
    for (const std::uint8_t value : {200, 7, 255}) {
        const std::uint32_t looks = ReadLookCount(slot->Slot());
        WriteFrameSlot(slot->Slot(), 100, Filled(value));
        ASSERT_TRUE(slot->Wake());
        EXPECT_TRUE(Eventually([&] {
            auto snapshot = Snapshot();
            return snapshot && snapshot->pixels[0] == value && snapshot->shownClientId != 0;
        })) << int{value};
        // The look that found the frame is counted where the library reads it.
        EXPECT_NE(ReadLookCount(slot->Slot()), looks) << int{value};
    }
    // A wake-up without a new frame changes nothing, and the socket still works.
    ASSERT_TRUE(slot->Wake());
    ASSERT_TRUE(client->Send(CloseMessage{}));
    EXPECT_TRUE(Eventually([&] {
        auto snapshot = Snapshot();
        return snapshot && snapshot->shownClientId == 0;
    }));
}

TEST_F(FrameSlotServiceTest, BadSlotsAndStrayDescriptorsCloseTheirSenderAndLeakNothing) {
    const std::size_t before = OpenDescriptors();
    const auto slotSize = static_cast<off_t>(kFrameSlotBytes);
    const std::vector<std::uint8_t> slotMessage = EncodeClientMessage(FrameSlotMessage{});
    const std::vector<std::uint8_t> openMessage = EncodeClientMessage(OpenMessage{0, 2});
    const struct {
        const char* what;
        std::vector<std::uint8_t> message;
        int fdCount;       // memory file, then eventfd
        bool sealed;
        bool badFormat;    // a whole frame whose format word is not 1
    } cases[] = {
        {"slot without descriptors", slotMessage, 0, true, false},
        {"slot with one descriptor", slotMessage, 1, true, false},
        {"unsealed memory file", slotMessage, 2, false, false},
        {"descriptors on another message", openMessage, 2, true, false},
        {"a frame of the wrong format", slotMessage, 2, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto client = OpenedClient();
        ASSERT_NE(client, nullptr);
        const int memoryFd = MemoryFile(slotSize, c.sealed ? F_SEAL_SHRINK | F_SEAL_GROW : 0);
        const int wakeFd = Wake();
        if (c.fdCount == 0) {
            ASSERT_TRUE(client->SendBytes(c.message));
        } else {
            const int fds[] = {memoryFd, wakeFd};
            ASSERT_GT(SendPacketWithDescriptors(client->Fd(), c.message, std::span(fds, c.fdCount)), 0);
        }
        if (c.badFormat) {
            std::uint8_t* slot = static_cast<std::uint8_t*>(
                mmap(nullptr, kFrameSlotBytes, PROT_READ | PROT_WRITE, MAP_SHARED, memoryFd, 0));
            ASSERT_NE(slot, MAP_FAILED);
            DeviceBitmap frame = Filled(1);
            frame.format = 0;
            WriteFrameSlot(slot, 1, frame);
            const std::uint64_t one = 1;
            ASSERT_EQ(write(wakeFd, &one, sizeof one), 8);
            munmap(slot, kFrameSlotBytes);
        }
        EXPECT_TRUE(client->ClosedByPeer());
        close(memoryFd);
        close(wakeFd);
    }
    // A second slot on one connection is refused too.
    auto client = OpenedClient();
    ASSERT_NE(client, nullptr);
    for (int i = 0; i < 2; ++i) {
        int memoryFd = -1;
        auto slot = FrameSlotMemory::Create(memoryFd);
        ASSERT_NE(slot, nullptr);
        ASSERT_TRUE(SendSlot(*client, memoryFd, slot->WakeFd()));
        close(memoryFd);
    }
    EXPECT_TRUE(client->ClosedByPeer());
    client.reset();
    // Everything the service took in has been closed again.
    EXPECT_TRUE(Eventually([&] { return OpenDescriptors() == before; })) << OpenDescriptors() << " vs " << before;
}

// Rounds of a short stream, a pause long enough for the service to go back
// to waiting, and one last frame, woken only when the service asked: the
// last frame must show well before the loop's own housekeeping would have
// found it. A watcher sees the pictures without waking the service itself.
TEST_F(FrameSlotServiceTest, TheLastFrameShowsWhetherTheServiceLooksOrWaits) {
    RawClient watcher(dir.SocketPath());
    ASSERT_TRUE(watcher.Hello(ClientRole::kControl));
    ASSERT_TRUE(watcher.Send(WatchMessage{}));
    auto client = OpenedClient();
    ASSERT_NE(client, nullptr);
    auto slot = HandOverSlot(*client);
    ASSERT_NE(slot, nullptr);
    auto send = [&](std::uint8_t value) {
        WriteFrameSlot(slot->Slot(), 100, Filled(value));
        if (TakeWakeRequest(slot->Slot())) {
            ASSERT_TRUE(slot->Wake());
        }
    };
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        for (int i = 0; i < 10; ++i) {
            send(static_cast<std::uint8_t>(i));
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(kSlotLookFor + std::chrono::milliseconds(round % 2 == 0 ? 2 : 20));
        const auto last = static_cast<std::uint8_t>(100 + round);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
        send(last);
        bool shown = false;
        SnapshotMessage picture;
        while (!shown && std::chrono::steady_clock::now() < deadline) {
            shown = watcher.ReceiveType(picture, 10) && picture.pixels[0] == last;
        }
        EXPECT_TRUE(shown);
    }
}

// A client owns the words the service writes for it and may scribble on
// them, and on its sequence, as fast as it likes: the service never acts on
// what it reads back from its own words, looks at a slot at most once per
// look, and keeps answering.
TEST_F(FrameSlotServiceTest, GarbageInTheSharedPageNeitherStallsNorSpinsTheService) {
    auto client = OpenedClient();
    ASSERT_NE(client, nullptr);
    auto slot = HandOverSlot(*client);
    ASSERT_NE(slot, nullptr);
    WriteFrameSlot(slot->Slot(), 100, Filled(1));
    ASSERT_TRUE(slot->Wake());
    ASSERT_TRUE(Shows(1));
    std::atomic<bool> stop{false};
    std::thread scribbler([&] {
        std::uint8_t* page = slot->Slot();
        for (std::uint32_t i = 0; !stop.load(); ++i) {
            const std::uint32_t words[] = {i * 0x9E3779B9u, 0xFFFFFFFFu, 0, 1, 0x80000001u};
            const std::uint32_t word = words[i % std::size(words)];
            std::memcpy(page + kFrameSlotMessagesOffset, &word, sizeof word);
            std::memcpy(page + kFrameSlotWakeOffset, &word, sizeof word);
            const std::uint32_t sequence = 2 * (i + 1);  // a new whole frame every time
            std::memcpy(page, &sequence, sizeof sequence);
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    });
    const auto cpuBefore = service.LoopCpuTime();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto answered = Snapshot();
    const auto cpu = service.LoopCpuTime() - cpuBefore;
    const auto wall = std::chrono::steady_clock::now() - wallBefore;
    stop = true;
    scribbler.join();
    EXPECT_TRUE(answered.has_value());
    // Spinning would take the whole of a processor.
    EXPECT_LT(cpu.count(), wall.count() / 2) << "service loop used " << cpu.count() / 1000 << " us in "
                                              << wall.count() / 1000 << " us";
    // And frames written properly after it still show.
    WriteFrameSlot(slot->Slot(), 100, Filled(222));
    ASSERT_TRUE(slot->Wake());
    EXPECT_TRUE(Shows(222));
}

// A service that is killed closes no connection in order, so the message
// count never moves; its look count stops too, and the library, updating
// faster than the service would look on its own or slower, drains and
// reports the service gone.
class FrameSlotLibraryTest : public ::testing::TestWithParam<int> {};

TEST_P(FrameSlotLibraryTest, AServiceKilledMidStreamIsNoticedByLinkUpdate) {
    const auto pace = std::chrono::milliseconds(GetParam());
    TempSocketDir dir;
    ChildProcess service(VAREKO_DISPLAY_TOOL_PATH, {"serve", "--no-http"}, {1024, 1024}, dir.Dir() + "/service.log");
    LinkClient app;
    app.Init();
    link::ConnectionRecord connection{};
    ASSERT_TRUE(Eventually([&] { return app.Connect(&connection) == link::kLinkOk; }));
    link::OpenRecord open{};
    open.connection = connection.connection;
    ASSERT_EQ(app.Open(&open), link::kLinkOk);
    DeviceBitmap frame{};
    frame.format = kDeviceBitmapFormat;
    for (int i = 0; i < 20; ++i) {
        frame.pixels[0] = static_cast<std::uint8_t>(i);
        ASSERT_EQ(app.Update(open.device, &frame, 10), link::kLinkOk);
        std::this_thread::sleep_for(pace);
    }
    // Its descriptors close as it dies; ChildProcess reaps it at the end.
    ASSERT_EQ(kill(service.Pid(), SIGKILL), 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    link::LinkResult result = link::kLinkOk;
    while (result == link::kLinkOk && std::chrono::steady_clock::now() < deadline) {
        ++frame.pixels[0];
        result = app.Update(open.device, &frame, 10);
        std::this_thread::sleep_for(pace);
    }
    EXPECT_EQ(result, link::kLinkServerUnavailable);
}

// 1 ms: a stream the service looks at on its own; 30 ms: each frame wakes it.
INSTANTIATE_TEST_SUITE_P(Paces, FrameSlotLibraryTest, ::testing::Values(1, 30));

}  // namespace
}  // namespace vareko::displayservice::testing
