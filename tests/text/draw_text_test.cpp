// Text entry points on a real memory DC: glyphs land where the font puts
// them, in the text colour, with the opaque background, alignment, clipping
// and measuring of DrawTextExW, and the font objects' life cycle.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/text/house_font.h"
#include "platform/win32.h"
#include "testing/support/canvas.h"

namespace {

using vareko::text::FindHouseFont;
using vareko::text::FindHouseGlyph;
using vareko::text::HouseFont;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

// A 32-bit canvas, black, with white transparent text.
class Canvas : public vareko::test::Canvas {
public:
    Canvas(int width, int height) : vareko::test::Canvas(width, height, 32) {
        SetTextColor(Dc(), kWhite);
        SetBkColor(Dc(), kBlack);
        SetBkMode(Dc(), TRANSPARENT);
    }
    COLORREF At(int x, int y) const {
        const std::uint32_t p = Pixel(x, y);  // 0x00RRGGBB
        return RGB(static_cast<BYTE>(p >> 16), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p));
    }
    int LitCount() const {
        int n = 0;
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x) n += Lit(x, y);
        return n;
    }
    // Leftmost lit column, or -1.
    int FirstLitColumn() const {
        for (int x = 0; x < Width(); ++x)
            for (int y = 0; y < Height(); ++y)
                if (Lit(x, y)) return x;
        return -1;
    }
};

LOGFONTW HouseLogFont(LONG height, LONG weight = FW_NORMAL) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    std::wcscpy(lf.lfFaceName, vareko::text::kHouseFaceName.data());
    return lf;
}

// Selects a font for the scope of a test and deletes it afterwards.
class ScopedFont {
public:
    ScopedFont(HDC dc, const LOGFONTW& lf) : dc_(dc), font_(CreateFontIndirectW(&lf)) {
        previous_ = SelectObject(dc_, font_);
    }
    ~ScopedFont() {
        SelectObject(dc_, previous_);
        DeleteObject(font_);
    }
    HFONT Font() const { return font_; }

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ previous_;
};

bool GlyphBit(const HouseFont& font, WCHAR c, int x, int y) {
    return font.IsLit(FindHouseGlyph(font, c), x, y);
}

TEST(DrawText, TextOutPaintsTheGlyphCellAtThePoint) {
    Canvas canvas(40, 20);
    ScopedFont font(canvas.Dc(), HouseLogFont(-11));
    const HouseFont& house = *FindHouseFont(11, FW_NORMAL);
    SetTextColor(canvas.Dc(), kRed);
    ASSERT_TRUE(TextOutW(canvas.Dc(), 3, 2, L"Ag", 2));
    const int aWidth = FindHouseGlyph(house, L'A').width;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            bool expected = false;
            const int cx = x - 3, cy = y - 2;
            if (cy >= 0 && cy < house.height && cx >= 0) {
                if (cx < aWidth) expected = GlyphBit(house, L'A', cx, cy);
                else if (cx - aWidth < FindHouseGlyph(house, L'g').width) expected = GlyphBit(house, L'g', cx - aWidth, cy);
            }
            EXPECT_EQ(canvas.At(x, y), expected ? kRed : kBlack) << x << "," << y;
        }
    }
}

TEST(DrawText, OpaqueModeFillsTheCellsWithTheBackgroundColour) {
    Canvas canvas(40, 20);
    ScopedFont font(canvas.Dc(), HouseLogFont(-9));
    SIZE extent{};
    ASSERT_TRUE(GetTextExtentPoint32W(canvas.Dc(), L"ab", 2, &extent));
    SetBkMode(canvas.Dc(), OPAQUE);
    SetBkColor(canvas.Dc(), kRed);
    TextOutW(canvas.Dc(), 1, 1, L"ab", 2);
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const bool inCell = x >= 1 && x < 1 + extent.cx && y >= 1 && y < 1 + extent.cy;
            if (!inCell) EXPECT_EQ(canvas.At(x, y), kBlack) << x << "," << y;
            else EXPECT_NE(canvas.At(x, y), kBlack) << x << "," << y;
        }
    }
}

