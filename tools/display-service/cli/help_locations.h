// The part of `vareko-display help` that differs by platform: how clients
// reach the service (Unix socket or loopback TCP), where its files are, and
// what this platform's build leaves out. One source file per platform.
#pragma once

namespace vareko::displayservice {

extern const char* const kLocationsHelp;

}  // namespace vareko::displayservice
