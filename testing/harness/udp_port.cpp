// Loopback set-up, the bind probe, the timed receive and the /proc/net/udp reader.
#include "testing/harness/udp_port.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

#include "testing/harness/eventually.h"

namespace vareko::harness {
namespace {

// The hex number behind the colon of "XXXXXXXX:YYYY".
std::optional<long long> HexAfterColon(const std::string& field) {
    const std::size_t colon = field.find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    long long value = 0;
    const char* end = field.data() + field.size();
    const auto r = std::from_chars(field.data() + colon + 1, end, value, 16);
    if (r.ec != std::errc() || r.ptr != end)
        return std::nullopt;
    return value;
}

}  // namespace

sockaddr_in LoopbackAddress(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

std::string BindLoopback(int fd, std::uint16_t& port) {
    sockaddr_in a = LoopbackAddress(0);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0)
        return std::string("bind: ") + std::strerror(errno);
    socklen_t length = sizeof a;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
        return std::string("getsockname: ") + std::strerror(errno);
    }
    port = ntohs(a.sin_port);
    return {};
}

std::optional<std::size_t> ReceiveWithin(int fd, std::span<char> buffer, int waitMs) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, waitMs) <= 0)
        return std::nullopt;
    const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
    if (n < 0)
        return std::nullopt;
    return static_cast<std::size_t>(n);
}

bool UdpPortFree(std::uint16_t port) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    const bool free = bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return free;
}

bool WaitUdpPortFree(std::uint16_t port, int timeoutMs) {
    return Eventually([port] { return UdpPortFree(port); }, std::chrono::milliseconds(timeoutMs),
                      std::chrono::milliseconds(20));
}

std::optional<UdpSocketState> FindUdpSocket(std::string_view table, std::uint16_t port) {
    // A row: "sl: local_address rem_address st tx_queue:rx_queue tr:tm->when
    // retrnsmt uid timeout inode ref pointer drops", addresses as HEXIP:HEXPORT,
    // the queues in hex, the drops in decimal. The first line is the header.
    std::istringstream lines{std::string(table)};
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::istringstream row(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode,
            ref, pointer;
        long long drops = 0;
        if (!(row >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
              timeout >> inode >> ref >> pointer >> drops)) {
            continue;
        }
        const std::optional<long long> boundPort = HexAfterColon(local);
        const std::optional<long long> queued = HexAfterColon(queues);
        if (!boundPort || !queued || *boundPort != port)
            continue;
        return UdpSocketState{*queued, drops};
    }
    return std::nullopt;
}

std::optional<UdpSocketState> ReadUdpSocket(std::uint16_t port) {
    std::ifstream in("/proc/net/udp");
    std::stringstream text;
    text << in.rdbuf();
    return FindUdpSocket(text.str(), port);
}

}  // namespace vareko::harness
