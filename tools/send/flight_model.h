// The synthetic flight of vareko-send: the aircraft's state as a pure function
// of the time since the sender started, so that any moment of the flight can
// be computed (and tested) on its own. Depends on the keyframe table and on
// the telemetry record only.
#pragma once

#include "app/telemetry_sample.h"

namespace vareko::send {

// Length of one flight; the next flight starts refuelled where this one ended.
double FlightCycleSeconds();

// Fuel at the start of every flight, kilograms.
constexpr double kInternalFuelStartKg = 3000.0;
constexpr double kExternalFuelStartKg = 1200.0;

// Fills every field of `sample` with the state at `seconds` (>= 0).
void SampleFlight(double seconds, TelemetrySample& sample);

}  // namespace vareko::send
