// Millisecond tick count and sleep, with a test clock.
// GetTickCount is an unsigned 32-bit millisecond counter that wraps after
// about 49.7 days. On Linux our layer reads a monotonic clock; on Windows the
// system's functions are used, with the test clock put in front of them.
#pragma once

#ifdef _WIN32
#include "platform/win32.h"

namespace vareko::platform {

// The system's GetTickCount and Sleep unless a test clock is installed.
DWORD TickCountMs();
void SleepMs(DWORD milliseconds);

}  // namespace vareko::platform

// Route every call made after this header to the wrappers, so that the same
// product code and tests see the test clock on both platforms.
#define GetTickCount ::vareko::platform::TickCountMs
#define Sleep ::vareko::platform::SleepMs
#else
#include "platform/win32/types.h"

DWORD GetTickCount();
void Sleep(DWORD milliseconds);
#endif

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
