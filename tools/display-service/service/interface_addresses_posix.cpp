// Interface addresses from getifaddrs.
#include "tools/display-service/service/interface_addresses.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstring>

namespace vareko::displayservice {

std::vector<boost::asio::ip::address> InterfaceAddresses() {
    namespace ip = boost::asio::ip;
    std::vector<ip::address> addresses;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return addresses;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || (entry->ifa_flags & IFF_UP) == 0) continue;
        if (entry->ifa_addr->sa_family == AF_INET) {
            sockaddr_in v4{};
            std::memcpy(&v4, entry->ifa_addr, sizeof v4);
            addresses.emplace_back(ip::address_v4(ntohl(v4.sin_addr.s_addr)));
        } else if (entry->ifa_addr->sa_family == AF_INET6) {
            sockaddr_in6 v6{};
            std::memcpy(&v6, entry->ifa_addr, sizeof v6);
            ip::address_v6::bytes_type bytes;
            std::memcpy(bytes.data(), v6.sin6_addr.s6_addr, bytes.size());
            addresses.emplace_back(ip::address_v6(bytes, v6.sin6_scope_id));
        }
    }
    freeifaddrs(list);
    return addresses;
}

}  // namespace vareko::displayservice
