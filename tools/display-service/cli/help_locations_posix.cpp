// `help` on Linux: the Unix socket first, loopback TCP beside it.
#include "tools/display-service/cli/help_locations.h"

namespace vareko::displayservice {

const char* const kLocationsHelp =
    "socket: $VAREKO_DISPLAY_SOCKET, else $XDG_RUNTIME_DIR/vareko/display.sock,\n"
    "        else /tmp/vareko-<uid>/display.sock\n"
    "token file (loopback TCP clients): $VAREKO_DISPLAY_TOKEN, else display.token\n"
    "        beside the socket\n"
    "viewer address (its owner's, with the secret): display.viewer beside the\n"
    "        token file; `vareko-display url` prints it; the secret is kept in\n"
    "        display.viewer-secret until `vareko-display rotate-secret`\n";

}  // namespace vareko::displayservice