TEST(DrawText, ExtentAndMetricsFollowTheFont) {
    Canvas canvas(8, 8);
    const struct {
        LONG lfHeight, weight, height, ascent, leading;
    } cases[] = {{-9, 400, 12, 11, 3}, {-11, 400, 13, 11, 2}, {-16, 700, 20, 17, 4}};
    for (const auto& c : cases) {
        ScopedFont font(canvas.Dc(), HouseLogFont(c.lfHeight, c.weight));
        TEXTMETRICW tm{};
        ASSERT_TRUE(GetTextMetricsW(canvas.Dc(), &tm));
        EXPECT_EQ(tm.tmHeight, c.height);
        EXPECT_EQ(tm.tmAscent, c.ascent);
        EXPECT_EQ(tm.tmInternalLeading, c.leading);
        EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
        const HouseFont& house = *FindHouseFont(-c.lfHeight, c.weight);
        SIZE size{};
        ASSERT_TRUE(GetTextExtentPoint32W(canvas.Dc(), L"Vitesse:", 8, &size));
        LONG expected = 0;
        for (WCHAR ch : std::wstring(L"Vitesse:")) expected += FindHouseGlyph(house, ch).width;
        EXPECT_EQ(size.cx, expected);
        EXPECT_EQ(size.cy, c.height);
    }
}

