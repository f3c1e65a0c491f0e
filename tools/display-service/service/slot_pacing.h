// When the service looks at the frame slots on its own and when it waits for
// a library to wake it. While frames come close together (a stream), the
// service looks every kSlotLookEvery and asks for no wake-up, so a steady
// stream costs its writer no system call; once no frame has come for
// kSlotLookFor, it asks to be woken again and sleeps. Frames further apart
// than kSlotStreamGap (60 Hz is) never start a stream: each wakes the
// service, which then costs nothing between frames.
#pragma once

#include <chrono>

namespace vareko::displayservice {

constexpr auto kSlotLookEvery = std::chrono::microseconds(500);
constexpr auto kSlotStreamGap = std::chrono::milliseconds(4);
constexpr auto kSlotLookFor = std::chrono::milliseconds(4);

class SlotPacing {
public:
    using Clock = std::chrono::steady_clock;

    // A frame was taken from a slot at `now`.
    void FrameTaken(Clock::time_point now) {
        streaming_ = taken_ && now - last_ <= kSlotStreamGap;
        taken_ = true;
        last_ = now;
    }

    // True while the service should look on its own rather than be woken.
    bool Looking(Clock::time_point now) const { return streaming_ && now - last_ < kSlotLookFor; }

private:
    bool taken_ = false;
    bool streaming_ = false;
    Clock::time_point last_{};
};

}  // namespace vareko::displayservice
