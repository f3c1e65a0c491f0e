// The viewer on addresses beside 127.0.0.1: which sockets a list of
// --viewer-listen addresses becomes, and a real service on 127.0.0.2 (every
// machine's loopback interface has it): the secret guards every route there
// too, its Host is its own, and a flood there leaves the loopback viewer's
// places and the Unix socket alone. With 0.0.0.0 the test needs a network
// namespace of its own (no interface but lo), which CTest also runs it in.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/un.h>

#include <string>
#include <vector>

#include "tests/service/served_viewer.h"
#include "tools/display-service/service/control_client.h"
#include "tools/display-service/service/interface_addresses.h"
#include "tools/display-service/service/viewer_listeners.h"
#include "tools/display-service/service/viewer_routes.h"

namespace vareko::displayservice {
namespace {

using namespace std::chrono_literals;
using testing::ConnectLoopback;
using testing::PeerClosed;
using testing::ReceiveUntilClosed;
using testing::SendAll;
using testing::ServedViewer;
using testing::ToolOutput;

std::string Plan(const std::vector<std::string>& listen) {
    std::vector<ViewerEndpoint> endpoints;
    std::string error;
    if (!PlanViewerEndpoints(listen, endpoints, error)) return "error";
    std::string text;
    for (const ViewerEndpoint& e : endpoints) text += (text.empty() ? "" : " ") + e.address.to_string() + (e.v6Only ? "/v6only" : "");
    return text;
}

TEST(ViewerListeners, AddressesBecomeSocketsWithWildcardsInPlaceOfWhatTheyCover) {
    const struct {
        std::vector<std::string> listen;
        const char* sockets;
    } cases[] = {
        {{}, "127.0.0.1"},
        {{"127.0.0.2"}, "127.0.0.1 127.0.0.2"},
        {{"127.0.0.1", "192.0.2.7", "192.0.2.7"}, "127.0.0.1 192.0.2.7"},
        {{"::ffff:192.0.2.7"}, "127.0.0.1 192.0.2.7"},
        {{"0.0.0.0"}, "0.0.0.0"},
        {{"192.0.2.7", "0.0.0.0", "2001:db8::7"}, "0.0.0.0 2001:db8::7"},
        {{"::"}, "::"},  // takes IPv4 too
        {{"::", "192.0.2.7", "::1"}, "::"},
        {{"::", "0.0.0.0"}, "::/v6only 0.0.0.0"},
        {{"eth0"}, "error"},
        {{"192.0.2.300"}, "error"},
        {{"127.0.0.2", ""}, "error"},
    };
    for (const auto& c : cases) EXPECT_EQ(Plan(c.listen), c.sockets) << ::testing::PrintToString(c.listen);
}

// The interface lists' system socket addresses, byte order and zone kept;
// any other family is no address.
TEST(InterfaceAddresses, SocketAddressesReadBackWithTheirZone) {
    sockaddr_in v4{};
    v4.sin_family = AF_INET;
    v4.sin_addr.s_addr = htonl(0xC0000207);  // 192.0.2.7
    sockaddr_in6 v6{};
    v6.sin6_family = AF_INET6;
    inet_pton(AF_INET6, "fe80::7", &v6.sin6_addr);
    v6.sin6_scope_id = 3;
    sockaddr_un local{};
    local.sun_family = AF_UNIX;
    EXPECT_EQ(SocketAddressOf(&v4, AF_INET).value().to_string(), "192.0.2.7");
    // The zone as its number: written out, it would be the name of interface 3 where there is one.
    auto zoned = SocketAddressOf(&v6, AF_INET6).value().to_v6();
    EXPECT_EQ(zoned.scope_id(), 3u);
    zoned.scope_id(0);
    EXPECT_EQ(zoned.to_string(), "fe80::7");
    EXPECT_FALSE(SocketAddressOf(&local, AF_UNIX).has_value());
}

TEST(ViewerListeners, NetworkHostsNameWhatAnotherDeviceCanOpen) {
    namespace ip = boost::asio::ip;
    const std::vector<ip::address> interfaces = {
        ip::make_address("127.0.0.1"), ip::make_address("192.0.2.7"),   ip::make_address("::1"),
        ip::make_address("fe80::1%1"), ip::make_address("2001:db8::7"), ip::make_address("198.51.100.9"),
    };
    const auto endpoint = [](const char* address, bool v6Only = false) {
        return ViewerEndpoint{ip::make_address(address), v6Only};
    };
    const struct {
        std::vector<ViewerEndpoint> endpoints;
        std::vector<std::string> hosts;
    } cases[] = {
        {{endpoint("127.0.0.1")}, {}},
        {{endpoint("127.0.0.1"), endpoint("127.0.0.2")}, {"127.0.0.2"}},
        {{endpoint("0.0.0.0")}, {"192.0.2.7", "198.51.100.9"}},
        {{endpoint("::")}, {"192.0.2.7", "[2001:db8::7]", "198.51.100.9"}},
        {{endpoint("::", true), endpoint("0.0.0.0")}, {"[2001:db8::7]", "192.0.2.7", "198.51.100.9"}},
        {{endpoint("0.0.0.0"), endpoint("2001:db8::9")}, {"192.0.2.7", "198.51.100.9", "[2001:db8::9]"}},
    };
    for (const auto& c : cases) EXPECT_EQ(NetworkUrlHosts(c.endpoints, interfaces), c.hosts);
}

TEST(ViewerListeners, UrlHostsAreBracketedForIPv6AndUnmapped) {
    namespace ip = boost::asio::ip;
    const struct {
        const char* address;
        const char* url;
        bool home;
    } cases[] = {
        {"192.0.2.7", "192.0.2.7", false},     {"::ffff:192.0.2.7", "192.0.2.7", false},
        {"127.0.0.1", "127.0.0.1", true},      {"::ffff:127.0.0.1", "127.0.0.1", true},
        {"::1", "[::1]", true},                {"127.0.0.2", "127.0.0.2", false},
        {"fe80::1%1", "[fe80::1]", false},     {"2001:db8::7", "[2001:db8::7]", false},
    };
    for (const auto& c : cases) {
        const ip::address address = ip::make_address(c.address);
        EXPECT_EQ(UrlHost(address), c.url) << c.address;
        EXPECT_EQ(IsLoopbackHome(address), c.home) << c.address;
    }
}

std::string Answer(const ServedViewer& viewer, const char* address, const std::string& request) {
    const int fd = ConnectLoopback(viewer.Port(), address);
    if (fd < 0) return "(refused)";
    SendAll(fd, request);
    std::string answer = ReceiveUntilClosed(fd, 3000ms);
    close(fd);
    return answer;
}

// Everything a network listener answers, with and without the secret.
void ExpectGuarded(const ServedViewer& viewer, const char* network) {
    const std::string port = std::to_string(viewer.Port());
    const std::string host = std::string(network) + ":" + port;
    const auto request = [&](std::string_view methodAndPath, std::string_view hostName, bool cookie) {
        return std::string(methodAndPath) + " HTTP/1.1\r\nHost: " + std::string(hostName) +
               (cookie ? "\r\nCookie: " + viewer.Cookie() : std::string()) + "\r\nOrigin: http://" +
               std::string(hostName) + "\r\nConnection: close\r\n\r\n";
    };
    const struct {
        std::string request;
        const char* status;
    } cases[] = {
        {request("GET /", host, false), "HTTP/1.1 401"},
        {request("GET /events", host, false), "HTTP/1.1 401"},
        {request("GET /frame.png", host, false), "HTTP/1.1 401"},
        {request("GET /api/state", host, false), "HTTP/1.1 401"},
        {request("POST /api/button?index=0&down=1", host, false), "HTTP/1.1 401"},
        {request("GET /?key=" + std::string(64, '0'), host, false), "HTTP/1.1 401"},
        {request("GET /frame.png", host, true), "HTTP/1.1 200"},
        {request("GET /api/state", host, true), "HTTP/1.1 200"},
        {request("POST /api/button?index=0&down=0", host, true), "HTTP/1.1 204"},
        {request("GET /?key=" + viewer.Secret(), host, false), "HTTP/1.1 303"},
        // Another address the service listens on is not this connection's.
        {request("GET /api/state", "127.0.0.1:" + port, true), "HTTP/1.1 403"},
        {request("GET /api/state", "localhost:" + port, true), "HTTP/1.1 403"},
        {request("GET /api/state", "panel.example:" + port, true), "HTTP/1.1 403"},
    };
    for (const auto& c : cases) {
        const std::string answer = Answer(viewer, network, c.request);
        EXPECT_TRUE(answer.starts_with(c.status)) << c.request.substr(0, 50) << " -> " << answer.substr(0, 40);
    }
    EXPECT_NE(Answer(viewer, network, request("GET /?key=" + viewer.Secret(), host, false))
                  .find("Set-Cookie: " + viewer.Cookie() + ";"),
              std::string::npos);
    std::chrono::milliseconds took{};
    EXPECT_TRUE(viewer.OwnerStateAnswers(took)) << "loopback";
}

// Idle connections of someone else and more /events streams than a budget
// holds, all on `network`: the loopback viewer keeps its waiting connection
// and its stream, and the Unix socket answers.
void ExpectFloodStaysOnItsListener(const ServedViewer& viewer, const char* network) {
    constexpr int kIdle = 200;
    constexpr int kStreams = 12;
    const int loopbackIdle = ConnectLoopback(viewer.Port());
    const int loopbackStream = ConnectLoopback(viewer.Port());
    ASSERT_GE(loopbackIdle, 0);
    ASSERT_TRUE(SendAll(loopbackStream, viewer.OwnerRequest("GET /events")));
    std::this_thread::sleep_for(50ms);  // the loopback pair is the oldest of all
    std::vector<int> flood;
    for (int i = 0; i < kIdle; ++i) flood.push_back(ConnectLoopback(viewer.Port(), network));
    for (int i = 0; i < kStreams; ++i) {
        const int fd = ConnectLoopback(viewer.Port(), network);
        SendAll(fd, viewer.OwnerRequest("GET /events", network));
        flood.push_back(fd);
    }
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(PeerClosed(loopbackIdle)) << "the loopback viewer lost a waiting connection to the flood";
    EXPECT_FALSE(PeerClosed(loopbackStream)) << "the loopback viewer lost its event stream to the flood";
    // The waiting loopback connection is still served.
    ASSERT_TRUE(SendAll(loopbackIdle, viewer.OwnerRequest("GET /api/state")));
    EXPECT_TRUE(ReceiveUntilClosed(loopbackIdle, 2000ms).starts_with("HTTP/1.1 200"));
    EXPECT_NE(ReceiveUntilClosed(loopbackStream, 300ms).find("event: frame"), std::string::npos);
    ControlClient control;
    ASSERT_EQ(control.Connect(ResolveSocketPath(), 2000), "");
    StatusMessage status;
    EXPECT_TRUE(control.Request(StatusRequestMessage{}, status, 2000));
    int closedStreams = 0;
    for (int i = 0; i < kStreams; ++i) {
        const int fd = flood[kIdle + static_cast<std::size_t>(i)];
        ReceiveUntilClosed(fd, 100ms);  // what was sent before any close
        closedStreams += PeerClosed(fd) ? 1 : 0;
    }
    EXPECT_EQ(closedStreams, kStreams - 4) << "the network listener keeps its own four streams";
    for (const int fd : flood) close(fd);
    close(loopbackIdle);
    close(loopbackStream);
}

TEST(ViewerLan, ASecondLoopbackAddressIsGuardedAndItsFloodStaysThere) {
    testing::TempSocketDir dir;
    ServedViewer viewer({"--viewer-listen", "127.0.0.2"});
    ASSERT_TRUE(viewer.Running()) << viewer.Printed();
    ExpectGuarded(viewer, "127.0.0.2");
    ExpectFloodStaysOnItsListener(viewer, "127.0.0.2");
}

TEST(ViewerLan, ServeAndUrlNameTheNetworkAddressWithItsSecretAndQrCode) {
    testing::TempSocketDir dir;
    ServedViewer viewer({"--viewer-listen", "127.0.0.2"});
    ASSERT_TRUE(viewer.Running()) << viewer.Printed();
    const std::string network = "http://127.0.0.2:" + std::to_string(viewer.Port()) + "/?key=" + viewer.Secret();
    int status = -1;
    EXPECT_EQ(ToolOutput("url --lan", status), network + "\n");
    EXPECT_EQ(status, 0);
    const std::string withQr = ToolOutput("url --lan --qr", status, true);
    EXPECT_TRUE(withQr.starts_with(network + "\n")) << withQr;
    EXPECT_TRUE(withQr.find("\u2588") != std::string::npos || withQr.find("not available in this build") != std::string::npos)
        << withQr;
    EXPECT_EQ(ToolOutput("url", status).substr(0, 17), "http://127.0.0.1:");
    // serve printed the same at its start, and what plain HTTP gives away.
    EXPECT_TRUE(viewer.WaitPrinted("warning: the viewer is served on the network over plain HTTP")) << viewer.Printed();
    EXPECT_NE(viewer.Printed().find("viewer on the network " + network + "\n"), std::string::npos) << viewer.Printed();
}

TEST(ViewerLan, RotatingTheSecretShutsOutEveryHolderOfTheOldOneAndSaysWhy) {
    testing::TempSocketDir dir;
    ServedViewer viewer({"--viewer-listen", "127.0.0.2"});
    ASSERT_TRUE(viewer.Running()) << viewer.Printed();
    const int stream = ConnectLoopback(viewer.Port(), "127.0.0.2");
    ASSERT_TRUE(SendAll(stream, viewer.OwnerRequest("GET /events", "127.0.0.2")));
    ASSERT_NE(ReceiveUntilClosed(stream, 300ms).find("event: frame"), std::string::npos);

    int status = -1;
    const std::string rotated = ToolOutput("rotate-secret", status);
    ASSERT_EQ(status, 0) << rotated;
    EXPECT_EQ(ReceiveUntilClosed(stream, 2000ms), "") << "the open stream is closed";
    EXPECT_TRUE(PeerClosed(stream));
    close(stream);
    for (const char* address : {"127.0.0.1", "127.0.0.2"}) {
        const std::string answer = Answer(viewer, address, viewer.OwnerRequest("GET /api/state", address));
        EXPECT_TRUE(answer.starts_with("HTTP/1.1 401")) << answer;
        EXPECT_NE(answer.find(kRefusedStaleKey), std::string::npos) << answer;
    }
    const std::string url = ToolOutput("url", status);
    const std::string secret = url.substr(url.find("key=") + 4, 64);
    EXPECT_NE(secret, viewer.Secret());
    EXPECT_NE(rotated.find(url), std::string::npos) << "rotate-secret prints the new address: " << rotated;
    const std::string opened = Answer(viewer, "127.0.0.2", "GET /?key=" + secret + " HTTP/1.1\r\nHost: 127.0.0.2:" +
                                                              std::to_string(viewer.Port()) + "\r\n\r\n");
    EXPECT_TRUE(opened.starts_with("HTTP/1.1 303")) << opened;
}

TEST(ViewerLan, AnAddressThatCannotBeBoundEndsServeWithTheReason) {
    testing::TempSocketDir dir;
    for (const char* address : {"192.0.2.300", "198.51.100.7"}) {  // not an address; not this machine's
        const std::string command = std::string(VAREKO_DISPLAY_TOOL_PATH) +
                                    " serve --http-port 0 --no-tcp --viewer-listen " + address + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char text[512] = {};
        const std::size_t n = std::fread(text, 1, sizeof text - 1, pipe);
        const int status = pclose(pipe);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << address;
        EXPECT_NE(std::string(text, n).find(address), std::string::npos) << text;
    }
}

// True in a network namespace whose only interface is lo, which is brought
// up: only there may a test listen on every interface.
bool InPrivateNetwork() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool onlyLoopback = true;
    for (const ifaddrs* i = list; i != nullptr; i = i->ifa_next) onlyLoopback = onlyLoopback && std::strcmp(i->ifa_name, "lo") == 0;
    freeifaddrs(list);
    if (!onlyLoopback) return false;
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strcpy(request.ifr_name, "lo");
    bool up = ioctl(fd, SIOCGIFFLAGS, &request) == 0 && (request.ifr_flags & IFF_UP) != 0;
    if (!up) {
        request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
        up = ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    close(fd);
    return up;
}

TEST(ViewerLanWildcard, EveryInterfaceKeepsLoopbackApartAndAnswersEachAddressAsItself) {
    if (!InPrivateNetwork()) GTEST_SKIP() << "needs a network namespace with lo only (unshare -n)";
    testing::TempSocketDir dir;
    ServedViewer viewer({"--viewer-listen", "0.0.0.0"});
    ASSERT_TRUE(viewer.Running()) << viewer.Printed();
    ExpectGuarded(viewer, "127.0.0.3");
    ExpectFloodStaysOnItsListener(viewer, "127.0.0.3");
}

}  // namespace
}  // namespace vareko::displayservice
