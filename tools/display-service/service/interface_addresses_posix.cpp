// Interface addresses from getifaddrs.
#include "tools/display-service/service/interface_addresses.h"

#include <ifaddrs.h>
#include <net/if.h>

namespace vareko::displayservice {

std::vector<boost::asio::ip::address> InterfaceAddresses() {
    std::vector<boost::asio::ip::address> addresses;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return addresses;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || (entry->ifa_flags & IFF_UP) == 0) continue;
        const auto address = SocketAddressOf(entry->ifa_addr, entry->ifa_addr->sa_family);
        if (address) addresses.push_back(*address);
    }
    freeifaddrs(list);
    return addresses;
}

}  // namespace vareko::displayservice
