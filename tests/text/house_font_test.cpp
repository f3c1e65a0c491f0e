// Checks over every glyph of the generated house fonts: coverage, table
// bounds, metrics, and that no lit pixel is cut off by a text box of the
// size class that uses the font.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/text/house_font.h"

namespace vareko::text {
namespace {

bool Lit(const HouseFont& font, const HouseGlyph& glyph, int x, int y) {
    const int stride = HouseFont::StrideBytes(glyph.width);
    const BYTE byte = font.bits[glyph.bitsOffset + static_cast<std::size_t>(y * stride + x / 8)];
    return (byte & (0x80 >> (x % 8))) != 0;
}

// The text boxes the display uses: font em height and weight, box height and
// the content offset that pulls the text up inside the box.
struct SizeClass {
    LONG emHeight;
    LONG weight;
    int boxHeight;
    int offsetY;
};
constexpr SizeClass kSizeClasses[] = {
    {9, 400, 12, -3},  {9, 700, 12, -3},  {11, 400, 13, -2},
    {11, 700, 13, -2}, {16, 400, 20, -4}, {16, 700, 20, -4},
};

TEST(HouseFont, NoGlyphPixelFallsOutsideItsSizeClassBox) {
    for (const SizeClass& sc : kSizeClasses) {
        const HouseFont* font = FindHouseFont(sc.emHeight, sc.weight);
        ASSERT_NE(font, nullptr) << sc.emHeight;
        std::size_t checked = 0;
        auto check = [&](const HouseGlyph& glyph) {
            for (int y = 0; y < font->height; ++y) {
                for (int x = 0; x < glyph.width; ++x) {
                    if (!Lit(*font, glyph, x, y)) continue;
                    const int boxY = y + sc.offsetY;
                    EXPECT_TRUE(boxY >= 0 && boxY < sc.boxHeight)
                        << font->name << " U+" << std::hex << glyph.code << std::dec
                        << " pixel (" << x << ", " << y << ") lands at box row " << boxY;
                }
            }
            ++checked;
        };
        for (std::size_t i = 0; i < font->glyphCount; ++i) check(font->glyphs[i]);
        check(font->missing);
        EXPECT_EQ(checked, font->glyphCount + 1);
    }
}

TEST(HouseFont, CoversPrintableAsciiAndLatin1) {
    for (const HouseFont& font : HouseFonts()) {
        for (int code = 0x20; code <= 0xFF; ++code) {
            if (code >= 0x7F && code < 0xA0) continue;
            const HouseGlyph& glyph = FindHouseGlyph(font, static_cast<WCHAR>(code));
            EXPECT_EQ(glyph.code, code) << font.name << " lacks U+" << std::hex << code;
        }
    }
}

TEST(HouseFont, AbsentCodeUnitsGetTheMissingGlyph) {
    for (const HouseFont& font : HouseFonts()) {
        for (WCHAR code : {L'\x01', L'\x7F', L'\x9F', L'\x20AC', L'\xFFFF'}) {
            EXPECT_EQ(&FindHouseGlyph(font, code), &font.missing) << font.name;
        }
    }
}

TEST(HouseFont, TablesAreSortedAndInBounds) {
    for (const HouseFont& font : HouseFonts()) {
        LONG widest = 0;
        for (std::size_t i = 0; i < font.glyphCount; ++i) {
            const HouseGlyph& g = font.glyphs[i];
            if (i > 0) {
                EXPECT_LT(font.glyphs[i - 1].code, g.code) << font.name;
            }
            EXPECT_GT(g.width, 0);
            EXPECT_LE(g.bitsOffset + static_cast<std::size_t>(font.height) *
                                         HouseFont::StrideBytes(g.width),
                      font.bitsSize)
                << font.name;
            widest = std::max<LONG>(widest, g.width);
        }
        EXPECT_EQ(font.maximumWidth, widest) << font.name;
        EXPECT_EQ(font.averageWidth, FindHouseGlyph(font, L'x').width) << font.name;
    }
}

TEST(HouseFont, MetricsMatchTheTextBoxes) {
    struct Expected {
        LONG em, height, leading;
    };
    for (const Expected& e : {Expected{9, 12, 3}, Expected{11, 13, 2}, Expected{16, 20, 4}}) {
        for (LONG weight : {400, 700}) {
            const HouseFont* font = FindHouseFont(e.em, weight);
            ASSERT_NE(font, nullptr);
            EXPECT_EQ(font->height, e.height);
            EXPECT_EQ(font->internalLeading, e.leading);
            EXPECT_EQ(font->ascent + font->descent, font->height);
            EXPECT_EQ(font->weight, weight);
            EXPECT_EQ(FindHouseFontByCell(e.height, weight), font);
        }
    }
    EXPECT_EQ(FindHouseFont(10, 400), nullptr);
}

}  // namespace
}  // namespace vareko::text
