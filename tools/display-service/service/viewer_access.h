// Who may use the HTTP viewer: whoever holds the secret that the service
// draws at each start and writes, as the viewer's address, to a file only
// its user can read. Opening that address trades the secret for a cookie;
// every other request must carry the cookie. Standard library only.
#pragma once

#include <string>
#include <string_view>

namespace vareko::displayservice {

// The query parameter of the owner's address that carries the secret.
constexpr std::string_view kOwnerKeyParameter = "key";

// The owner's address: http://127.0.0.1:PORT/?key=SECRET
std::string OwnerUrl(int port, std::string_view secret);
// The same on another address, written as a URL writes it ("192.0.2.7",
// "[2001:db8::7]").
// `secure`: https://, the viewer speaking TLS.
std::string OwnerUrl(std::string_view host, int port, std::string_view secret, bool secure = false);
// The file that holds the owner's address, beside the token file:
// "display.token" -> "display.viewer"; any other name gets ".viewer" added.
std::string OwnerUrlPath(const std::string& tokenPath);

// Cookies are kept per host, not per port: the name carries the port so that
// two viewers on one machine do not overwrite each other's cookie.
std::string OwnerCookieName(int port);
// The Set-Cookie value that the owner's address answers with; under TLS
// marked Secure, so that no browser ever sends it over plain HTTP.
std::string OwnerCookie(int port, std::string_view secret, bool secure = false);

// Compares in time that does not depend on where the two differ.
bool IsOwnerSecret(std::string_view presented, std::string_view secret);

}  // namespace vareko::displayservice
