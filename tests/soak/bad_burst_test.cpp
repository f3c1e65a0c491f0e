// Every datagram of a soak burst, sent over a real loopback socket to the
// program's receiver, leaves every field the dashboard shows as it was; the
// oversized ones are refused whole.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "app/telemetry_receiver.h"
#include "tools/send/counter_pattern.h"
#include "testing/soak/bad_datagrams.h"

namespace vareko::soak {
namespace {

// The shown part of the record: everything but the few fields that a burst
// may set without showing them (asl is not shown).
bool SameShownFields(const TelemetrySample& a, const TelemetrySample& b) {
    TelemetrySample x = a, y = b;
    x.asl = y.asl = 0;
    return std::memcmp(&x, &y, sizeof x) == 0;
}

TEST(BadBurst, LeavesEveryShownFieldAsItWas) {
    const int receiveFd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(0, bind(receiveFd, reinterpret_cast<const sockaddr*>(&address), sizeof address));
    socklen_t length = sizeof address;
    getsockname(receiveFd, reinterpret_cast<sockaddr*>(&address), &length);
    int bufferBytes = 1 << 20;
    setsockopt(receiveFd, SOL_SOCKET, SO_RCVBUF, &bufferBytes, sizeof bufferBytes);
    TelemetryReceiver receiver;
    receiver.Adopt(receiveFd);
    const int sendFd = socket(AF_INET, SOCK_DGRAM, 0);

    TelemetrySample before{};
    send::SampleCounter(42, before);
    for (std::uint64_t burst : {0u, 1u, 2u}) {
        for (const std::string& d : BadBurst(burst)) {
            ASSERT_EQ(static_cast<ssize_t>(d.size()),
                      sendto(sendFd, d.data(), d.size(), 0, reinterpret_cast<const sockaddr*>(&address), sizeof address));
            TelemetrySample sample = before;
            const int fields = receiver.ReceiveInto(sample);
            EXPECT_TRUE(SameShownFields(before, sample)) << "burst " << burst << ", " << d.size() << " bytes: "
                                                          << d.substr(0, 40);
            if (d.size() > kLargestAcceptedDatagram) {
                EXPECT_EQ(-1, fields) << d.size() << " bytes";
            }
        }
    }
    close(sendFd);
}

}  // namespace
}  // namespace vareko::soak
