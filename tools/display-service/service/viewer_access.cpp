// The owner's address, its file name and its cookie.
#include "tools/display-service/service/viewer_access.h"

#include <cstdint>
#include <span>

#include "tools/display-service/protocol/token_file.h"

namespace vareko::displayservice {

std::string OwnerUrl(int port, std::string_view secret) { return OwnerUrl("127.0.0.1", port, secret); }

std::string OwnerUrl(std::string_view host, int port, std::string_view secret, bool secure) {
    return (secure ? "https://" : "http://") + std::string(host) + ":" + std::to_string(port) + "/?" +
           std::string(kOwnerKeyParameter) + "=" + std::string(secret);
}

std::string OwnerUrlPath(const std::string& tokenPath) {
    constexpr std::string_view kTokenSuffix = ".token";
    const std::string_view path = tokenPath;
    const bool hasSuffix = path.size() > kTokenSuffix.size() && path.ends_with(kTokenSuffix);
    return std::string(hasSuffix ? path.substr(0, path.size() - kTokenSuffix.size()) : path) + ".viewer";
}

std::string OwnerCookieName(int port) { return "vareko_viewer_" + std::to_string(port); }

std::string OwnerCookie(int port, std::string_view secret, bool secure) {
    return OwnerCookieName(port) + "=" + std::string(secret) + "; HttpOnly; SameSite=Strict; Path=/" +
           (secure ? "; Secure" : "");
}

bool IsOwnerSecret(std::string_view presented, std::string_view secret) {
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(presented.data()),
                                              presented.size());
    return !secret.empty() && TokensMatch(bytes, secret);
}

}  // namespace vareko::displayservice
