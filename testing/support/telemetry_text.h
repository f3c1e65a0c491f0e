// Test support: builds datagram texts field by field, and a record whose
// every field holds a distinct "previous" value, so a test sees exactly
// which fields a datagram changed.
#pragma once

#include <string>
#include <vector>

#include "app/telemetry_sample.h"

namespace vareko::testing {

// The datagram text for the first fields.size() keys, written as the sender
// writes them: "key=value;" for numbers, "key=value ;" for words, the prefix
// in front and a line feed behind a complete datagram.
std::string DatagramText(const std::vector<std::string>& fields);

// Field texts of a complete, well-formed datagram: numbers 1.5, 2.5, ... and
// the words "F16", "NAV" and "LOCKED".
std::vector<std::string> WellFormedFields();

// A record with numbers -1, -2, ... and the words "old", "oldsub", "oldacs".
TelemetrySample PreviousSample();

// Field-by-field comparison; numbers compare bit for bit. Returns "" when
// equal, else the names and values of the differing fields.
std::string DescribeDifferences(const TelemetrySample& actual, const TelemetrySample& expected);

}  // namespace vareko::testing
