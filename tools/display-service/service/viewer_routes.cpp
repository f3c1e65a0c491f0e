// Checks in order: our own Host (403), our own Origin on state changes
// (403), the owner's secret or cookie (401), then the route (404/405).
#include "tools/display-service/service/viewer_routes.h"

#include "platform/image/png_file.h"
#include "tools/display-service/service/viewer_access.h"
#include "tools/display-service/service/viewer_page.h"
#include "tools/display-service/service/viewer_requests.h"

namespace vareko::displayservice {
namespace {

constexpr int kPngScale = 4;
// Enforced beside the frame headers' policy, which forbids framing.
constexpr const char* kPagePolicy = "default-src 'self'; script-src 'unsafe-inline'; style-src 'unsafe-inline'";

bool ParseFlag(std::string_view target, std::string_view name, bool& value) {
    std::string_view text;
    if (!QueryValue(target, name, text) || (text != "0" && text != "1")) return false;
    value = text == "1";
    return true;
}

void ServePage(const ViewerRequest&, ViewerState&, ViewerReply& reply) {
    reply.contentType = "text/html; charset=utf-8";
    reply.body = kViewerPage;
    reply.headers.emplace_back("Content-Security-Policy", kPagePolicy);
}

void ServeState(const ViewerRequest&, ViewerState& state, ViewerReply& reply) {
    reply.contentType = "application/json";
    reply.body = PictureToJson(state.Latest());
}

void ServePng(const ViewerRequest&, ViewerState& state, ViewerReply& reply) {
    const ViewerPicture picture = state.Latest();
    std::uint8_t grey[kDevicePixelBytes];
    for (std::size_t i = 0; i < kDevicePixelBytes; ++i) grey[i] = IsWhitePixel(picture.pixels[i]) ? 255 : 0;
    std::vector<std::uint8_t> png;
    if (platform::EncodeGreyPng(png, grey, kDisplayWidth, kDisplayHeight, kDisplayWidth, kPngScale) !=
        platform::PngResult::kOk) {
        reply = PlainReply(500, "cannot encode the picture\n");
        return;
    }
    reply.contentType = "image/png";
    reply.body.assign(png.begin(), png.end());
}

void OpenEvents(const ViewerRequest&, ViewerState&, ViewerReply& reply) {
    reply.contentType = "text/event-stream";
    reply.eventStream = true;
}

void PressButton(const ViewerRequest& request, ViewerState& state, ViewerReply& reply) {
    bool down = false;
    std::string_view index;
    if (!ParseFlag(request.target, "down", down) || !QueryValue(request.target, "index", index) ||
        index.size() != 1 || index[0] < '0' || index[0] > '3') {
        reply = PlainReply(400, "expected index=0..3 and down=0|1\n");
        return;
    }
    state.PostCommand({ViewerCommand::Kind::kButton, static_cast<std::uint32_t>(index[0] - '0'), down});
    reply.status = 204;
}

void SetPlug(const ViewerRequest& request, ViewerState& state, ViewerReply& reply) {
    bool plugged = false;
    if (!ParseFlag(request.target, "plugged", plugged)) {
        reply = PlainReply(400, "expected plugged=0|1\n");
        return;
    }
    state.PostCommand({ViewerCommand::Kind::kPlug, 0, plugged});
    reply.status = 204;
}

using Handler = void (*)(const ViewerRequest&, ViewerState&, ViewerReply&);
struct Route {
    std::string_view method;
    std::string_view path;
    Handler handler;
};
constexpr Route kRoutes[] = {
    {"GET", "/", ServePage},          {"GET", "/api/state", ServeState},    {"GET", "/frame.png", ServePng},
    {"GET", "/events", OpenEvents},   {"POST", "/api/button", PressButton}, {"POST", "/api/plug", SetPlug},
};

ViewerReply RouteOwnerRequest(const ViewerRequest& request, ViewerState& state) {
    const std::string_view path = TargetPath(request.target);
    bool pathKnown = false;
    for (const auto& route : kRoutes) {
        if (route.path != path) continue;
        pathKnown = true;
        if (route.method != request.method) continue;
        ViewerReply reply;
        reply.headers.emplace_back("Cache-Control", "no-store");
        for (const auto& [name, value] : kFrameHeaders) reply.headers.emplace_back(name, value);
        route.handler(request, state, reply);
        return reply;
    }
    return pathKnown ? PlainReply(405, "method not allowed\n") : PlainReply(404, "not found\n");
}

}  // namespace

const std::pair<const char*, const char*> kFrameHeaders[2] = {
    {"X-Frame-Options", "DENY"},
    {"Content-Security-Policy", "frame-ancestors 'none'"},
};

ViewerReply PlainReply(int status, std::string_view reason) {
    ViewerReply reply;
    reply.status = status;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = reason;
    for (const auto& [name, value] : kFrameHeaders) reply.headers.emplace_back(name, value);
    return reply;
}

ViewerReply AnswerViewerRequest(const ViewerRequest& request, const ViewerAccess& access, ViewerState& state) {
    if (!IsAllowedHost(request.host, access.address, access.port)) return PlainReply(403, "foreign Host refused\n");
    const bool changesState = request.method != "GET" && request.method != "HEAD";
    if (changesState && !IsAllowedOrigin(request.origin, access.address, access.port, access.secure)) {
        return PlainReply(403, "foreign Origin refused\n");
    }

    std::string_view key;
    if (TargetPath(request.target) == "/" && QueryValue(request.target, kOwnerKeyParameter, key)) {
        if (!IsOwnerSecret(key, access.secret)) return PlainReply(401, kRefusedStaleKey);
        // Trade the secret for a cookie and drop it from the address bar.
        ViewerReply reply = PlainReply(303, "");
        reply.headers.emplace_back("Location", "/");
        reply.headers.emplace_back("Set-Cookie", OwnerCookie(access.port, access.secret, access.secure));
        reply.headers.emplace_back("Cache-Control", "no-store");
        reply.owner = true;
        return reply;
    }
    std::string_view cookie;
    if (!CookieValue(request.cookie, OwnerCookieName(access.port), cookie)) return PlainReply(401, kRefusedStranger);
    if (!IsOwnerSecret(cookie, access.secret)) return PlainReply(401, kRefusedStaleKey);
    ViewerReply reply = RouteOwnerRequest(request, state);
    reply.owner = true;
    return reply;
}

std::string EventStreamHead(const ViewerReply& reply) {
    std::string head = "HTTP/1.1 200 OK\r\nContent-Type: " + reply.contentType + "\r\nConnection: close\r\n";
    for (const auto& [name, value] : reply.headers) head.append(name).append(": ").append(value).append("\r\n");
    return head.append("\r\n");
}

}  // namespace vareko::displayservice
