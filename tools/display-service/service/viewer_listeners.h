// Where the HTTP viewer listens: 127.0.0.1 always, and beside it the
// addresses named with --viewer-listen (an interface's address, or 0.0.0.0 /
// :: for every interface). A wildcard takes the place of the specific
// addresses of its family, since the system lets no socket bind them beside
// it; the addresses 127.0.0.1 and ::1 keep their own connection budget
// whichever listener accepted them. Boost.Asio's address types only.
#pragma once

#include <boost/asio/ip/address.hpp>

#include <string>
#include <vector>

namespace vareko::displayservice {

struct ViewerEndpoint {
    boost::asio::ip::address address;
    bool v6Only = false;  // a "::" beside "0.0.0.0" leaves IPv4 to it
};

// The sockets to bind for the viewer, loopback (or the wildcard that covers
// it) first; false with the reason in `error` for a text that is no address.
bool PlanViewerEndpoints(const std::vector<std::string>& listen, std::vector<ViewerEndpoint>& endpoints,
                         std::string& error);

// The address as a URL writes it: "192.0.2.7", "[2001:db8::7]"; an IPv4
// address mapped into IPv6 (an IPv4 peer of "::") as IPv4, without a zone.
std::string UrlHost(const boost::asio::ip::address& address);

// The hosts other devices reach `endpoints` at, each once: a specific
// address as it is, a wildcard as the `interfaces` addresses of its family;
// never 127.0.0.1 or ::1, nor IPv6 link-local addresses (no browser takes
// their zone).
std::vector<std::string> NetworkUrlHosts(const std::vector<ViewerEndpoint>& endpoints,
                                         const std::vector<boost::asio::ip::address>& interfaces);

// 127.0.0.1 or ::1 (also as a mapped address): the owner's own machine.
bool IsLoopbackHome(const boost::asio::ip::address& address);

}  // namespace vareko::displayservice
