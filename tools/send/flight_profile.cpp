// The keyframe table of the synthetic flight. The climb and descent rates are
// chosen so that the altitude, which is the integral of the vertical speed,
// returns to the runway at touchdown (a test checks it).
#include "tools/send/flight_profile.h"

namespace vareko::send {
namespace {

constexpr FlightKeyframe kProfile[] = {
    // time   thr   ias    vvi   turn  gear brk  mod    sub        acs
    {0.0,   0.00, 0.0,   0.0,   0.0,  1, 1, "GND", "PARK",    "MANUAL"},
    {6.0,   0.00, 0.0,   0.0,   0.0,  1, 1, "GND", "TAXI",    "MANUAL"},
    {9.0,   0.25, 0.0,   0.0,   0.0,  1, 0, "GND", "TAXI",    "MANUAL"},
    {14.0,  0.20, 8.0,   0.0,   0.0,  1, 0, "GND", "TAXI",    "MANUAL"},
    {16.0,  0.20, 8.0,   0.0,   9.0,  1, 0, "GND", "TAXI",    "MANUAL"},
    {24.0,  0.15, 6.0,   0.0,   9.0,  1, 0, "GND", "TAXI",    "MANUAL"},
    {26.0,  0.05, 0.0,   0.0,   0.0,  1, 1, "TO",  "RWY",     "MANUAL"},
    {30.0,  0.05, 0.0,   0.0,   0.0,  1, 1, "TO",  "RWY",     "MANUAL"},
    {33.0,  1.00, 0.0,   0.0,   0.0,  1, 0, "TO",  "ROLL",    "MANUAL"},
    {50.0,  1.00, 82.0,  0.0,   0.0,  1, 0, "TO",  "ROTATE",  "MANUAL"},
    {55.0,  1.00, 95.0,  9.0,   0.0,  1, 0, "NAV", "CLIMB",   "MANUAL"},
    {60.0,  0.95, 110.0, 16.0,  0.0,  0, 0, "NAV", "CLIMB",   "MANUAL"},
    {100.0, 0.90, 150.0, 20.0,  0.0,  0, 0, "NAV", "CLIMB",   "PITCH-HOLD"},
    {130.0, 0.85, 160.0, 20.0,  0.0,  0, 0, "NAV", "CLIMB",   "PITCH-HOLD"},
    {142.0, 0.75, 170.0, 0.0,   0.0,  0, 0, "NAV", "LEVEL",   "ALT-HOLD"},
    {146.0, 0.75, 170.0, 0.0,   4.0,  0, 0, "NAV", "TURN",    "ALT-HOLD"},
    {232.0, 0.75, 170.0, 0.0,   4.0,  0, 0, "NAV", "TURN",    "ALT+HDG-SELECT"},
    {236.0, 0.65, 175.0, 0.0,   0.0,  0, 0, "NAV", "CRUISE",  "ALT+HDG-HOLD"},
    {270.0, 0.65, 175.0, 0.0,   0.0,  0, 0, "NAV", "CRUISE",  "ALT+HDG-HOLD"},
    {278.0, 0.25, 160.0, -20.0, 0.0,  0, 0, "NAV", "DESCENT", "MANUAL"},
    {341.4, 0.30, 110.0, -20.0, 0.0,  0, 0, "NAV", "DESCENT", "MANUAL"},
    {351.4, 0.45, 85.0,  -5.0,  0.0,  1, 0, "LDG", "APPR",    "APPROACH-COUPLED"},
    {362.4, 0.40, 75.0,  -3.5,  0.0,  1, 0, "LDG", "FINAL",   "APPROACH-COUPLED"},
    {365.4, 0.05, 70.0,  0.0,   0.0,  1, 0, "LDG", "FLARE",   "MANUAL"},
    {367.4, 0.00, 66.0,  0.0,   0.0,  1, 1, "GND", "ROLLOUT", "MANUAL"},
    {387.4, 0.10, 8.0,   0.0,   0.0,  1, 0, "GND", "TAXI",    "MANUAL"},
    {389.4, 0.15, 8.0,   0.0,  -9.0,  1, 0, "GND", "TAXI",    "MANUAL"},
    {397.4, 0.10, 6.0,   0.0,  -9.0,  1, 0, "GND", "TAXI",    "MANUAL"},
    {399.4, 0.00, 0.0,   0.0,   0.0,  1, 1, "GND", "PARK",    "MANUAL"},
    {405.0, 0.00, 0.0,   0.0,   0.0,  1, 1, "GND", "PARK",    "MANUAL"},
};

}  // namespace

std::span<const FlightKeyframe> FlightProfile() { return kProfile; }

}  // namespace vareko::send
