// Waking the service for frame slots: a writer and a reader that sleeps
// between frames never lose a wake-up, and the pacing that decides when the
// service looks on its own instead of being woken.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include "tools/display-service/protocol/frame_slot.h"
#include "tools/display-service/service/slot_pacing.h"

namespace vareko::displayservice::testing {
namespace {

using namespace std::chrono_literals;

struct alignas(64) SlotBytes {
    std::uint8_t bytes[kFrameSlotBytes] = {};
};

// The reader does what the service's loop does: take a frame, look on its
// own while the pacing says so, else ask to be woken, look once more and
// wait for the eventfd without any timeout. A lost wake-up leaves it waiting
// for good, so the writer, which waits for each of its last frames to be
// seen, runs out of time.
TEST(FrameSlotWakeTest, AWriterBesideAReaderThatSleepsNeverLosesAWakeUp) {
    SlotBytes slot;
    const int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    ASSERT_GE(wake, 0);
    std::atomic<std::uint32_t> seen{0};
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        SlotPacing pacing;
        SlotFrame frame;
        std::uint32_t last = 0;
        auto take = [&] {
            if (ReadFrameSlot(slot.bytes, last, frame) != SlotRead::kFrame) return false;
            last = frame.sequence;
            seen.store(frame.priority);
            pacing.FrameTaken(SlotPacing::Clock::now());
            return true;
        };
        while (!stop.load()) {
            if (!take()) pacing.NothingTaken();
            if (pacing.Looking(SlotPacing::Clock::now())) {
                AnnounceLooking(slot.bytes);
                std::this_thread::sleep_for(kSlotLookEvery);
                continue;
            }
            AnnounceWaitForWake(slot.bytes);
            FenceAfterAnnouncing();
            if (take()) continue;
            pollfd p{wake, POLLIN, 0};
            poll(&p, 1, -1);
            std::uint64_t count;
            [[maybe_unused]] const ssize_t n = read(wake, &count, sizeof count);
        }
    });
    DeviceBitmap bitmap{};
    bitmap.format = kDeviceBitmapFormat;
    std::mt19937 random(18);
    const std::uint64_t one = 1;
    std::uint32_t frames = 0;
    std::uint32_t wakeUps = 0;
    int bursts = 0;
    bool lost = false;
    const auto end = std::chrono::steady_clock::now() + 400ms;
    for (; !lost && (bursts < 300 || std::chrono::steady_clock::now() < end); ++bursts) {
        // A short burst, then the pause the reader falls asleep in; the
        // next burst starts while it is on its way to sleep or asleep.
        const int burst = 1 + static_cast<int>(random() % 3);
        for (int i = 0; i < burst; ++i) {
            WriteFrameSlot(slot.bytes, ++frames, bitmap);
            if (TakeWakeRequest(slot.bytes)) {
                ++wakeUps;
                ASSERT_EQ(write(wake, &one, sizeof one), 8);
            }
        }
        const auto deadline = std::chrono::steady_clock::now() + 2s;
        while (seen.load() != frames && !(lost = std::chrono::steady_clock::now() > deadline)) {
            std::this_thread::yield();
        }
        if (random() % 4 == 0) std::this_thread::sleep_for(std::chrono::microseconds(random() % 6000));
    }
    stop = true;
    ASSERT_EQ(write(wake, &one, sizeof one), 8);
    reader.join();
    close(wake);
    EXPECT_FALSE(lost) << "frame " << frames << " never seen; last seen " << seen.load();
    // Frames written while the reader looks on its own cost no wake-up.
    EXPECT_LT(wakeUps, frames);
}

TEST(FrameSlotWakeTest, TheWakeRequestIsTakenOnceWhateverItsValue) {
    SlotBytes slot;
    EXPECT_FALSE(TakeWakeRequest(slot.bytes));
    for (const std::uint32_t value : {1u, 2u, 0x80000000u, 0xFFFFFFFFu}) {
        std::memcpy(slot.bytes + kFrameSlotWakeOffset, &value, sizeof value);
        EXPECT_TRUE(TakeWakeRequest(slot.bytes)) << value;
        EXPECT_FALSE(TakeWakeRequest(slot.bytes)) << value;
    }
    AnnounceWaitForWake(slot.bytes);
    AnnounceLooking(slot.bytes);
    EXPECT_FALSE(TakeWakeRequest(slot.bytes));
    // The service's words never touch the frame.
    PublishMessageCount(slot.bytes, 0xFFFFFFFF);
    AnnounceWaitForWake(slot.bytes);
    SlotFrame frame;
    EXPECT_EQ(ReadFrameSlot(slot.bytes, 0, frame), SlotRead::kUnchanged);
    EXPECT_EQ(ReadMessageCount(slot.bytes), 0xFFFFFFFFu);
}

TEST(SlotPacingTest, OnlyFramesCloseTogetherMakeTheServiceLookOnItsOwn) {
    using Clock = SlotPacing::Clock;
    const struct {
        const char* what;
        std::chrono::microseconds gap;  // between frames
        int frames;
        std::chrono::microseconds after;  // from the last frame to the question
        int emptyLooks;                   // looks in vain meanwhile
        bool looking;
    } cases[] = {
        {"one frame", 0us, 1, 100us, 0, false},
        {"1,000 Hz, just after a frame", 1000us, 5, 100us, 0, true},
        {"1,000 Hz, before the look ends", 1000us, 5, kSlotLookFor - 1us, kSlotEmptyLooksToEnd, true},
        {"1,000 Hz, once the look ends", 1000us, 5, kSlotLookFor, kSlotEmptyLooksToEnd, false},
        {"1,000 Hz, the looks held back", 1000us, 5, 3 * kSlotLookFor, kSlotEmptyLooksToEnd - 1, true},
        {"at the stream gap", kSlotStreamGap, 3, 100us, 0, true},
        {"just past the stream gap", kSlotStreamGap + 1us, 3, 100us, 0, false},
        {"60 Hz", 16667us, 10, 100us, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SlotPacing pacing;
        Clock::time_point t{};
        for (int i = 0; i < c.frames; ++i) {
            t += c.gap;
            pacing.FrameTaken(t);
        }
        for (int i = 0; i < c.emptyLooks; ++i) pacing.NothingTaken();
        EXPECT_EQ(pacing.Looking(t + c.after), c.looking);
    }
    // A frame after a pause the service looked through ends a stream; one
    // the scheduler kept the service from looking at does not.
    for (const bool lookedThrough : {true, false}) {
        SCOPED_TRACE(lookedThrough ? "looked through the pause" : "held back during the pause");
        SlotPacing pacing;
        Clock::time_point t{};
        pacing.FrameTaken(t);
        pacing.FrameTaken(t += 1ms);
        if (lookedThrough) {
            for (int i = 0; i < kSlotEmptyLooksToEnd; ++i) pacing.NothingTaken();
        }
        pacing.FrameTaken(t += 20ms);
        EXPECT_EQ(pacing.Looking(t + 100us), !lookedThrough);
    }
}

}  // namespace
}  // namespace vareko::displayservice::testing
