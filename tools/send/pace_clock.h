// The time base of the sender loops: a microsecond clock and a sleep until a
// point on it. The tool uses the steady clock; tests pass a clock that jumps
// to the requested time instead of sleeping.
#pragma once

#include <cstdint>

namespace vareko::send {

class PaceClock {
public:
    virtual ~PaceClock() = default;
    virtual std::uint64_t NowUs() = 0;
    virtual void SleepUntilUs(std::uint64_t wakeUs) = 0;
};

class SteadyPaceClock final : public PaceClock {
public:
    std::uint64_t NowUs() override;
    void SleepUntilUs(std::uint64_t wakeUs) override;
};

}  // namespace vareko::send
