// The per-user token file through which the display service tells TCP
// clients where it listens and what they must present first:
//   port <decimal>\n
//   token <64 lowercase hex digits>\n
// Format, parsing and the token comparison are plain C++, shared by the
// service and the Windows library; where the file lives is in token_path.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vareko::displayservice {

constexpr std::size_t kTokenRandomBytes = 32;
// A TCP client's first bytes are the token exactly as the file spells it.
constexpr std::size_t kTokenTextBytes = 2 * kTokenRandomBytes;
// Larger files are not token files; the reader stops there.
constexpr std::size_t kMaxTokenFileBytes = 1024;

struct TokenFile {
    std::uint16_t port = 0;
    std::string token;  // kTokenTextBytes lowercase hex digits
};

std::string FormatTokenFile(const TokenFile& file);
// False unless both lines are present and well formed; unknown lines are
// skipped so that a later service may add some.
bool ParseTokenFile(std::string_view text, TokenFile& out);
// Reads and parses the file; false when it is missing, too large or invalid.
bool ReadTokenFile(const std::string& path, TokenFile& out);

// Whether `text` is a token as the file holds it: kTokenTextBytes lowercase
// hex digits.
bool IsTokenText(std::string_view text);

// Hex text of random bytes, as the file holds it.
std::string TokenText(std::span<const std::uint8_t, kTokenRandomBytes> random);

// Compares a presented token with the expected one in time that does not
// depend on where they differ.
bool TokensMatch(std::span<const std::uint8_t> presented, std::string_view expected);

}  // namespace vareko::displayservice
