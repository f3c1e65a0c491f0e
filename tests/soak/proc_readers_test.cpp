// The /proc readers: CPU ticks from a stat line, the telemetry socket's row
// in the UDP table.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "testing/harness/udp_port.h"
#include "testing/soak/process_usage.h"

namespace vareko::soak {
namespace {

using harness::FindUdpSocket;
using harness::ReadUdpSocket;
using harness::UdpPortFree;
using harness::UdpSocketState;

TEST(ProcReadersTest, CpuTicksAreUserPlusSystemTime) {
    struct Case {
        const char* name;
        std::string stat;
        std::optional<long long> ticks;
    };
    const std::string tail = " S 1 2 3 4 5 6 7 8 9 10 250 31 0 0 20 0 1 0 100 1000 200";
    const Case cases[] = {
        {"plain name", "1234 (vareko)" + tail, 281},
        {"name with blanks and parentheses", "1234 (a b) (c))" + tail, 281},
        {"line cut before stime", "1234 (vareko) S 1 2 3 4 5 6 7 8 9 10 250", std::nullopt},
        {"no name", "1234 vareko S 1 2 3", std::nullopt},
        {"empty", "", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseCpuTicks(c.stat), c.ticks);
    }
}

TEST(ProcReadersTest, FindsTheSocketBoundToThePort) {
    const std::string header =
        "   sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  "
        "timeout inode ref "
        "pointer drops\n";
    // 6060 is 0x17AC; the receive queue is the hex word after the colon.
    const std::string telemetry =
        "  12: 00000000:17AC 00000000:0000 07 00000000:00033900 00:00000000 00000000  1000        "
        "0 4242 2 "
        "0000000000000000 57\n";
    const std::string other =
        "   7: 0100007F:A1B2 00000000:0000 07 00000000:00000000 00:00000000 00000000  1000        "
        "0 4243 2 "
        "0000000000000000 3\n";
    struct Case {
        const char* name;
        std::string table;
        std::optional<long long> queueBytes;
        long long drops;
    };
    const Case cases[] = {
        {"alone", header + telemetry, 0x33900, 57},
        {"after another socket", header + other + telemetry, 0x33900, 57},
        {"not bound", header + other, std::nullopt, 0},
        {"a truncated row is skipped",
         header + "  12: 00000000:17AC 00000000:0000 07\n" + telemetry, 0x33900, 57},
        {"header only", header, std::nullopt, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<UdpSocketState> state = FindUdpSocket(c.table, 6060);
        ASSERT_EQ(state.has_value(), c.queueBytes.has_value());
        if (!state)
            continue;
        EXPECT_EQ(state->receiveQueueBytes, *c.queueBytes);
        EXPECT_EQ(state->drops, c.drops);
    }
}

TEST(ProcReadersTest, ABoundPortIsNotFree) {
    // An ephemeral port this test holds, so nothing else can interfere.
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a), 0);
    socklen_t length = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    const std::uint16_t port = ntohs(a.sin_port);
    EXPECT_FALSE(UdpPortFree(port));
    EXPECT_TRUE(ReadUdpSocket(port).has_value());
    close(fd);
    EXPECT_TRUE(UdpPortFree(port));
}

}  // namespace
}  // namespace vareko::soak
