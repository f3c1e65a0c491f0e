// Token file text and the token check.
#include "tools/display-service/protocol/token_file.h"

#include <charconv>
#include <fstream>

namespace vareko::displayservice {
bool IsTokenText(std::string_view text) {
    if (text.size() != kTokenTextBytes) return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

namespace {

bool ParsePort(std::string_view text, std::uint16_t& port) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

}  // namespace

std::string FormatTokenFile(const TokenFile& file) {
    return "port " + std::to_string(file.port) + "\ntoken " + file.token + "\n";
}

bool ParseTokenFile(std::string_view text, TokenFile& out) {
    TokenFile parsed;
    bool havePort = false;
    bool haveToken = false;
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // written by a Windows editor
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, space);
        const std::string_view value = line.substr(space + 1);
        if (key == "port") {
            if (!ParsePort(value, parsed.port)) return false;
            havePort = true;
        } else if (key == "token") {
            if (!IsTokenText(value)) return false;
            parsed.token = std::string(value);
            haveToken = true;
        }
    }
    if (!havePort || !haveToken) return false;
    out = std::move(parsed);
    return true;
}

bool ReadTokenFile(const std::string& path, TokenFile& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string text(kMaxTokenFileBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    const auto count = static_cast<std::size_t>(in.gcount());
    if (count > kMaxTokenFileBytes) return false;
    text.resize(count);
    return ParseTokenFile(text, out);
}

std::string TokenText(std::span<const std::uint8_t, kTokenRandomBytes> random) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(kTokenTextBytes);
    for (const std::uint8_t b : random) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0xF];
    }
    return text;
}

bool TokensMatch(std::span<const std::uint8_t> presented, std::string_view expected) {
    if (presented.size() != expected.size()) return false;
    // Accumulate every difference instead of returning at the first one.
    unsigned difference = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        difference |= static_cast<unsigned>(presented[i] ^ static_cast<std::uint8_t>(expected[i]));
    }
    return difference == 0 && !expected.empty();
}

}  // namespace vareko::displayservice
