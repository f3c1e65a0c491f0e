// The process-wide test clock, shared by the Linux and Windows tick counts.
#include "platform/win32/test_clock.h"

namespace {

bool testClockActive = false;
DWORD testClockNowMs = 0;

}  // namespace

namespace vareko::platform {

namespace detail {

bool ReadTestClock(DWORD& nowMs) {
    if (testClockActive) {
        nowMs = testClockNowMs;
    }
    return testClockActive;
}

bool AdvanceTestClock(DWORD deltaMs) {
    if (testClockActive) {
        testClockNowMs += deltaMs;  // wraps like the platform's 32-bit counter
    }
    return testClockActive;
}

}  // namespace detail

TestClock::TestClock(DWORD startMs) {
    testClockActive = true;
    testClockNowMs = startMs;
}

TestClock::~TestClock() { testClockActive = false; }

void TestClock::Set(DWORD nowMs) { testClockNowMs = nowMs; }

void TestClock::Advance(DWORD deltaMs) { testClockNowMs += deltaMs; }

DWORD TestClock::Now() const { return testClockNowMs; }

}  // namespace vareko::platform
