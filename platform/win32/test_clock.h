// The installed test clock as the tick-count functions of each platform see
// it. Internal to platform/: product code and tests use TestClock.
#pragma once

#include "platform/win32/time.h"

namespace vareko::platform::detail {

// True while a test clock is installed; nowMs then receives its time.
bool ReadTestClock(DWORD& nowMs);

// True while a test clock is installed, which then advances by deltaMs.
bool AdvanceTestClock(DWORD deltaMs);

}  // namespace vareko::platform::detail
