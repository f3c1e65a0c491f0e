// Millisecond tick count and sleep, with a test clock.
// GetTickCount reads a monotonic clock as unsigned 32-bit milliseconds, so it
// wraps after about 49.7 days exactly as the platform's counter does.
#pragma once

#include "platform/win32/types.h"

DWORD GetTickCount();
void Sleep(DWORD milliseconds);

namespace vareko::platform {

// While a test clock is installed, GetTickCount returns its value and Sleep
// advances it instead of sleeping. Tests only; not thread-safe by design.
class TestClock {
public:
    explicit TestClock(DWORD startMs = 1000);
    ~TestClock();
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;

    void Set(DWORD nowMs);
    void Advance(DWORD deltaMs);
    DWORD Now() const;
};

}  // namespace vareko::platform
