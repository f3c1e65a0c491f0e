// The house bitmap fonts as const tables, generated at build time from the
// text form in platform/text/fonts/*.txt (see the README there). Depends on
// the Win32 types only (the system's on Windows); the font objects and FreeType
// faces sit above.
// On Windows the same tables become the process's private raster fonts.
//
// Layout of one font's data:
//   glyphs[]  sorted by code unit: {code, width, bitsOffset}
//   bits[]    for each glyph `height` rows of (width + 7) / 8 bytes, top row
//             first, leftmost pixel in the most significant bit.
// Every glyph is a full cell: `height` rows, advance = width, no bearings.
#pragma once

#include <cstddef>
#include <iterator>
#include <span>
#include <string_view>

#ifdef _WIN32
#include "platform/win32.h"
#else
#include "platform/win32/types.h"
#endif

namespace vareko::text {

// The face name the house fonts answer to, also the default GUI font's. The
// view points into a named array, never straight at a literal: every unit has
// its own copy of a literal, and clang may then take begin() from its own copy
// and end() from the copy the linker kept for the shared view.
inline constexpr WCHAR kHouseFaceNameText[] = L"Microsoft Sans Serif";
inline constexpr std::wstring_view kHouseFaceName{kHouseFaceNameText, std::size(kHouseFaceNameText) - 1};

struct HouseGlyph {
    WORD code;
    WORD width;        // advance and bitmap width in pixels
    DWORD bitsOffset;  // first byte of the glyph in HouseFont::bits
};

struct HouseFont {
    const char* name;
    LONG emHeight;  // the character height a LOGFONT asks for with -emHeight
    LONG weight;    // 400 regular, 700 bold
    LONG height;    // tmHeight: rows of the cell
    LONG ascent;    // tmAscent: rows above the baseline, leading included
    LONG descent;   // tmDescent
    LONG internalLeading;
    LONG averageWidth;  // advance of 'x'
    LONG maximumWidth;
    const HouseGlyph* glyphs;
    std::size_t glyphCount;
    HouseGlyph missing;  // drawn for every code unit the font lacks
    const BYTE* bits;
    std::size_t bitsSize;

    static constexpr int StrideBytes(int width) { return (width + 7) / 8; }

    // Whether pixel (x, y) of `glyph`, a glyph of this font, is lit; false
    // outside the glyph's cell.
    constexpr bool IsLit(const HouseGlyph& glyph, int x, int y) const {
        if (x < 0 || y < 0 || x >= glyph.width || y >= height) return false;
        const std::size_t row = glyph.bitsOffset + static_cast<std::size_t>(y) * StrideBytes(glyph.width);
        // Leftmost pixel in the most significant bit.
        return ((bits[row + static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1) != 0;
    }
};

std::span<const HouseFont> HouseFonts();

// The glyph for a code unit, or the font's missing glyph. The one place
// where absent characters are decided.
const HouseGlyph& FindHouseGlyph(const HouseFont& font, WCHAR code);

// The house font with that em height and the weight class of `weight`
// (600 and above is bold), or null.
const HouseFont* FindHouseFont(LONG emHeight, LONG weight);

// Same, by cell height (a positive LOGFONT height), or null.
const HouseFont* FindHouseFontByCell(LONG cellHeight, LONG weight);

}  // namespace vareko::text
