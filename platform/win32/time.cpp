// Tick count on CLOCK_MONOTONIC; a process-wide test clock can take its place.
#include "platform/win32/time.h"

#include <cerrno>
#include <ctime>

namespace {

bool testClockActive = false;
DWORD testClockNowMs = 0;

}  // namespace

DWORD GetTickCount() {
    if (testClockActive) {
        return testClockNowMs;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                       static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);  // wraps like the platform's 32-bit counter
}

void Sleep(DWORD milliseconds) {
    if (testClockActive) {
        testClockNowMs += milliseconds;
        return;
    }
    timespec remaining{static_cast<time_t>(milliseconds / 1000),
                       static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

namespace vareko::platform {

TestClock::TestClock(DWORD startMs) {
    testClockActive = true;
    testClockNowMs = startMs;
}

TestClock::~TestClock() { testClockActive = false; }

void TestClock::Set(DWORD nowMs) { testClockNowMs = nowMs; }

void TestClock::Advance(DWORD deltaMs) { testClockNowMs += deltaMs; }

DWORD TestClock::Now() const { return testClockNowMs; }

}  // namespace vareko::platform
