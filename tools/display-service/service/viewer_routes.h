// What the HTTP viewer answers to one parsed request, apart from any socket:
// the Host and Origin checks, the owner's secret and cookie, and the routes
// (page, state, PNG, event stream, button and plug). The server around it
// only parses, bounds and writes. Standard library and the viewer state.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/display-service/service/viewer_state.h"

namespace vareko::displayservice {

struct ViewerRequest {
    std::string_view method;  // "GET", "POST", ...
    std::string_view target;  // "/api/plug?plugged=0"
    std::string_view host;
    std::string_view origin;
    std::string_view cookie;  // the Cookie header, all of it
};

struct ViewerAccess {
    int port = 0;
    std::string_view secret;
    std::string_view address = "127.0.0.1";  // where the connection came in, as a URL writes it
    bool secure = false;                     // served over TLS
};

struct ViewerReply {
    int status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;  // beside Content-Type and Content-Length
    bool owner = false;        // the request carried the owner's secret or cookie
    bool eventStream = false;  // the server turns the connection into an /events stream
};

// Refuses or routes the request; POSTs that pass every check reach `state`.
ViewerReply AnswerViewerRequest(const ViewerRequest& request, const ViewerAccess& access, ViewerState& state);

// A plain-text reply with the frame headers: the refusals (4xx with a
// one-line reason, also of requests the server would not read) and redirects.
ViewerReply PlainReply(int status, std::string_view reason);

// The bodies of the 401 answers, one line each: a request with neither the
// secret nor the cookie, and one whose key or cookie is not (or no longer)
// the secret.
constexpr std::string_view kRefusedStranger =
    "this viewer answers only its owner: open the address that `vareko-display url` prints\n";
constexpr std::string_view kRefusedStaleKey =
    "this browser's key is not the viewer's secret (it was changed with `vareko-display rotate-secret`): "
    "open the address that `vareko-display url` prints\n";

// Sent on every reply: no other site may show the viewer in a frame.
extern const std::pair<const char*, const char*> kFrameHeaders[2];

// The status line and headers that open an /events stream, which runs until
// either side closes the connection.
std::string EventStreamHead(const ViewerReply& reply);

}  // namespace vareko::displayservice