// A valid surrogate pair is one character: measured and drawn as the one
// missing glyph of the house font, exactly as a lone surrogate is. Lone and
// reversed surrogates stay characters of their own.
TEST(DrawText, SurrogatePairIsOneCharacter) {
    const HouseFont& house = *FindHouseFont(11, FW_NORMAL);
    const struct {
        const char* rule;
        std::wstring text;
        std::wstring drawnAs;
        int missingGlyphs;
    } cases[] = {
        {"a pair", L"\xD83D\xDE00", L"\xDBFF", 1},
        {"a pair between letters", L"A\xD83D\xDE00" L"B", L"A\xDBFF" L"B", 1},
        {"the last pair of the plane", L"\xDBFF\xDFFF", L"\xDBFF", 1},
        {"a reversed pair", L"\xDE00\xD83D", L"\xDBFF\xDBFF", 2},
        {"a high surrogate before a letter", L"\xD83D" L"A", L"\xDBFF" L"A", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        Canvas got(40, 15);
        Canvas expected(40, 15);
        for (Canvas* canvas : {&got, &expected}) SelectObject(canvas->Dc(), GetStockObject(DEFAULT_GUI_FONT));
        SIZE gotSize{};
        SIZE expectedSize{};
        ASSERT_TRUE(GetTextExtentPoint32W(got.Dc(), c.text.c_str(), static_cast<int>(c.text.size()), &gotSize));
        ASSERT_TRUE(GetTextExtentPoint32W(expected.Dc(), c.drawnAs.c_str(), static_cast<int>(c.drawnAs.size()),
                                          &expectedSize));
        EXPECT_EQ(gotSize.cx, expectedSize.cx);
        LONG letters = 0;
        for (WCHAR ch : c.drawnAs) letters += ch == 0xDBFF ? 0 : FindHouseGlyph(house, ch).width;
        EXPECT_EQ(gotSize.cx, letters + c.missingGlyphs * house.missing.width);
        RECT rect{1, 1, 40, 15};
        DrawTextW(got.Dc(), c.text.c_str(), -1, &rect, DT_NOPREFIX);
        DrawTextW(expected.Dc(), c.drawnAs.c_str(), -1, &rect, DT_NOPREFIX);
        EXPECT_GT(got.LitCount(), 0);
        for (int y = 0; y < got.Height(); ++y)
            for (int x = 0; x < got.Width(); ++x) EXPECT_EQ(got.At(x, y), expected.At(x, y)) << x << "," << y;
    }
}

TEST(DrawText, CalcRectMeasuresWithoutPainting) {
    Canvas canvas(60, 40);
    ScopedFont font(canvas.Dc(), HouseLogFont(-11));
    SIZE one{};
    GetTextExtentPoint32W(canvas.Dc(), L"Reserve", 7, &one);
    RECT rect{0, 0, 200, 13};
    wchar_t text[] = L"Reserve";
    EXPECT_EQ(DrawTextExW(canvas.Dc(), text, -1, &rect, DT_CALCRECT | DT_NOPREFIX, nullptr), 13);
    EXPECT_EQ(rect.right, one.cx);
    EXPECT_EQ(rect.bottom, 13);
    wchar_t two[] = L"Reserve Reserve";
    rect = RECT{0, 0, one.cx + 2, 13};
    EXPECT_EQ(DrawTextExW(canvas.Dc(), two, -1, &rect, DT_CALCRECT | DT_WORDBREAK, nullptr), 26);
    EXPECT_EQ(rect.right, one.cx);
    EXPECT_EQ(rect.bottom, 26);
    EXPECT_EQ(canvas.LitCount(), 0);
}

TEST(DrawText, AlignsInTheRectangleAndHonoursMargins) {
    const struct {
        UINT format;
        int left, right;
        int expectedX;  // left edge of the cell, right edge for DT_RIGHT
    } cases[] = {
        {DT_LEFT, 0, 0, 0},
        {DT_RIGHT, 0, 0, 50},
        {DT_CENTER, 0, 0, 25},
        {DT_LEFT, 7, 0, 7},
        {DT_RIGHT, 0, 5, 45},
    };
    for (const auto& c : cases) {
        Canvas canvas(50, 14);
        ScopedFont font(canvas.Dc(), HouseLogFont(-11));
        SIZE size{};
        GetTextExtentPoint32W(canvas.Dc(), L"H", 1, &size);
        int cellX = c.expectedX;
        if (c.format == DT_RIGHT) cellX -= size.cx;
        if (c.format == DT_CENTER) cellX = (50 - size.cx) / 2;
        DRAWTEXTPARAMS params{sizeof(DRAWTEXTPARAMS), 0, c.left, c.right, 0};
        RECT rect{0, 0, 50, 14};
        wchar_t text[] = L"H";
        EXPECT_EQ(DrawTextExW(canvas.Dc(), text, 1, &rect, c.format | DT_NOPREFIX, &params), 13);
        EXPECT_EQ(params.uiLengthDrawn, 1u);
        // Ink of 'H' starts at the first column of its glyph that has ink.
        const HouseFont& house = *FindHouseFont(11, FW_NORMAL);
        int inkColumn = 0;
        while (inkColumn < size.cx) {
            bool any = false;
            for (int y = 0; y < house.height; ++y) any = any || GlyphBit(house, L'H', inkColumn, y);
            if (any) break;
            ++inkColumn;
        }
        EXPECT_EQ(canvas.FirstLitColumn(), cellX + inkColumn) << c.format << " " << c.left << " " << c.right;
    }
}

TEST(DrawText, ClipsToTheRectangleUnlessNoClip) {
    for (UINT extra : {0u, DT_NOCLIP}) {
        Canvas canvas(40, 14);
        ScopedFont font(canvas.Dc(), HouseLogFont(-11));
        wchar_t text[] = L"WWWWWW";
        RECT rect{0, 0, 10, 14};
        DrawTextExW(canvas.Dc(), text, -1, &rect, DT_NOPREFIX | extra, nullptr);
        bool beyond = false;
        for (int y = 0; y < 14; ++y)
            for (int x = 10; x < 40; ++x) beyond = beyond || canvas.Lit(x, y);
        EXPECT_EQ(beyond, extra == DT_NOCLIP);
        EXPECT_GT(canvas.LitCount(), 0);
    }
}

TEST(DrawText, PrefixesAreResolvedUnlessNoPrefix) {
    Canvas a(40, 14), b(40, 14), c(40, 14);
    for (Canvas* canvas : {&a, &b, &c}) SelectObject(canvas->Dc(), GetStockObject(DEFAULT_GUI_FONT));
    RECT rect{0, 0, 40, 14};
    wchar_t plain[] = L"Ab", prefixed[] = L"&Ab";
    DrawTextExW(a.Dc(), plain, -1, &rect, 0, nullptr);
    DrawTextExW(b.Dc(), prefixed, -1, &rect, 0, nullptr);
    DrawTextExW(c.Dc(), prefixed, -1, &rect, DT_NOPREFIX, nullptr);
    bool same = true, differs = false;
    for (int y = 0; y < 14; ++y) {
        for (int x = 0; x < 40; ++x) {
            same = same && a.At(x, y) == b.At(x, y);
            differs = differs || a.At(x, y) != c.At(x, y);
        }
    }
    EXPECT_TRUE(same);
    EXPECT_TRUE(differs);
}

TEST(DrawText, ViewportOriginMovesTheText) {
    Canvas moved(40, 20), plain(40, 20);
    SetViewportOrgEx(moved.Dc(), 5, 3, nullptr);
    for (Canvas* canvas : {&moved, &plain}) {
        SelectObject(canvas->Dc(), GetStockObject(DEFAULT_GUI_FONT));
        TextOutW(canvas->Dc(), 0, 0, L"M", 1);
    }
    for (int y = 0; y + 3 < 20; ++y)
        for (int x = 0; x + 5 < 40; ++x) EXPECT_EQ(plain.At(x, y), moved.At(x + 5, y + 3));
}

// Text placed at the ends of the int range stays out of the bitmap and
// overflows nothing (the sanitizer build turns an overflow into a failure).
TEST(DrawText, TextAtTheEndsOfTheRangeDrawsNothing) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    Canvas canvas(20, 14);
    ScopedFont font(canvas.Dc(), HouseLogFont(-11));
    SetBkMode(canvas.Dc(), OPAQUE);
    SetBkColor(canvas.Dc(), kRed);
    wchar_t text[] = L"WWW";
    const RECT rects[] = {{kMax - 4, 0, kMax, 14}, {kMin, kMin, kMin + 4, kMin + 4}, {0, kMax - 4, 20, kMax}};
    // A viewport origin that pushes the rectangle further out of the range.
    for (int origin : {3, -3}) {
        SetViewportOrgEx(canvas.Dc(), origin, origin, nullptr);
        for (RECT rect : rects) {
            for (UINT format : {DT_NOCLIP, DT_RIGHT | DT_NOCLIP, DT_SINGLELINE | DT_BOTTOM, DT_CENTER}) {
                RECT r = rect;
                DrawTextExW(canvas.Dc(), text, -1, &r, format, nullptr);
            }
        }
    }
    SetViewportOrgEx(canvas.Dc(), 3, 3, nullptr);
    EXPECT_TRUE(TextOutW(canvas.Dc(), kMax - 2, kMax - 2, text, 3));
    EXPECT_TRUE(TextOutW(canvas.Dc(), kMin, kMin, text, 3));
    // Wrapped-around arithmetic would have brought some of it into view.
    EXPECT_EQ(canvas.LitCount(), 0);
}

