// The steady-clock time base of the sender tool.
#include "tools/send/pace_clock.h"

#include <chrono>
#include <thread>

namespace vareko::send {

std::uint64_t SteadyPaceClock::NowUs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

void SteadyPaceClock::SleepUntilUs(std::uint64_t wakeUs) {
    const auto wake = std::chrono::steady_clock::time_point(std::chrono::microseconds(wakeUs));
    std::this_thread::sleep_until(wake);
}

}  // namespace vareko::send
