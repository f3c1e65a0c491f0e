// Face selection and the two kinds of faces: house bitmap fonts at their
// sizes, FreeType for other faces and sizes.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "platform/text/font_face.h"

namespace vareko::text {
namespace {

LOGFONTW Font(const wchar_t* face, LONG height, LONG weight = FW_NORMAL) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

int LitPixels(const GlyphImage& g) {
    int lit = 0;
    for (int y = 0; y < g.height; ++y) {
        for (int x = 0; x < g.width; ++x) {
            lit += (g.rows[y * g.strideBytes + x / 8] >> (7 - x % 8)) & 1;
        }
    }
    return lit;
}

TEST(FontFace, HouseNameAtHouseSizesGivesTheBitmapFonts) {
    const struct {
        LOGFONTW lf;
        LONG height, leading;
        LONG weight;
    } cases[] = {
        {Font(kHouseFaceName.data(), -9), 12, 3, 400},
        {Font(L"microsoft sans serif", -11), 13, 2, 400},
        {Font(kHouseFaceName.data(), -16, FW_BOLD), 20, 4, 700},
        {Font(kHouseFaceName.data(), 13), 13, 2, 400},  // positive: cell height
        {Font(L"", 0), 13, 2, 400},                       // no name, no size: default GUI font
        {Font(kHouseFaceName.data(), -9, FW_DONTCARE), 12, 3, 400},
    };
    for (const auto& c : cases) {
        const auto face = ResolveFace(c.lf);
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->Metrics().height, c.height) << c.lf.lfHeight;
        EXPECT_EQ(face->Metrics().internalLeading, c.leading) << c.lf.lfHeight;
        EXPECT_EQ(face->Metrics().weight, c.weight) << c.lf.lfHeight;
        EXPECT_EQ(face, ResolveFace(c.lf)) << "house faces are shared";
    }
}

TEST(FontFace, HouseGlyphsAreCellsAtThePen) {
    const auto face = ResolveFace(Font(kHouseFaceName.data(), -9));
    const GlyphImage a = face->Glyph(L'A');
    EXPECT_EQ(a.left, 0);
    EXPECT_EQ(a.top, 0);
    EXPECT_EQ(a.height, face->Metrics().height);
    EXPECT_EQ(a.advance, a.width);
    EXPECT_GT(LitPixels(a), 0);
    EXPECT_EQ(LitPixels(face->Glyph(L' ')), 0);
    EXPECT_EQ(face->RunWidth(L"AA"), 2 * a.advance);
    // A character the font lacks is drawn as the missing-glyph box.
    EXPECT_GT(LitPixels(face->Glyph(L'\x4E00')), 0);
}

TEST(FontFace, OtherSizesAndFacesGoThroughFreeType) {
    const struct {
        LOGFONTW lf;
        LONG minHeight;
    } cases[] = {
        {Font(kHouseFaceName.data(), -20), 20},  // house face, size without a bitmap
        {Font(L"DejaVu Sans", -11), 11},
        {Font(L"DejaVu Sans", -16, FW_BOLD), 16},
        {Font(L"No Such Face Anywhere", -12), 12},  // fontconfig substitutes a face
    };
    for (const auto& c : cases) {
        const auto face = ResolveFace(c.lf);
        ASSERT_NE(face, nullptr);
        const FaceMetrics& m = face->Metrics();
        EXPECT_GE(m.height, c.minHeight) << c.lf.lfHeight;
        EXPECT_EQ(m.height, m.ascent + m.descent);
        EXPECT_EQ(m.internalLeading, m.height - c.minHeight);
        const GlyphImage h = face->Glyph(L'H');
        EXPECT_GT(LitPixels(h), 0);
        EXPECT_GT(h.advance, 0);
        // The glyph stands on the baseline inside the cell.
        EXPECT_GE(h.top, 0);
        EXPECT_LE(h.top + h.height, m.ascent);
        EXPECT_EQ(face, ResolveFace(c.lf)) << "faces in use are shared";
    }
}

TEST(FontFace, PositiveHeightIsTheCellHeight) {
    const auto face = ResolveFace(Font(L"DejaVu Sans", 24));
    ASSERT_NE(face, nullptr);
    EXPECT_NEAR(face->Metrics().height, 24, 1);
}

// Heights no face can be rendered at: the most negative LONG and heights of
// millions of pixels give a font at the largest rendered size, never a
// glyph image of gigabytes.
TEST(FontFace, AbsurdHeightsAreCappedAtTheLargestRenderedSize) {
    for (LONG height : {std::numeric_limits<LONG>::min(), -5'000'000, 5'000'000, std::numeric_limits<LONG>::max()}) {
        for (const wchar_t* name : {L"DejaVu Sans", kHouseFaceName.data()}) {
            const auto face = ResolveFace(Font(name, height));
            ASSERT_NE(face, nullptr) << height;
            EXPECT_GT(face->Metrics().height, 500) << height;
            EXPECT_LE(face->Metrics().height, 2048) << height;
            const GlyphImage w = face->Glyph(L'W');
            EXPECT_LE(w.height, 2048) << height;
            EXPECT_LE(w.width, 4096) << height;
        }
    }
}

// A FreeType face looks characters up by code point: a surrogate pair is one
// character (its glyph, or the face's missing glyph), not two missing ones.
TEST(FontFace, FreeTypeMeasuresASurrogatePairAsOneCharacter) {
    const auto face = ResolveFace(Font(L"DejaVu Sans", -16));
    ASSERT_NE(face, nullptr);
    const GlyphImage pair = face->Glyph(U'\U0001F600');
    ASSERT_GT(pair.advance, 0);
    EXPECT_EQ(face->RunWidth(L"\xD83D\xDE00"), pair.advance);
    EXPECT_EQ(face->RunWidth(L"\xDE00\xD83D"), face->Glyph(0xDE00).advance + face->Glyph(0xD83D).advance);
}

TEST(FontFace, BoldIsWiderThanRegular) {
    const auto regular = ResolveFace(Font(L"DejaVu Sans", -16));
    const auto bold = ResolveFace(Font(L"DejaVu Sans", -16, FW_BOLD));
    EXPECT_GT(bold->RunWidth(L"WWWW"), regular->RunWidth(L"WWWW"));
}

}  // namespace
}  // namespace vareko::text
