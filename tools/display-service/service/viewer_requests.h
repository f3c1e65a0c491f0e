// Pure helpers of the HTTP viewer: which Host and Origin headers are ours
// (the viewer answers only to the address a connection came in on, with its
// own port, and on 127.0.0.1 or ::1 also to localhost, so that no other web
// page can read the panel or press buttons through a browser),
// the parts of a request target and a Cookie header, and the JSON form of a
// published picture. Standard library only.
#pragma once

#include <string>
#include <string_view>

#include "tools/display-service/service/viewer_state.h"

namespace vareko::displayservice {

// `address` is the local address of the connection as a URL writes it
// ("127.0.0.1", "[::1]", "192.0.2.7").
bool IsAllowedHost(std::string_view host, std::string_view address, int port);
// The scheme must be the viewer's own: https:// under TLS, else http://.
bool IsAllowedOrigin(std::string_view origin, std::string_view address, int port, bool secure);

// {"generation":..,"plugged":..,"buttons":..,"shown":..,"pixels":"<base64>",
//  "clients":[...]}; pixels are packed one bit per pixel, MSB first, 20 bytes
// per row, 1 = white.
// "/api/plug?plugged=0" -> "/api/plug".
std::string_view TargetPath(std::string_view target);
// The value of query parameter `name` (not decoded: the viewer's own
// parameters are digits and hex), or false when it is absent.
bool QueryValue(std::string_view target, std::string_view name, std::string_view& value);
// The value of cookie `name` in a Cookie header ("a=1; b=2"), or false.
bool CookieValue(std::string_view header, std::string_view name, std::string_view& value);

std::string PictureToJson(const ViewerPicture& picture);

std::string JsonEscape(std::string_view text);

}  // namespace vareko::displayservice
