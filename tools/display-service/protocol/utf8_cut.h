// Cutting UTF-8 text to a byte budget without splitting a character, with a
// visible mark at the end of a cut text. Plain C++, both platforms.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vareko::displayservice {

constexpr std::string_view kCutMark = "\xE2\x80\xA6[cut]\n";  // "…[cut]" and a newline

// `text` if it fits in `maxBytes`; else its longest prefix that ends on a
// character boundary and leaves room for kCutMark, followed by the mark.
// `maxBytes` must be at least kCutMark.size().
std::string CutAtCharacter(std::string_view text, std::size_t maxBytes);

}  // namespace vareko::displayservice
