// The lines the program writes to standard error about its start: what it
// listens on and which display library it loaded (or why none), and why it
// cannot listen. Pure text, without the trailing newline; main() prints.
// Depends on the telemetry source's open result and the link's load status.
#pragma once

#include <string>

#include "app/telemetry_source.h"
#include "display/devicelink/load_status.h"

namespace vareko {

// "vareko: listening for telemetry on UDP port P (every local address); "
// followed by what became of the display library.
std::string StartLine(unsigned short port, const link::LoadStatus& load);

// Why the telemetry source could not be opened: the port, the system's
// reason and, where one is known, its likely cause.
std::string OpenFailureLine(unsigned short port, const SourceOpenResult& result);

}  // namespace vareko
