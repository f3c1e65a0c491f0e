// Characters of a wide string read as UTF-16: a high surrogate followed by a
// low surrogate is one character; every other code unit, a lone surrogate
// included, is a character of its own. Depends on the standard library only.
#pragma once

#include <cstddef>
#include <string_view>

namespace vareko::text {

struct Character {
    char32_t code;
    std::size_t units;  // 1, or 2 for a surrogate pair
};

constexpr bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The character that starts at text[i]; i must be inside the text.
constexpr Character CharacterAt(std::wstring_view text, std::size_t i) {
    const wchar_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
        const auto high = static_cast<char32_t>(unit) - 0xD800;
        const auto low = static_cast<char32_t>(text[i + 1]) - 0xDC00;
        return Character{0x10000 + (high << 10) + low, 2};
    }
    return Character{static_cast<char32_t>(unit), 1};
}

}  // namespace vareko::text
