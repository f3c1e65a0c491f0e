// Another local user holding 2,000 idle connections to the service's TCP port
// cannot take the display away from its owner: the owner's program stays
// shown, `vareko-display status` answers within a second, the owner's
// programs over TCP still get in, and the service stays idle (under 5 % of a
// core), both with a desktop's usual descriptor limit and with one so small
// that the flood uses up the service's descriptors. The real service runs as
// a child process.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "tests/service/flood_harness.h"
#include "tests/service/other_user.h"
#include "tests/service/service_harness.h"
#include "tools/display-service/service/drop_log.h"
#include "tools/display-service/library/link_client.h"
#include "tools/display-service/protocol/token_file.h"

namespace vareko::displayservice::testing {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kIdleConnections = 2000;
constexpr auto kMeasured = std::chrono::seconds(3);

// `vareko-display status`: its output, or nothing when it failed.
std::string StatusText() {
    const std::string command = std::string(VAREKO_DISPLAY_TOOL_PATH) + " status 2>/dev/null";
    FILE* out = popen(command.c_str(), "r");
    if (out == nullptr) return {};
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, out) != nullptr) text += buffer;
    return pclose(out) == 0 ? text : std::string();
}

// The owner's program over loopback TCP (as under Wine) gets through within
// a second; LinkConnect waits only 10 ms for its answer, so it is retried.
bool OwnerConnectsOverTcp() {
    LinkClient app{ConnectTcpTransport};
    app.Init();
    return Eventually(
        [&] {
            link::ConnectionRecord connection{};
            return app.Connect(&connection) == link::kLinkOk;
        },
        std::chrono::milliseconds(1000));
}

std::size_t LineCount(const std::string& path) {
    std::ifstream in(path);
    std::size_t lines = 0;
    for (std::string line; std::getline(in, line);) ++lines;
    return lines;
}

TEST(ListenerFlood, AnotherUsersIdleTcpConnectionsLeaveTheOwnerServed) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    rlimit own{};
    getrlimit(RLIMIT_NOFILE, &own);
    if (own.rlim_max < kIdleConnections + 100) GTEST_SKIP() << "the hard descriptor limit is below the flood";
    const struct {
        const char* what;
        rlim_t descriptorLimit;
    } cases[] = {
        {"a desktop's descriptor limit", 1024},
        // The service's own descriptors and its reserve take about 26 of
        // these: the flood runs it out, and only the reserve lets the owner in.
        {"a limit the flood uses up", 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempSocketDir dir;
        const std::string logPath = dir.Dir() + "/service.log";
        ChildProcess service(VAREKO_DISPLAY_TOOL_PATH, {"serve", "--no-http"}, {c.descriptorLimit, c.descriptorLimit},
                             logPath);
        TokenFile token;
        ASSERT_TRUE(Eventually([&] { return ReadTokenFile(dir.Dir() + "/display.token", token); }));

        LinkClient app;
        app.Init();
        link::ConnectionRecord connection{};
        ASSERT_EQ(app.Connect(&connection), link::kLinkOk);
        link::OpenRecord open{};
        open.connection = connection.connection;
        ASSERT_EQ(app.Open(&open), link::kLinkOk);
        DeviceBitmap frame{};
        frame.format = kDeviceBitmapFormat;
        ASSERT_EQ(app.Update(open.device, &frame, 10), link::kLinkOk);

        IdleTcpFlood flood(UnusedUid(61800), token.port, kIdleConnections);
        ASSERT_EQ(flood.Started(), kIdleConnections);
        const double cpuBefore = CpuSeconds(service.Pid());
        const auto start = Clock::now();
        double slowestStatusMs = 0;
        std::string status;
        int tcpTries = 0;
        int tcpConnects = 0;
        while (Clock::now() - start < kMeasured) {
            ASSERT_EQ(app.Update(open.device, &frame, 10), link::kLinkOk);
            const auto asked = Clock::now();
            status = StatusText();
            ASSERT_FALSE(status.empty()) << "status failed";
            slowestStatusMs = std::max(
                slowestStatusMs, std::chrono::duration<double, std::milli>(Clock::now() - asked).count());
            ++tcpTries;
            if (OwnerConnectsOverTcp()) ++tcpConnects;
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double coreShare = (CpuSeconds(service.Pid()) - cpuBefore) / seconds;
        std::printf("[ measured ] %s: service %.1f %% of a core, slowest status %.0f ms, tcp %d of %d\n", c.what,
                    100 * coreShare, slowestStatusMs, tcpConnects, tcpTries);
        EXPECT_LT(coreShare, 0.05);
        EXPECT_LT(slowestStatusMs, 1000);
        EXPECT_THAT(status, ::testing::HasSubstr(", shown"));
        EXPECT_EQ(tcpConnects, tcpTries);
        // The flood is logged, within the rate limit.
        EXPECT_GE(LineCount(logPath), 1u);
        EXPECT_LE(LineCount(logPath), static_cast<std::size_t>(kDropLinesPerWindow) + 1);
    }
}

TEST(ListenerFlood, TheServiceRaisesItsSoftDescriptorLimitToTheHardOne) {
    rlimit own{};
    getrlimit(RLIMIT_NOFILE, &own);
    if (own.rlim_max <= 256) GTEST_SKIP() << "the hard descriptor limit leaves nothing to raise";
    TempSocketDir dir;
    ChildProcess service(VAREKO_DISPLAY_TOOL_PATH, {"serve", "--no-http", "--no-tcp"}, {256, own.rlim_max},
                         dir.Dir() + "/service.log");
    ASSERT_TRUE(Eventually([&] { return access(dir.SocketPath().c_str(), F_OK) == 0; }));
    std::ifstream limits("/proc/" + std::to_string(service.Pid()) + "/limits");
    std::string line;
    while (std::getline(limits, line) && line.rfind("Max open files", 0) != 0) {
    }
    std::istringstream fields(line.substr(std::strlen("Max open files")));
    long soft = 0;
    long hard = 0;
    fields >> soft >> hard;
    EXPECT_EQ(soft, static_cast<long>(own.rlim_max));
    EXPECT_EQ(hard, static_cast<long>(own.rlim_max));
}

}  // namespace
}  // namespace vareko::displayservice::testing
