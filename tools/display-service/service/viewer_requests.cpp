// Host/Origin checks and picture JSON for the HTTP viewer.
#include "tools/display-service/service/viewer_requests.h"

#include <cstdio>

namespace vareko::displayservice {
namespace {

constexpr std::string_view kLoopbackHomes[] = {"127.0.0.1", "[::1]"};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char ch) { return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string Base64(const std::uint8_t* data, std::size_t size) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    for (std::size_t i = 0; i < size; i += 3) {
        const std::uint32_t b0 = data[i];
        const std::uint32_t b1 = i + 1 < size ? data[i + 1] : 0;
        const std::uint32_t b2 = i + 2 < size ? data[i + 2] : 0;
        const std::uint32_t triple = (b0 << 16) | (b1 << 8) | b2;
        out += kAlphabet[(triple >> 18) & 63];
        out += kAlphabet[(triple >> 12) & 63];
        out += i + 1 < size ? kAlphabet[(triple >> 6) & 63] : '=';
        out += i + 2 < size ? kAlphabet[triple & 63] : '=';
    }
    return out;
}

}  // namespace

bool IsAllowedHost(std::string_view host, std::string_view address, int port) {
    // Appended rather than "+": GCC 12's optimiser reports a false overlap there.
    std::string suffix(1, ':');
    suffix += std::to_string(port);
    if (host.size() <= suffix.size() || host.substr(host.size() - suffix.size()) != suffix) return false;
    const std::string_view name = host.substr(0, host.size() - suffix.size());
    if (EqualsIgnoringCase(name, address)) return true;
    if (!EqualsIgnoringCase(name, "localhost")) return false;
    for (std::string_view home : kLoopbackHomes) {
        if (address == home) return true;
    }
    return false;
}

bool IsAllowedOrigin(std::string_view origin, std::string_view address, int port, bool secure) {
    const std::string_view scheme = secure ? "https://" : "http://";
    if (origin.substr(0, scheme.size()) != scheme) return false;
    return IsAllowedHost(origin.substr(scheme.size()), address, port);
}

std::string_view TargetPath(std::string_view target) { return target.substr(0, target.find('?')); }

bool QueryValue(std::string_view target, std::string_view name, std::string_view& value) {
    const std::size_t question = target.find('?');
    if (question == std::string_view::npos) return false;
    std::string_view rest = target.substr(question + 1);
    while (!rest.empty()) {
        const std::size_t amp = rest.find('&');
        const std::string_view pair = rest.substr(0, amp);
        const std::size_t equals = pair.find('=');
        if (pair.substr(0, equals) == name) {
            value = equals == std::string_view::npos ? std::string_view{} : pair.substr(equals + 1);
            return true;
        }
        if (amp == std::string_view::npos) break;
        rest.remove_prefix(amp + 1);
    }
    return false;
}

bool CookieValue(std::string_view header, std::string_view name, std::string_view& value) {
    while (!header.empty()) {
        const std::size_t semicolon = header.find(';');
        std::string_view pair = header.substr(0, semicolon);
        while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
        const std::size_t equals = pair.find('=');
        if (equals != std::string_view::npos && pair.substr(0, equals) == name) {
            value = pair.substr(equals + 1);
            return true;
        }
        if (semicolon == std::string_view::npos) break;
        header.remove_prefix(semicolon + 1);
    }
    return false;
}

std::string JsonEscape(std::string_view text) {
    std::string out;
    for (const char ch : text) {
        switch (ch) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '<': out += "\\u003c"; break;  // never closes a script element
            default:
                if (static_cast<unsigned char>(ch) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(ch));
                    out += escaped;
                } else {
                    out += ch;
                }
        }
    }
    return out;
}

std::string PictureToJson(const ViewerPicture& picture) {
    constexpr std::size_t kRowBytes = kDisplayWidth / 8;
    std::uint8_t packed[kRowBytes * kDisplayHeight] = {};
    for (int y = 0; y < kDisplayHeight; ++y) {
        for (int x = 0; x < kDisplayWidth; ++x) {
            if (IsWhitePixel(picture.pixels[static_cast<std::size_t>(y) * kDisplayWidth + static_cast<std::size_t>(x)])) {
                packed[static_cast<std::size_t>(y) * kRowBytes + static_cast<std::size_t>(x / 8)] |=
                    static_cast<std::uint8_t>(0x80u >> (x % 8));
            }
        }
    }
    std::string json = "{\"generation\":" + std::to_string(picture.generation) +
                       ",\"plugged\":" + (picture.plugged ? "true" : "false") +
                       ",\"buttons\":" + std::to_string(picture.buttons) +
                       ",\"shown\":" + std::to_string(picture.shownClientId) +
                       ",\"pixels\":\"" + Base64(packed, sizeof packed) + "\",\"clients\":[";
    for (std::size_t i = 0; i < picture.clients.size(); ++i) {
        const ViewerClient& c = picture.clients[i];
        char fps[32];
        std::snprintf(fps, sizeof fps, "%.1f", c.framesPerSecond);
        json += (i == 0 ? "" : ",");
        json += "{\"id\":" + std::to_string(c.id) + ",\"name\":\"" + JsonEscape(c.name) +
                "\",\"pid\":" + std::to_string(c.pid) + ",\"priority\":" + std::to_string(c.priority) +
                ",\"fps\":" + fps + ",\"device\":" + (c.deviceOpen ? "true" : "false") +
                ",\"shown\":" + (c.shown ? "true" : "false") + "}";
    }
    json += "]}";
    return json;
}

}  // namespace vareko::displayservice
