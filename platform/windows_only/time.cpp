// Windows: the system's tick count and sleep behind the test clock.
#include "platform/win32/time.h"

#include "platform/win32/test_clock.h"

// This file alone reaches the system functions that the macros in time.h
// route to the wrappers below.
#undef GetTickCount
#undef Sleep

namespace vareko::platform {

DWORD TickCountMs() {
    DWORD testNowMs = 0;
    if (detail::ReadTestClock(testNowMs)) {
        return testNowMs;
    }
    return ::GetTickCount();
}

void SleepMs(DWORD milliseconds) {
    if (!detail::AdvanceTestClock(milliseconds)) {
        ::Sleep(milliseconds);
    }
}

}  // namespace vareko::platform
