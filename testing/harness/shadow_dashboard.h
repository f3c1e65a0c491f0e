// The reference for what the panel should show: the dashboard's own code
// (DashboardApp) run in this process on two manager pages, fed with the
// datagrams a tool forwards to the program, so every forwarded datagram yields
// the exact picture the program must put on the panel. Depends on app/ and
// display/ pages, never on the device link.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vareko::soak {

// 64-bit hash of a panel's white/black pixels (6,880 bytes, 0..128 black).
std::uint64_t PanelHash(const std::uint8_t* pixels);

class ShadowDashboard {
public:
    ShadowDashboard();
    ~ShadowDashboard();
    ShadowDashboard(const ShadowDashboard&) = delete;
    ShadowDashboard& operator=(const ShadowDashboard&) = delete;

    // Builds the pages; returns the hash of the page shown before any datagram.
    std::uint64_t Start();
    // One turn of the dashboard on `datagram`; returns the hash of the page
    // shown after it.
    std::uint64_t Turn(std::string_view datagram);
    // The 6,880 pixels of the page shown after the last Start or Turn.
    const std::uint8_t* Pixels() const;

private:
    struct Parts;
    std::unique_ptr<Parts> parts;
};

}  // namespace vareko::soak
