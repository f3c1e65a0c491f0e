// `help` on Windows: loopback TCP is the only transport.
#include "tools/display-service/cli/help_locations.h"

namespace vareko::displayservice {

const char* const kLocationsHelp =
    "transport: loopback TCP on 127.0.0.1 only (no Unix socket); the program's\n"
    "        library and these commands read the port and token from the token file\n"
    "token file: %VAREKO_DISPLAY_TOKEN% (a Unix path under Wine is read through\n"
    "        drive Z:), else %LOCALAPPDATA%\\Vareko\\display.token\n"
    "viewer address (its owner's, with the secret): display.viewer beside the\n"
    "        token file; `vareko-display url` prints it; the secret is kept in\n"
    "        display.viewer-secret until `vareko-display rotate-secret`\n"
    "not in the Windows build: the terminal view (view), QR codes (--qr) and\n"
    "        HTTPS (--tls-cert, --tls-key)\n";

}  // namespace vareko::displayservice
