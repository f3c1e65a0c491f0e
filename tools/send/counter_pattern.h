// A test pattern for vareko-send: datagram i carries values made from i, so
// that every figure and word on the flight page changes from one datagram to
// the next and the low-fuel warning never comes up. A soak or latency test
// can then tell any two consecutive frames apart. Depends on the record only.
#pragma once

#include <cstdint>

#include "app/telemetry_sample.h"

namespace vareko::send {

// Fills every field of `sample` from the datagram index `i`.
void SampleCounter(std::uint64_t i, TelemetrySample& sample);

}  // namespace vareko::send
