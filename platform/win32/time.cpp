// Tick count on CLOCK_MONOTONIC; an installed test clock takes its place.
#include "platform/win32/time.h"

#include <cerrno>
#include <ctime>

#include "platform/win32/test_clock.h"

DWORD GetTickCount() {
    DWORD testNowMs = 0;
    if (vareko::platform::detail::ReadTestClock(testNowMs)) {
        return testNowMs;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                       static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);  // wraps like the platform's 32-bit counter
}

void Sleep(DWORD milliseconds) {
    if (vareko::platform::detail::AdvanceTestClock(milliseconds)) {
        return;
    }
    timespec remaining{static_cast<time_t>(milliseconds / 1000),
                       static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}
