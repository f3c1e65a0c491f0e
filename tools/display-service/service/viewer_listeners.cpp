// The viewer's listening addresses and their URL form.
#include "tools/display-service/service/viewer_listeners.h"

#include <algorithm>

namespace vareko::displayservice {
namespace {

namespace ip = boost::asio::ip;

ip::address Unmapped(const ip::address& address) {
    if (address.is_v6() && address.to_v6().is_v4_mapped()) {
        return ip::make_address_v4(ip::v4_mapped, address.to_v6());
    }
    return address;
}

}  // namespace

bool PlanViewerEndpoints(const std::vector<std::string>& listen, std::vector<ViewerEndpoint>& endpoints,
                         std::string& error) {
    std::vector<ip::address> wanted{ip::address_v4::loopback()};
    for (const std::string& text : listen) {
        boost::system::error_code ec;
        const ip::address address = Unmapped(ip::make_address(text, ec));
        if (ec) {
            error = "not an IP address: '" + text + "' (give an interface's address, 0.0.0.0 or ::)";
            return false;
        }
        if (std::find(wanted.begin(), wanted.end(), address) == wanted.end()) wanted.push_back(address);
    }
    const auto has = [&](const ip::address& a) { return std::find(wanted.begin(), wanted.end(), a) != wanted.end(); };
    const bool anyV4 = has(ip::address_v4::any());
    const bool anyV6 = has(ip::address_v6::any());
    // "::" alone takes IPv4 connections too (as mapped addresses).
    const auto covered = [&](const ip::address& a) {
        if (a.is_unspecified()) return false;
        return a.is_v4() ? anyV4 || anyV6 : anyV6;
    };
    endpoints.clear();
    // The wildcards first, so that the one covering 127.0.0.1 takes its place.
    std::stable_partition(wanted.begin(), wanted.end(), [](const ip::address& a) { return a.is_unspecified(); });
    for (const ip::address& address : wanted) {
        if (covered(address)) continue;
        endpoints.push_back({address, address.is_v6() && address.is_unspecified() && anyV4});
    }
    return true;
}

std::string UrlHost(const ip::address& address) {
    const ip::address plain = Unmapped(address);
    if (plain.is_v4()) return plain.to_string();
    ip::address_v6 v6 = plain.to_v6();
    v6.scope_id(0);
    // Not "[" + text: GCC 12 at -O2 reports a false overlap in that inlined concatenation.
    std::string host = v6.to_string();
    host.insert(host.begin(), '[');
    host.push_back(']');
    return host;
}

std::vector<std::string> NetworkUrlHosts(const std::vector<ViewerEndpoint>& endpoints,
                                         const std::vector<ip::address>& interfaces) {
    std::vector<std::string> hosts;
    const auto add = [&](const ip::address& address) {
        if (IsLoopbackHome(address) || (address.is_v6() && address.to_v6().is_link_local())) return;
        std::string host = UrlHost(address);
        if (std::find(hosts.begin(), hosts.end(), host) == hosts.end()) hosts.push_back(std::move(host));
    };
    for (const ViewerEndpoint& endpoint : endpoints) {
        if (!endpoint.address.is_unspecified()) {
            add(endpoint.address);
            continue;
        }
        for (const ip::address& interface : interfaces) {
            const ip::address plain = Unmapped(interface);
            const bool takesV4 = endpoint.address.is_v4() || !endpoint.v6Only;
            if (plain.is_v4() ? takesV4 : endpoint.address.is_v6()) add(plain);
        }
    }
    return hosts;
}

bool IsLoopbackHome(const ip::address& address) {
    const ip::address plain = Unmapped(address);
    return plain == ip::address(ip::address_v4::loopback()) || plain == ip::address(ip::address_v6::loopback());
}

}  // namespace vareko::displayservice
