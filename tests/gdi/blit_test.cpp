// BitBlt: every named raster operation, format conversions, source clipping
// and overlapping copies within one bitmap.
#include <gtest/gtest.h>

#include "platform/win32.h"
#include "testing/support/canvas.h"

namespace {

using vareko::test::ArtRows;
using vareko::test::Canvas;

// Lights the pixels of row 0 marked '#' with the drawing colour white.
void Paint(Canvas& canvas, const char* row) {
    for (int x = 0; row[x] != '\0'; ++x) {
        if (row[x] == '#') {
            SetPixel(canvas.Dc(), x, 0, RGB(255, 255, 255));
        }
    }
}

TEST(GdiBlitTest, EveryNamedRasterOperation) {
    struct Case {
        const char* name;
        DWORD rop;
        const char* expected;
    };
    // Destination ".#.#", source "..##", brush white.
    const Case cases[] = {
        {"SRCCOPY", SRCCOPY, "..##"},         {"SRCPAINT", SRCPAINT, ".###"},
        {"SRCAND", SRCAND, "...#"},           {"SRCINVERT", SRCINVERT, ".##."},
        {"SRCERASE", SRCERASE, "..#."},       {"NOTSRCCOPY", NOTSRCCOPY, "##.."},
        {"NOTSRCERASE", NOTSRCERASE, "#..."}, {"MERGEPAINT", MERGEPAINT, "##.#"},
        {"MERGECOPY", MERGECOPY, "..##"},     {"PATPAINT", PATPAINT, "####"},
        {"PATCOPY", PATCOPY, "####"},         {"PATINVERT", PATINVERT, "#.#."},
        {"DSTINVERT", DSTINVERT, "#.#."},     {"BLACKNESS", BLACKNESS, "...."},
        {"WHITENESS", WHITENESS, "####"},
    };
    for (const Case& c : cases) {
        Canvas destination(4, 1);
        Canvas source(4, 1);
        Paint(destination, ".#.#");
        Paint(source, "..##");
        SelectObject(destination.Dc(), GetStockObject(WHITE_BRUSH));
        EXPECT_TRUE(BitBlt(destination.Dc(), 0, 0, 4, 1, source.Dc(), 0, 0, c.rop)) << c.name;
        EXPECT_EQ(destination.Art(), ArtRows(c.expected)) << c.name;
    }
}

TEST(GdiBlitTest, OperationsWorkOnPixelValues) {
    Canvas destination(3, 1);
    Canvas source(3, 1);
    const std::uint8_t d[] = {0x0F, 0xF0, 0x81};
    const std::uint8_t s[] = {0x3C, 0x3C, 0x81};
    for (int x = 0; x < 3; ++x) {
        destination.Row(0)[x] = d[x];
        source.Row(0)[x] = s[x];
    }
    BitBlt(destination.Dc(), 0, 0, 3, 1, source.Dc(), 0, 0, SRCINVERT);
    EXPECT_EQ(destination.Pixel(0, 0), 0x0Fu ^ 0x3C);
    EXPECT_EQ(destination.Pixel(1, 0), 0xF0u ^ 0x3C);
    EXPECT_EQ(destination.Pixel(2, 0), 0u);
    BitBlt(destination.Dc(), 0, 0, 3, 1, source.Dc(), 0, 0, WHITENESS);
    EXPECT_EQ(destination.Pixel(1, 0), 0xFFu);
}

TEST(GdiBlitTest, MonochromeSourceTakesTheDestinationTextAndBackgroundColours) {
    const BYTE rows[] = {0b10100000, 0, 0b01100000, 0};  // 4 x 2, rows padded to 2 bytes
    HBITMAP mono = CreateBitmap(4, 2, 1, 1, rows);
    HDC monoDc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(monoDc, mono);
    for (int bits : {8, 32}) {
        Canvas destination(4, 2, bits);
        SetTextColor(destination.Dc(), RGB(255, 255, 255));
        SetBkColor(destination.Dc(), RGB(0, 0, 0));
        BitBlt(destination.Dc(), 0, 0, 4, 2, monoDc, 0, 0, SRCCOPY);
        // 0 bits become white (text colour), 1 bits black (background).
        EXPECT_EQ(destination.Art(), ArtRows(".#.#\n#..#\n")) << bits;
    }
    Canvas monoDestination(4, 2, 1);
    BitBlt(monoDestination.Dc(), 0, 0, 4, 2, monoDc, 0, 0, SRCCOPY);
    EXPECT_EQ(monoDestination.Art(), ArtRows("#.#.\n.##.\n"));  // bits copied as they are
    SelectObject(monoDc, old);
    DeleteObject(mono);
    DeleteDC(monoDc);
}

TEST(GdiBlitTest, ColourSourceIntoMonochromeMatchesTheSourceBackground) {
    Canvas source(4, 1, 32);
    SetPixel(source.Dc(), 0, 0, RGB(255, 255, 255));
    SetPixel(source.Dc(), 2, 0, RGB(10, 20, 30));
    SetBkColor(source.Dc(), RGB(255, 255, 255));
    Canvas destination(4, 1, 1);
    BitBlt(destination.Dc(), 0, 0, 4, 1, source.Dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(destination.Art(), ArtRows("#...\n"));
}

TEST(GdiBlitTest, ColourSourcesAreMatchedToTheDestinationTable) {
    Canvas source(4, 1, 32);
    SetPixel(source.Dc(), 0, 0, RGB(200, 200, 200));
    SetPixel(source.Dc(), 1, 0, RGB(100, 100, 100));
    SetPixel(source.Dc(), 2, 0, RGB(255, 255, 255));
    Canvas destination(4, 1, 8);
    BitBlt(destination.Dc(), 0, 0, 4, 1, source.Dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(destination.Art(), ArtRows("#.#.\n"));
    EXPECT_EQ(destination.Pixel(0, 0), 129u);

    Canvas wide(4, 1, 32);
    BitBlt(wide.Dc(), 0, 0, 4, 1, destination.Dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(wide.Pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(wide.Pixel(1, 0), 0u);
}

TEST(GdiBlitTest, EightBitSourceWithAnotherTableIsTranslated) {
    auto info = vareko::test::MakeBitmapInfo(2, 1, 8, true);
    for (int i = 0; i < 256; ++i) {
        BYTE v = static_cast<BYTE>(255 - i);  // an inverted grey ramp
        info.colours[i] = RGBQUAD{v, v, v, 0};
    }
    void* bits = nullptr;
    HBITMAP ramp = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
    static_cast<std::uint8_t*>(bits)[0] = 10;   // light grey
    static_cast<std::uint8_t*>(bits)[1] = 250;  // nearly black
    HDC rampDc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(rampDc, ramp);
    Canvas destination(2, 1);
    BitBlt(destination.Dc(), 0, 0, 2, 1, rampDc, 0, 0, SRCCOPY);
    EXPECT_EQ(destination.Art(), ArtRows("#.\n"));
    SelectObject(rampDc, old);
    DeleteObject(ramp);
    DeleteDC(rampDc);
}

TEST(GdiBlitTest, ClipsToTheDestinationClipAndTheSourceBitmap) {
    struct Case {
        const char* name;
        int x, y, width, height, sourceX, sourceY;
        RECT clip;
        const char* expected;
    };
    const Case cases[] = {
        {"whole", 0, 0, 3, 2, 0, 0, {0, 0, 6, 3}, "###...\n###...\n......\n"},
        {"moved", 2, 1, 3, 2, 0, 0, {0, 0, 6, 3}, "......\n..###.\n..###.\n"},
        {"source beyond its bitmap", 0, 0, 6, 3, 1, 1, {0, 0, 6, 3}, "##....\n......\n......\n"},
        {"negative source", 0, 0, 6, 3, -2, -1, {0, 0, 6, 3}, "......\n..###.\n..###.\n"},
        {"clipped", 0, 0, 3, 2, 0, 0, {1, 1, 6, 3}, "......\n.##...\n......\n"},
        {"off the bitmap", 4, 2, 9, 9, 0, 0, {0, 0, 6, 3}, "......\n......\n....##\n"},
    };
    for (const Case& c : cases) {
        Canvas source(3, 2);
        RECT all{0, 0, 3, 2};
        FillRect(source.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        Canvas destination(6, 3);
        HRGN region = CreateRectRgn(c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
        SelectClipRgn(destination.Dc(), region);
        DeleteObject(region);
        BitBlt(destination.Dc(), c.x, c.y, c.width, c.height, source.Dc(), c.sourceX, c.sourceY,
               SRCCOPY);
        EXPECT_EQ(destination.Art(), ArtRows(c.expected)) << c.name;
    }
}

TEST(GdiBlitTest, SourceViewportAndDestinationViewportBothApply) {
    Canvas source(4, 1);
    Paint(source, "..#.");
    SetViewportOrgEx(source.Dc(), 2, 0, nullptr);  // logical 0 is device 2
    Canvas destination(4, 1);
    SetViewportOrgEx(destination.Dc(), 1, 0, nullptr);
    BitBlt(destination.Dc(), 0, 0, 1, 1, source.Dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(destination.Art(), ArtRows(".#..\n"));
}

TEST(GdiBlitTest, OverlappingCopiesWithinOneBitmap) {
    struct Case {
        const char* name;
        int x, y, sourceX, sourceY;
        const char* expected;
    };
    // Start: "#.#..." / "......" / "......"; copy a 5 x 2 block.
    const Case cases[] = {
        {"right", 1, 0, 0, 0, "##.#..\n......\n......\n"},
        {"left", 0, 0, 1, 0, ".#....\n......\n......\n"},
        {"down", 0, 1, 0, 0, "#.#...\n#.#...\n......\n"},
    };
    for (const Case& c : cases) {
        Canvas canvas(6, 3);
        Paint(canvas, "#.#...");
        BitBlt(canvas.Dc(), c.x, c.y, 5, 2, canvas.Dc(), c.sourceX, c.sourceY, SRCCOPY);
        EXPECT_EQ(canvas.Art(), ArtRows(c.expected)) << c.name;
    }
}

TEST(GdiBlitTest, MissingSourceFailsOnlyWhenTheOperationNeedsOne) {
    Canvas canvas(2, 1);
    EXPECT_FALSE(BitBlt(canvas.Dc(), 0, 0, 2, 1, nullptr, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(canvas.Dc(), 0, 0, 2, 1, nullptr, 0, 0, WHITENESS));
    EXPECT_EQ(canvas.Art(), ArtRows("##\n"));
}

}  // namespace