TEST(DrawText, BadArgumentsFail) {
    Canvas canvas(8, 8);
    RECT rect{0, 0, 8, 8};
    wchar_t text[] = L"a";
    DRAWTEXTPARAMS wrongSize{4, 0, 0, 0, 0};
    EXPECT_EQ(DrawTextExW(nullptr, text, 1, &rect, 0, nullptr), 0);
    EXPECT_EQ(DrawTextExW(canvas.Dc(), text, 1, nullptr, 0, nullptr), 0);
    EXPECT_EQ(DrawTextExW(canvas.Dc(), text, -2, &rect, 0, nullptr), 0);
    EXPECT_EQ(DrawTextExW(canvas.Dc(), text, 1, &rect, 0, &wrongSize), 0);
    SIZE size{};
    EXPECT_FALSE(GetTextExtentPoint32W(canvas.Dc(), text, -1, &size));
    // No text is not an error: one empty line for DrawTextEx, no size at all
    // for the extent, as on the system.
    TEXTMETRICW metrics{};
    ASSERT_TRUE(GetTextMetricsW(canvas.Dc(), &metrics));
    EXPECT_EQ(DrawTextExW(canvas.Dc(), text, 0, &rect, DT_CALCRECT, nullptr), metrics.tmHeight);
    EXPECT_EQ(rect.bottom, metrics.tmHeight);
    ASSERT_TRUE(GetTextExtentPoint32W(canvas.Dc(), text, 0, &size));
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, 0);
    EXPECT_FALSE(TextOutW(nullptr, 0, 0, text, 1));
    EXPECT_EQ(CreateFontIndirectW(nullptr), nullptr);
}

TEST(FontObjects, DescribeSelectAndDelete) {
    Canvas canvas(8, 8);
    LOGFONTW lf = HouseLogFont(-16, FW_BOLD);
    HFONT font = CreateFontIndirectW(&lf);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
    EXPECT_EQ(GetObjectW(font, 0, nullptr), static_cast<int>(sizeof(LOGFONTW)));
    LOGFONTW back{};
    EXPECT_EQ(GetObjectW(font, sizeof(back), &back), static_cast<int>(sizeof(LOGFONTW)));
    EXPECT_EQ(back.lfHeight, -16);
    EXPECT_EQ(back.lfWeight, FW_BOLD);
    EXPECT_EQ(std::wstring(back.lfFaceName), vareko::text::kHouseFaceName.data());

    HGDIOBJ previous = SelectObject(canvas.Dc(), font);
    EXPECT_NE(previous, nullptr);
    EXPECT_EQ(SelectObject(canvas.Dc(), previous), font);
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_EQ(GetObjectW(font, sizeof(back), &back), 0);
}

TEST(FontObjects, DefaultGuiFontIsTheHouseFaceAtEightPoints) {
    HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), stock);
    LOGFONTW lf{};
    ASSERT_EQ(GetObjectW(stock, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_EQ(lf.lfHeight, -11);
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_EQ(std::wstring(lf.lfFaceName), vareko::text::kHouseFaceName.data());
    DeleteObject(stock);  // stock objects survive deletion
    EXPECT_EQ(GetObjectW(stock, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_NE(GetStockObject(SYSTEM_FONT), nullptr);
}

}  // namespace
