// The addresses of this machine's network interfaces, for naming a viewer
// that listens on every interface (0.0.0.0 or ::) by the addresses another
// device can reach it at. One source file per platform.
#pragma once

#include <boost/asio/ip/address.hpp>
#include <boost/asio/ip/tcp.hpp>

#include <cstring>
#include <optional>
#include <vector>

namespace vareko::displayservice {

// Every address of every interface that is up; empty when they cannot be read.
std::vector<boost::asio::ip::address> InterfaceAddresses();

// The address in a system socket address of `family` (the sa_family of the
// bytes at `socketAddress`), zone included; none for another family. Both
// platforms' lists hold their addresses so.
inline std::optional<boost::asio::ip::address> SocketAddressOf(const void* socketAddress, int family) {
    namespace ip = boost::asio::ip;
    ip::tcp::endpoint endpoint(family == ip::tcp::v6().family() ? ip::tcp::v6() : ip::tcp::v4(), 0);
    if (family != endpoint.protocol().family()) return std::nullopt;
    std::memcpy(endpoint.data(), socketAddress, endpoint.size());
    return endpoint.address();
}

}  // namespace vareko::displayservice
