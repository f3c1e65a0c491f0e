// Pure helpers of the HTTP viewer: which Host and Origin headers are ours
// (the viewer answers only to 127.0.0.1 / localhost on its own port, so that
// no other web page can read the panel or press buttons through a browser),
// the parts of a request target and a Cookie header, and the JSON form of a
// published picture. Standard library only.
#pragma once

#include <string>
#include <string_view>

#include "tools/display-service/viewer_state.h"

namespace vareko::displayservice {

bool IsAllowedHost(std::string_view host, int port);
bool IsAllowedOrigin(std::string_view origin, int port);

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
