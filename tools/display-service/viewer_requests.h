// Pure helpers of the HTTP viewer: which Host and Origin headers are ours
// (the viewer answers only to 127.0.0.1 / localhost on its own port, so that
// no other web page can read the panel or press buttons through a browser),
// and the JSON form of a published picture. Standard library only.
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
std::string PictureToJson(const ViewerPicture& picture);

std::string JsonEscape(std::string_view text);

}  // namespace vareko::displayservice
