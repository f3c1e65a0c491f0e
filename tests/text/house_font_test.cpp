// Checks over every glyph of the generated house fonts: coverage, table
// bounds, metrics, and that no lit pixel is cut off by a text box of the
// size class that uses the font.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "display/size_class_style.h"
#include "platform/text/house_font.h"
#include "toolkit/text_object.h"

namespace vareko::text {
namespace {

using vareko::kSizeClassStyles;
using vareko::PointsToHeight;
using vareko::SizeClassStyle;

// Each size class's text box (its line height, with the content offset
// that pulls the text up inside it) in either weight of its em height.
TEST(HouseFont, NoGlyphPixelFallsOutsideItsSizeClassBox) {
    for (const SizeClassStyle& sc : kSizeClassStyles) {
        for (const LONG weight : {FW_NORMAL, FW_BOLD}) {
            const LONG emHeight = -PointsToHeight(sc.pointSize);
            const HouseFont* font = FindHouseFont(emHeight, weight);
            ASSERT_NE(font, nullptr) << emHeight;
            std::size_t checked = 0;
            auto check = [&](const HouseGlyph& glyph) {
                for (int y = 0; y < font->height; ++y) {
                    for (int x = 0; x < glyph.width; ++x) {
                        if (!font->IsLit(glyph, x, y)) continue;
                        const int boxY = y + sc.offsetY;
                        EXPECT_TRUE(boxY >= 0 && boxY < sc.lineHeight)
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
}

TEST(HouseFont, IsLitReadsRowsLeftmostPixelInTheHighBit) {
    // A 10-pixel glyph, two bytes a row: "#........#" over ".......#..".
    constexpr BYTE kBits[] = {0xFF, 0x80, 0x40, 0x01, 0x00};
    HouseFont font{};
    font.height = 2;
    font.bits = kBits;
    font.bitsSize = std::size(kBits);
    const HouseGlyph glyph{L'x', 10, 1};
    const struct {
        int x, y;
        bool lit;
    } cases[] = {{0, 0, true}, {1, 0, false}, {8, 0, false}, {9, 0, true}, {7, 1, true}, {6, 1, false},
                 {8, 1, false}, {-1, 0, false}, {10, 0, false}, {0, 2, false}, {0, -1, false}};
    for (const auto& c : cases) EXPECT_EQ(font.IsLit(glyph, c.x, c.y), c.lit) << c.x << ", " << c.y;
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
