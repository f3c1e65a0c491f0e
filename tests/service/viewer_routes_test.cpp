// What the HTTP viewer answers, request by request: the Host and Origin
// checks, the owner's secret and cookie, the routes and the commands that
// reach the service; and where the owner's address is written.
#include <gtest/gtest.h>


#include "tools/display-service/service/viewer_access.h"
#include "tools/display-service/service/viewer_routes.h"

namespace vareko::displayservice {
namespace {

constexpr int kPort = 8643;
constexpr std::string_view kSecret = "00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff";
const std::string kOwnerCookie = OwnerCookieName(kPort) + "=" + std::string(kSecret);
const std::string kWrongCookie = OwnerCookieName(kPort) + "=" + std::string(kSecret.substr(1)) + "0";
const std::string kOtherPortCookie = OwnerCookieName(kPort + 1) + "=" + std::string(kSecret);
const std::string kOwnHost = "127.0.0.1:8643";
const std::string kOwnOrigin = "http://127.0.0.1:8643";
const std::string kOwnerUrl = OwnerUrl(kPort, kSecret);

class ViewerRoutes : public ::testing::Test {
protected:
    ViewerReply Answer(std::string_view method, std::string_view target, std::string_view cookie,
                       std::string_view origin = kOwnOrigin, std::string_view host = kOwnHost) {
        return AnswerViewerRequest({method, target, host, origin, cookie}, {kPort, kSecret}, state_);
    }
    static std::string Header(const ViewerReply& reply, std::string_view name) {
        for (const auto& [n, v] : reply.headers) {
            if (n == name) return v;
        }
        return "(none)";
    }

    ViewerState state_{[] {}};
};

TEST_F(ViewerRoutes, EveryRequestNeedsOwnHostOwnOriginForPostsAndTheOwnersCookie) {
    const struct {
        const char* method;
        std::string target;
        std::string cookie;
        std::string origin;
        std::string host;
        int status;
    } cases[] = {
        {"GET", "/", kOwnerCookie, "", kOwnHost, 200},
        {"GET", "/api/state", kOwnerCookie, "", kOwnHost, 200},
        {"GET", "/frame.png", kOwnerCookie, "", kOwnHost, 200},
        {"GET", "/events", kOwnerCookie, "", kOwnHost, 200},
        {"POST", "/api/button?index=3&down=1", kOwnerCookie, kOwnOrigin, kOwnHost, 204},
        {"POST", "/api/plug?plugged=0", "a=1; " + kOwnerCookie, kOwnOrigin, kOwnHost, 204},
        // Without the cookie, or with a wrong one, nothing is served.
        {"GET", "/", "", "", kOwnHost, 401},
        {"GET", "/api/state", kWrongCookie, "", kOwnHost, 401},
        {"GET", "/events", kOtherPortCookie, "", kOwnHost, 401},
        {"GET", "/frame.png", OwnerCookieName(kPort) + "=", "", kOwnHost, 401},
        {"POST", "/api/plug?plugged=0", "", kOwnOrigin, kOwnHost, 401},
        // The secret only counts on the owner's address, and only when right.
        {"GET", "/?key=" + std::string(kSecret.substr(2)), "", "", kOwnHost, 401},
        {"GET", "/api/state?key=" + std::string(kSecret), "", "", kOwnHost, 401},
        {"GET", "/?key=" + std::string(kSecret), "", "", kOwnHost, 303},
        // Host and Origin are checked first, cookie or not.
        {"GET", "/api/state", kOwnerCookie, "", "evil.example:8643", 403},
        {"POST", "/api/plug?plugged=0", kOwnerCookie, "http://evil.example", kOwnHost, 403},
        {"POST", "/api/plug?plugged=0", kOwnerCookie, "", kOwnHost, 403},
        {"GET", "/?key=" + std::string(kSecret), "", "", "localhost.evil.example:8643", 403},
        // Routes.
        {"GET", "/nothing", kOwnerCookie, "", kOwnHost, 404},
        {"POST", "/api/state", kOwnerCookie, kOwnOrigin, kOwnHost, 405},
        {"GET", "/api/plug?plugged=0", kOwnerCookie, "", kOwnHost, 405},
        {"POST", "/api/button?index=4&down=1", kOwnerCookie, kOwnOrigin, kOwnHost, 400},
        {"POST", "/api/plug?plugged=2", kOwnerCookie, kOwnOrigin, kOwnHost, 400},
    };
    for (const auto& c : cases) {
        const ViewerReply reply = Answer(c.method, c.target, c.cookie, c.origin, c.host);
        EXPECT_EQ(reply.status, c.status) << c.method << " " << c.target << " cookie " << c.cookie;
        EXPECT_EQ(Header(reply, "X-Frame-Options"), "DENY") << c.target;
        EXPECT_EQ(reply.owner, c.status != 401 && c.status != 403) << c.target;
    }
}

TEST_F(ViewerRoutes, RefusalsSayHowToGetTheOwnersAddress) {
    const ViewerReply reply = Answer("GET", "/", "");
    EXPECT_EQ(reply.status, 401);
    EXPECT_NE(reply.body.find("vareko-display url"), std::string::npos);
    EXPECT_EQ(reply.body.find('\n'), reply.body.size() - 1) << "one line";
}

TEST_F(ViewerRoutes, OwnersAddressTradesTheSecretForACookieAndRedirects) {
    const ViewerReply reply = Answer("GET", kOwnerUrl.substr(kOwnerUrl.find("/?")), "");
    EXPECT_EQ(reply.status, 303);
    EXPECT_EQ(Header(reply, "Location"), "/");
    EXPECT_EQ(Header(reply, "Set-Cookie"), kOwnerCookie + "; HttpOnly; SameSite=Strict; Path=/");
    EXPECT_EQ(kOwnerUrl, "http://127.0.0.1:8643/?key=" + std::string(kSecret));
}

TEST_F(ViewerRoutes, OnlyAcceptedPostsReachTheService) {
    Answer("POST", "/api/button?index=2&down=1", "");
    Answer("POST", "/api/button?index=2&down=1", kOwnerCookie, "http://evil.example");
    Answer("POST", "/api/button?index=2&down=1", kOwnerCookie);
    Answer("POST", "/api/plug?plugged=0", kOwnerCookie);
    const std::vector<ViewerCommand> commands = state_.TakeCommands();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].kind, ViewerCommand::Kind::kButton);
    EXPECT_EQ(commands[0].button, 2u);
    EXPECT_TRUE(commands[0].on);
    EXPECT_EQ(commands[1].kind, ViewerCommand::Kind::kPlug);
    EXPECT_FALSE(commands[1].on);
}

TEST(ViewerAccess, OwnersAddressLivesBesideTheTokenFile) {
    EXPECT_EQ(OwnerUrlPath("/run/user/1000/vareko/display.token"), "/run/user/1000/vareko/display.viewer");
    EXPECT_EQ(OwnerUrlPath("/tmp/x/mine"), "/tmp/x/mine.viewer");
    EXPECT_EQ(OwnerUrlPath(".token"), ".token.viewer");
}

}  // namespace
}  // namespace vareko::displayservice
