// Where the token file of the TCP transport lives. $VAREKO_DISPLAY_TOKEN
// names it on both platforms; a value starting with '/' is a Unix path,
// which a Windows process under Wine reads through drive Z: (the Unix root).
// Defaults: on Linux display.token beside the service's socket; on Windows
// %LOCALAPPDATA%\Vareko\display.token.
#pragma once

#include <string>
#include <string_view>

namespace vareko::displayservice {

constexpr const char* kTokenFileVariable = "VAREKO_DISPLAY_TOKEN";

// The token file a client of this platform reads.
std::string ResolveTokenPath();

// The service's token file for a given socket path (Linux).
std::string TokenPathForSocket(const std::string& socketPath);

// The token file the service of this platform writes: on Linux the one for
// its socket, on Windows the one that Windows clients read.
std::string ServiceTokenPath(const std::string& socketPath);

// A path from $VAREKO_DISPLAY_TOKEN as a Windows process must open it:
// "/tmp/x/display.token" becomes "Z:\tmp\x\display.token"; a Windows path
// is kept as it is.
std::string TokenPathForWindows(std::string_view value);

}  // namespace vareko::displayservice
