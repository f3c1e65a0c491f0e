// Writes a telemetry record as the datagram text that the dashboard parses:
// the prefix, every number as key=value; and every word followed by a blank
// before its ';'. Walks the shared key table, so it cannot drift from the
// parser's order.
#pragma once

#include <string>

#include "app/telemetry_sample.h"

namespace vareko::send {

std::string FormatDatagram(const TelemetrySample& sample);

}  // namespace vareko::send
