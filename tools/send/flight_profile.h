// The synthetic flight as data: keyframes of the pilot's inputs and of the
// aircraft's speed, climb rate and turn rate, plus the words that the
// simulator's mode fields show in each phase. Values between two keyframes are
// interpolated linearly; words switch at a keyframe. Plain data, no logic.
#pragma once

#include <span>

namespace vareko::send {

struct FlightKeyframe {
    double timeS;           // seconds since the start of the cycle
    double throttle;        // 0 = idle, 1 = full military power
    double iasMps;          // indicated airspeed, metres per second
    double vviMps;          // vertical speed, metres per second (up positive)
    double turnRateDegPs;   // heading change, degrees per second (right positive)
    double gearDown;        // 1 = down, 0 = up
    double brake;           // 1 = wheel brakes on
    const char* mod;        // at most 3 characters, no white space
    const char* sub;        // at most 7 characters
    const char* acs;        // at most 19 characters
};

// One cycle: park, taxi, take-off, climb, a full turn through every heading,
// cruise, descent, landing, taxi back; the next cycle starts refuelled.
std::span<const FlightKeyframe> FlightProfile();

}  // namespace vareko::send
