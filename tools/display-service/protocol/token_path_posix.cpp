// Linux clients find the token file beside the service's socket, or where
// $VAREKO_DISPLAY_TOKEN says.
#include "tools/display-service/protocol/service_socket.h"
#include "tools/display-service/protocol/token_path.h"

namespace vareko::displayservice {

std::string ResolveTokenPath() { return TokenPathForSocket(ResolveSocketPath()); }

std::string ServiceTokenPath(const std::string& socketPath) { return TokenPathForSocket(socketPath); }

}  // namespace vareko::displayservice
