// The HTTP viewer's Host and Origin checks and its JSON picture.
#include <gtest/gtest.h>

#include "tools/display-service/service/viewer_requests.h"

namespace vareko::displayservice {
namespace {

TEST(ViewerRequests, OnlyTheAddressOfTheConnectionOnOurPortIsAllowed) {
    const struct {
        const char* address;  // where the connection came in
        const char* host;
        bool allowed;
    } cases[] = {
        {"127.0.0.1", "127.0.0.1:8643", true},      {"127.0.0.1", "localhost:8643", true},
        {"127.0.0.1", "LocalHost:8643", true},      {"127.0.0.1", "127.0.0.1", false},
        {"127.0.0.1", "127.0.0.1:8644", false},     {"127.0.0.1", "127.0.0.1:86430", false},
        {"127.0.0.1", "evil.example:8643", false},  {"127.0.0.1", "localhost.evil.example:8643", false},
        {"127.0.0.1", "", false},                   {"127.0.0.1", "127.0.0.1:8643.evil", false},
        {"127.0.0.1", "[::1]:8643", false},         {"127.0.0.1", "127.0.0.2:8643", false},
        {"[::1]", "[::1]:8643", true},              {"[::1]", "localhost:8643", true},
        // A network address answers to itself only: a name there could be
        // anyone's name for it (DNS rebinding).
        {"192.0.2.7", "192.0.2.7:8643", true},      {"192.0.2.7", "localhost:8643", false},
        {"192.0.2.7", "127.0.0.1:8643", false},     {"192.0.2.7", "panel.example:8643", false},
        {"127.0.0.2", "127.0.0.2:8643", true},      {"127.0.0.2", "localhost:8643", false},
        {"[2001:db8::7]", "[2001:DB8::7]:8643", true}, {"[2001:db8::7]", "2001:db8::7:8643", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsAllowedHost(c.host, c.address, 8643), c.allowed) << c.address << " " << c.host;
}

TEST(ViewerRequests, OnlyOurOwnOriginMayChangeState) {
    const struct {
        const char* origin;
        const char* address;
        bool secure;
        bool allowed;
    } cases[] = {
        {"http://127.0.0.1:8643", "127.0.0.1", false, true},  {"http://localhost:8643", "127.0.0.1", false, true},
        {"", "127.0.0.1", false, false},                      {"null", "127.0.0.1", false, false},
        {"https://127.0.0.1:8643", "127.0.0.1", false, false}, {"http://evil.example", "127.0.0.1", false, false},
        {"http://127.0.0.1:9999", "127.0.0.1", false, false}, {"http://192.0.2.7:8643", "192.0.2.7", false, true},
        {"http://127.0.0.1:8643", "192.0.2.7", false, false}, {"https://192.0.2.7:8643", "192.0.2.7", true, true},
        {"http://192.0.2.7:8643", "192.0.2.7", true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsAllowedOrigin(c.origin, c.address, 8643, c.secure), c.allowed) << c.origin << " " << c.address;
    }
}

TEST(ViewerRequests, QueryAndCookieValuesAreFoundByExactName) {
    using Lookup = bool (*)(std::string_view, std::string_view, std::string_view&);
    const struct {
        Lookup lookup;
        const char* text;
        const char* name;
        bool found;
        const char* value;
    } cases[] = {
        {QueryValue, "/api/plug?plugged=0", "plugged", true, "0"},
        {QueryValue, "/api/button?index=2&down=1", "down", true, "1"},
        {QueryValue, "/api/button?index=2&down=1", "index", true, "2"},
        {QueryValue, "/?key=", "key", true, ""},
        {QueryValue, "/?key", "key", true, ""},
        {QueryValue, "/?monkey=1", "key", false, ""},
        {QueryValue, "/?keys=1", "key", false, ""},
        {QueryValue, "/key=1", "key", false, ""},
        {QueryValue, "/", "key", false, ""},
        {QueryValue, "/?a=1&&key=9", "key", true, "9"},
        {CookieValue, "v_1=abc", "v_1", true, "abc"},
        {CookieValue, "a=1; v_1=abc; b=2", "v_1", true, "abc"},
        {CookieValue, "a=1;v_1=x", "v_1", true, "x"},
        {CookieValue, "xv_1=abc", "v_1", false, ""},
        {CookieValue, "v_12=abc", "v_1", false, ""},
        {CookieValue, "", "v_1", false, ""},
        {CookieValue, "v_1", "v_1", false, ""},
    };
    for (const auto& c : cases) {
        std::string_view value;
        EXPECT_EQ(c.lookup(c.text, c.name, value), c.found) << c.text;
        EXPECT_EQ(value, c.found ? c.value : "") << c.text;
    }
    EXPECT_EQ(TargetPath("/api/plug?plugged=0"), "/api/plug");
    EXPECT_EQ(TargetPath("/"), "/");
}

TEST(ViewerRequests, PicturePacksPixelsByThresholdAndEscapesNames) {
    ViewerPicture p;
    p.generation = 3;
    p.pixels[0] = 129;  // white
    p.pixels[1] = 128;  // black
    p.pixels[7] = 255;
    p.clients.push_back({4, "a\"b\\c</script>\n", 99, 128, 59.94, true, true});
    const std::string json = PictureToJson(p);
    // First byte 0b10000001 = 0x81; base64 of 0x81 0x00 0x00 is "gQAA".
    EXPECT_NE(json.find("\"pixels\":\"gQAA"), std::string::npos) << json.substr(0, 80);
    EXPECT_NE(json.find(R"("name":"a\"b\\c\u003c/script>\u000a")"), std::string::npos);
    EXPECT_NE(json.find("\"fps\":59.9,"), std::string::npos);
    EXPECT_NE(json.find("\"generation\":3,"), std::string::npos);
}

}  // namespace
}  // namespace vareko::displayservice
