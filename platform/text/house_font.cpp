// Lookup in the generated house-font tables.
#include "platform/text/house_font.h"

#include <algorithm>

namespace vareko::text {
namespace {

bool IsBold(LONG weight) { return weight >= 600; }

}  // namespace

const HouseGlyph& FindHouseGlyph(const HouseFont& font, WCHAR code) {
    const HouseGlyph* end = font.glyphs + font.glyphCount;
    const HouseGlyph* it = std::lower_bound(
        font.glyphs, end, code,
        [](const HouseGlyph& g, WCHAR c) { return g.code < static_cast<WORD>(c); });
    if (it != end && it->code == static_cast<WORD>(code)) return *it;
    return font.missing;
}

const HouseFont* FindHouseFont(LONG emHeight, LONG weight) {
    for (const HouseFont& font : HouseFonts()) {
        if (font.emHeight == emHeight && IsBold(font.weight) == IsBold(weight)) return &font;
    }
    return nullptr;
}

const HouseFont* FindHouseFontByCell(LONG cellHeight, LONG weight) {
    for (const HouseFont& font : HouseFonts()) {
        if (font.height == cellHeight && IsBold(font.weight) == IsBold(weight)) return &font;
    }
    return nullptr;
}

}  // namespace vareko::text
