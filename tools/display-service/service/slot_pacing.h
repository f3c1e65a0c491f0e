// When the service looks at the frame slots on its own and when it waits for
// a library to wake it. While frames come close together (a stream), the
// service looks every kSlotLookEvery and asks for no wake-up, so a steady
// stream costs its writer no system call; once no frame has come for
// kSlotLookFor and its looks have found nothing kSlotEmptyLooksToEnd times,
// it asks to be woken again and sleeps. Frames further apart than
// kSlotStreamGap (60 Hz is) never start a stream: each wakes the service,
// which then costs nothing between frames.
#pragma once

#include <chrono>

namespace vareko::displayservice {

constexpr auto kSlotLookEvery = std::chrono::microseconds(500);
constexpr auto kSlotStreamGap = std::chrono::milliseconds(4);
constexpr auto kSlotLookFor = std::chrono::milliseconds(4);
// Looks that found nothing before a stream can end: kSlotLookFor of looking
// at kSlotLookEvery.
constexpr int kSlotEmptyLooksToEnd = 8;

class SlotPacing {
public:
    using Clock = std::chrono::steady_clock;

    // A frame was taken from a slot at `now`. One found while the service
    // still looks continues the stream however late that look came: a loaded
    // machine can hold the service back for longer than kSlotStreamGap while
    // its writer goes on at its pace.
    void FrameTaken(Clock::time_point now) {
        streaming_ = Looking(now) || (taken_ && now - last_ <= kSlotStreamGap);
        taken_ = true;
        last_ = now;
        emptyLooks_ = 0;
    }

    // A look found no new frame in any slot.
    void NothingTaken() {
        if (emptyLooks_ < kSlotEmptyLooksToEnd) ++emptyLooks_;
    }

    // True while the service should look on its own rather than be woken: a
    // stream ends only once kSlotLookFor has passed since its last frame and
    // the service has looked kSlotEmptyLooksToEnd times in vain, so looks
    // the scheduler delayed never end it.
    bool Looking(Clock::time_point now) const {
        return streaming_ && (now - last_ < kSlotLookFor || emptyLooks_ < kSlotEmptyLooksToEnd);
    }

private:
    bool taken_ = false;
    bool streaming_ = false;
    Clock::time_point last_{};
    int emptyLooks_ = 0;
};

}  // namespace vareko::displayservice
