// On Linux the library reaches the service through its Unix socket.
#include "tools/display-service/library/link_transport.h"

namespace vareko::displayservice {

std::unique_ptr<LinkTransport> ConnectDefaultTransport(link::LinkResult& failure) { return ConnectUnixTransport(failure); }

}  // namespace vareko::displayservice
