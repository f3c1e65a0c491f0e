// The service side of the token file: a fresh random token for each start,
// written with mode 0600 through a temporary file and a rename, so a reader
// never sees half a file and nobody else can read it. POSIX only.
#pragma once

#include <cstdint>
#include <string>

#include "tools/display-service/token_file.h"

namespace vareko::displayservice {

// Draws a token from the kernel's random source; empty string or the reason.
std::string NewToken(std::string& token);

// Writes `file` to `path` (mode 0600); empty string or the reason.
std::string WriteTokenFile(const std::string& path, const TokenFile& file);

}  // namespace vareko::displayservice
