// /proc readers for the port tests.
#include "tests/app/udp_port_probe.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace vareko::testing {

std::optional<UdpSocketState> FindUdpSocket(std::uint16_t port) {
    std::ifstream table("/proc/net/udp");
    std::string line;
    std::getline(table, line);  // column titles
    while (std::getline(table, line)) {
        unsigned localAddress = 0;
        unsigned localPort = 0;
        unsigned queued = 0;
        unsigned long inode = 0;
        // sl local_address rem_address st tx_queue:rx_queue tr:tm retrnsmt uid timeout inode
        if (std::sscanf(line.c_str(), " %*u: %x:%x %*x:%*x %*x %*x:%x %*x:%*x %*x %*u %*u %lu",
                        &localAddress, &localPort, &queued, &inode) == 4 &&
            localPort == port) {
            return UdpSocketState{inode, localAddress, queued};
        }
    }
    return std::nullopt;
}

bool ProcessHoldsSocket(pid_t pid, unsigned long inode) {
    const std::string wanted = "socket:[" + std::to_string(inode) + "]";
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        if (std::filesystem::read_symlink(entry.path(), error).string() == wanted) {
            return true;
        }
    }
    return false;
}

}  // namespace vareko::testing
