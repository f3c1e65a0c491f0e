// The addresses of this machine's network interfaces, for naming a viewer
// that listens on every interface (0.0.0.0 or ::) by the addresses another
// device can reach it at. One source file per platform.
#pragma once

#include <boost/asio/ip/address.hpp>

#include <vector>

namespace vareko::displayservice {

// Every address of every interface that is up; empty when they cannot be read.
std::vector<boost::asio::ip::address> InterfaceAddresses();

}  // namespace vareko::displayservice
