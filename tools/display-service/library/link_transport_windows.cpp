// On Windows (under Wine) the library reaches the Linux service over loopback
// TCP, with the token from the token file.
#include "tools/display-service/library/link_transport.h"

namespace vareko::displayservice {

std::unique_ptr<LinkTransport> ConnectDefaultTransport(link::LinkResult& failure) { return ConnectTcpTransport(failure); }

}  // namespace vareko::displayservice
