// Interface addresses from GetAdaptersAddresses (iphlpapi).
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <vector>

#include "tools/display-service/service/interface_addresses.h"

namespace vareko::displayservice {
namespace {

// The adapter list, grown until it fits (the list can change between calls).
std::vector<std::uint8_t> AdapterList() {
    constexpr ULONG kFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 16 * 1024;
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<std::uint8_t> buffer(size);
        const ULONG status = GetAdaptersAddresses(AF_UNSPEC, kFlags, nullptr,
                                                  reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
        if (status == ERROR_SUCCESS) return buffer;
        if (status != ERROR_BUFFER_OVERFLOW) break;
    }
    return {};
}

}  // namespace

std::vector<boost::asio::ip::address> InterfaceAddresses() {
    std::vector<boost::asio::ip::address> addresses;
    std::vector<std::uint8_t> list = AdapterList();
    if (list.empty()) return addresses;
    for (const auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(list.data()); adapter != nullptr;
         adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp) continue;
        for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter->FirstUnicastAddress; unicast != nullptr;
             unicast = unicast->Next) {
            const sockaddr* address = unicast->Address.lpSockaddr;
            if (address == nullptr) continue;
            const auto plain = SocketAddressOf(address, address->sa_family);
            if (plain) addresses.push_back(*plain);
        }
    }
    return addresses;
}

}  // namespace vareko::displayservice
