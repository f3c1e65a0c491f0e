// The HTTP viewer's Host and Origin checks and its JSON picture.
#include <gtest/gtest.h>

#include "tools/display-service/viewer_requests.h"

namespace vareko::displayservice {
namespace {

TEST(ViewerRequests, OnlyLocalHostOnOurPortIsAllowed) {
    const struct {
        const char* host;
        bool allowed;
    } cases[] = {
        {"127.0.0.1:8643", true},   {"localhost:8643", true},   {"LocalHost:8643", true},
        {"127.0.0.1", false},       {"127.0.0.1:8644", false},  {"127.0.0.1:86430", false},
        {"evil.example:8643", false}, {"localhost.evil.example:8643", false}, {"", false},
        {"127.0.0.1:8643.evil", false}, {"[::1]:8643", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsAllowedHost(c.host, 8643), c.allowed) << c.host;
}

TEST(ViewerRequests, OnlyOurOwnOriginMayChangeState) {
    const struct {
        const char* origin;
        bool allowed;
    } cases[] = {
        {"http://127.0.0.1:8643", true}, {"http://localhost:8643", true}, {"", false}, {"null", false},
        {"https://127.0.0.1:8643", false}, {"http://evil.example", false}, {"http://127.0.0.1:9999", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsAllowedOrigin(c.origin, 8643), c.allowed) << c.origin;
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
