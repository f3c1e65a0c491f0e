// The viewer's secret outlives one run of the service: it is kept in
// "display.viewer-secret" beside the token file (private to the user: mode
// 0600 on POSIX, an owner-only access list on Windows), so a restarted
// service lets back in every browser that opened its address, until
// `vareko-display rotate-secret` draws a new one. On Linux the runtime
// directory that holds it is cleared at logout, which draws a new one too.
#pragma once

#include <string>

namespace vareko::displayservice {

// "display.token" -> "display.viewer-secret"; any other name gets
// ".viewer-secret" added.
std::string ViewerSecretPath(const std::string& tokenPath);

// The kept secret when the file is a regular file of this user's, with no
// access for group or others, holding 64 lowercase hex digits and a newline;
// otherwise a new one, written there. Empty string or the reason.
std::string KeptViewerSecret(const std::string& path, std::string& secret);

// A new secret from the system's random source, written to `path`.
std::string DrawViewerSecret(const std::string& path, std::string& secret);

}  // namespace vareko::displayservice
