// Rectangles, pixels, clipping, viewport and the mask seam, checked against
// small hand-drawn pictures.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/gdi/dc_state.h"
#include "platform/win32.h"
#include "testing/support/canvas.h"

namespace {

using vareko::test::ArtRows;
using vareko::test::Canvas;

HBRUSH White() { return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)); }

void Clip(HDC dc, int l, int t, int r, int b) {
    HRGN region = CreateRectRgn(l, t, r, b);
    SelectClipRgn(dc, region);
    DeleteObject(region);
}

TEST(GdiFillTest, FillRectClipsAtEveryEdgeOfTheBitmap) {
    struct Case {
        const char* name;
        RECT rect;
        const char* expected;
    };
    const Case cases[] = {
        {"inside", {1, 1, 3, 2}, "......\n.##...\n......\n"},
        {"left", {-5, 0, 2, 1}, "##....\n......\n......\n"},
        {"right", {4, 1, 99, 2}, "......\n....##\n......\n"},
        {"top", {2, -7, 3, 1}, "..#...\n......\n......\n"},
        {"bottom", {0, 2, 1, 50}, "......\n......\n#.....\n"},
        {"everything", {-10, -10, 10, 10}, "######\n######\n######\n"},
        {"empty", {3, 1, 3, 2}, "......\n......\n......\n"},
        {"inverted", {3, 2, 1, 1}, "......\n......\n......\n"},
        {"outside", {6, 0, 9, 3}, "......\n......\n......\n"},
    };
    for (const Case& c : cases) {
        Canvas canvas(6, 3);
        EXPECT_EQ(FillRect(canvas.Dc(), &c.rect, White()), 1);
        EXPECT_EQ(canvas.Art(), ArtRows(c.expected)) << c.name;
    }
}

TEST(GdiFillTest, ClipRegionIsInDeviceCoordinatesAndViewportMovesDrawing) {
    struct Case {
        const char* name;
        RECT clip;  // device
        POINT viewport;
        RECT fill;  // logical
        const char* expected;
    };
    const Case cases[] = {
        {"clip only", {1, 0, 4, 2}, {0, 0}, {0, 0, 6, 3}, ".###..\n.###..\n......\n"},
        {"viewport only", {0, 0, 6, 3}, {2, 1}, {0, 0, 2, 1}, "......\n..##..\n......\n"},
        {"viewport does not move clip", {0, 0, 3, 3}, {2, 0}, {0, 0, 4, 1}, "..#...\n......\n......\n"},
        {"negative viewport", {0, 0, 6, 3}, {-1, -1}, {0, 0, 3, 3}, "##....\n##....\n......\n"},
        {"empty clip", {2, 2, 2, 2}, {0, 0}, {0, 0, 6, 3}, "......\n......\n......\n"},
        {"clip beyond bitmap", {4, 1, 60, 60}, {0, 0}, {0, 0, 6, 3}, "......\n....##\n....##\n"},
    };
    for (const Case& c : cases) {
        Canvas canvas(6, 3);
        Clip(canvas.Dc(), c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
        SetViewportOrgEx(canvas.Dc(), c.viewport.x, c.viewport.y, nullptr);
        FillRect(canvas.Dc(), &c.fill, White());
        EXPECT_EQ(canvas.Art(), ArtRows(c.expected)) << c.name;
    }
}

TEST(GdiFillTest, RemovingTheClipRegionRestoresTheWholeBitmap) {
    Canvas canvas(4, 2);
    Clip(canvas.Dc(), 0, 0, 1, 1);
    EXPECT_EQ(SelectClipRgn(canvas.Dc(), nullptr), SIMPLEREGION);
    RECT all{0, 0, 4, 2};
    FillRect(canvas.Dc(), &all, White());
    EXPECT_EQ(canvas.Art(), ArtRows("####\n####\n"));
}

TEST(GdiFillTest, SetRectRgnReshapesARegionForTheNextSelection) {
    struct Case {
        const char* name;
        RECT corners;  // as passed, possibly in either order
        const char* expected;
    };
    const Case cases[] = {
        {"ordered", {1, 0, 3, 2}, ".##...\n.##...\n......\n"},
        {"swapped corners", {3, 2, 1, 0}, ".##...\n.##...\n......\n"},
        {"empty", {2, 1, 2, 3}, "......\n......\n......\n"},
        {"beyond the bitmap", {4, 2, 40, 40}, "......\n......\n....##\n"},
    };
    HRGN region = CreateRectRgn(0, 0, 6, 3);
    for (const Case& c : cases) {
        Canvas canvas(6, 3);
        ASSERT_TRUE(SetRectRgn(region, c.corners.left, c.corners.top, c.corners.right, c.corners.bottom)) << c.name;
        SelectClipRgn(canvas.Dc(), region);
        RECT all{0, 0, 6, 3};
        FillRect(canvas.Dc(), &all, White());
        EXPECT_EQ(canvas.Art(), ArtRows(c.expected)) << c.name;
    }
    DeleteObject(region);
}

TEST(GdiFillTest, ReshapingASelectedRegionLeavesTheDcClipAlone) {
    Canvas canvas(4, 2);
    HRGN region = CreateRectRgn(0, 0, 1, 1);
    SelectClipRgn(canvas.Dc(), region);
    SetRectRgn(region, 0, 0, 4, 2);
    RECT all{0, 0, 4, 2};
    FillRect(canvas.Dc(), &all, White());
    EXPECT_EQ(canvas.Art(), ArtRows("#...\n....\n"));
    DeleteObject(region);
}

TEST(GdiFillTest, SetRectRgnRefusesHandlesThatAreNoRegion) {
    EXPECT_FALSE(SetRectRgn(nullptr, 0, 0, 1, 1));
    EXPECT_FALSE(SetRectRgn(static_cast<HRGN>(GetStockObject(WHITE_BRUSH)), 0, 0, 1, 1));
    HRGN region = CreateRectRgn(0, 0, 1, 1);
    DeleteObject(region);
    EXPECT_FALSE(SetRectRgn(region, 0, 0, 1, 1));
}

TEST(GdiFillTest, ViewportCallsReportThePreviousOrigin) {
    Canvas canvas(4, 2);
    POINT previous{-1, -1};
    EXPECT_TRUE(SetViewportOrgEx(canvas.Dc(), 10, 3, &previous));
    EXPECT_EQ(previous.x, 0);
    EXPECT_TRUE(OffsetViewportOrgEx(canvas.Dc(), -5, 2, &previous));
    EXPECT_EQ(previous.x, 10);
    EXPECT_EQ(previous.y, 3);
    POINT now{};
    GetViewportOrgEx(canvas.Dc(), &now);
    EXPECT_EQ(now.x, 5);
    EXPECT_EQ(now.y, 5);
}

TEST(GdiFillTest, FrameRectAndInvertRect) {
    struct Case {
        const char* name;
        RECT rect;
        bool invert;
        const char* expected;
    };
    const Case cases[] = {
        {"frame", {0, 0, 5, 4}, false, "#####.\n#...#.\n#...#.\n#####.\n"},
        {"frame one row", {1, 1, 4, 2}, false, "......\n.###..\n......\n......\n"},
        {"frame one column", {2, 0, 3, 3}, false, "..#...\n..#...\n..#...\n......\n"},
        {"frame clipped", {-1, -1, 3, 3}, false, "..#...\n..#...\n###...\n......\n"},
        {"invert", {1, 1, 3, 3}, true, "......\n.##...\n.##...\n......\n"},
    };
    for (const Case& c : cases) {
        Canvas canvas(6, 4);
        if (c.invert) {
            EXPECT_TRUE(InvertRect(canvas.Dc(), &c.rect));
        } else {
            EXPECT_EQ(FrameRect(canvas.Dc(), &c.rect, White()), 1);
        }
        EXPECT_EQ(canvas.Art(), ArtRows(c.expected)) << c.name;
    }
}

TEST(GdiFillTest, InvertRectTwiceRestoresEveryByte) {
    Canvas canvas(8, 2);
    for (int x = 0; x < 8; ++x) {
        canvas.Row(0)[x] = static_cast<std::uint8_t>(x * 37);
        canvas.Row(1)[x] = static_cast<std::uint8_t>(255 - x);
    }
    RECT all{0, 0, 8, 2};
    InvertRect(canvas.Dc(), &all);
    EXPECT_EQ(canvas.Row(0)[1], 255 - 37);
    EXPECT_EQ(canvas.Row(1)[0], 0);
    InvertRect(canvas.Dc(), &all);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(canvas.Row(0)[x], static_cast<std::uint8_t>(x * 37));
    }
}

TEST(GdiFillTest, ColoursMatchTheNearestEntryOfTheThresholdTable) {
    struct Case {
        COLORREF colour;
        std::uint32_t index;
        COLORREF reported;
    };
    const Case cases[] = {
        {RGB(0, 0, 0), 0, RGB(0, 0, 0)},
        {RGB(255, 255, 255), 129, RGB(255, 255, 255)},
        {RGB(127, 127, 127), 0, RGB(0, 0, 0)},
        {RGB(128, 128, 128), 129, RGB(255, 255, 255)},
        {RGB(255, 0, 0), 0, RGB(0, 0, 0)},
        {RGB(255, 255, 0), 129, RGB(255, 255, 255)},
    };
    for (const Case& c : cases) {
        Canvas canvas(4, 1);
        EXPECT_EQ(SetPixel(canvas.Dc(), 2, 0, c.colour), c.reported);
        EXPECT_EQ(canvas.Pixel(2, 0), c.index);
        EXPECT_EQ(GetPixel(canvas.Dc(), 2, 0), c.reported);
    }
}

TEST(GdiFillTest, SetPixelOutsideTheClipChangesNothing) {
    Canvas canvas(4, 2);
    Clip(canvas.Dc(), 1, 0, 3, 2);
    EXPECT_EQ(SetPixel(canvas.Dc(), 0, 0, RGB(255, 255, 255)), CLR_INVALID);
    EXPECT_EQ(SetPixel(canvas.Dc(), 3, 1, RGB(255, 255, 255)), CLR_INVALID);
    EXPECT_EQ(SetPixel(canvas.Dc(), 4, 0, RGB(255, 255, 255)), CLR_INVALID);
    EXPECT_EQ(GetPixel(canvas.Dc(), 0, 0), CLR_INVALID);
    SetViewportOrgEx(canvas.Dc(), 1, 1, nullptr);
    EXPECT_EQ(SetPixel(canvas.Dc(), 0, 0, RGB(255, 255, 255)), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Art(), ArtRows("....\n.#..\n"));
}

TEST(GdiFillTest, EveryFormatAndOrientationDrawsTheSamePicture) {
    struct Case {
        int bits;
        bool topDown;
    };
    const Case cases[] = {{8, true}, {8, false}, {1, true}, {1, false}, {32, true}, {32, false}};
    const auto expected = ArtRows(
        "#########.\n"
        "#.......#.\n"
        "#.####..#.\n"
        "#########.\n");
    for (const Case& c : cases) {
        Canvas canvas(10, 4, c.bits, c.topDown);
        RECT frame{0, 0, 9, 4};
        RECT bar{2, 2, 6, 3};
        FrameRect(canvas.Dc(), &frame, White());
        FillRect(canvas.Dc(), &bar, White());
        EXPECT_EQ(canvas.Art(), expected) << c.bits << (c.topDown ? " top-down" : " bottom-up");
    }
}

TEST(GdiFillTest, ThirtyTwoBitPixelsKeepTheirReservedByte) {
    Canvas canvas(2, 1, 32);
    canvas.Fill(0xAB000000u);
    RECT all{0, 0, 2, 1};
    FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    EXPECT_EQ(canvas.Pixel(0, 0), 0xABC0C0C0u);
    InvertRect(canvas.Dc(), &all);
    EXPECT_EQ(canvas.Pixel(1, 0), 0xAB3F3F3Fu);
}

TEST(GdiFillTest, BottomUpDibStoresTheTopRowLast) {
    Canvas canvas(4, 3, 8, false);
    SetPixel(canvas.Dc(), 1, 0, RGB(255, 255, 255));
    EXPECT_EQ(canvas.Memory()[2 * 4 + 1], 129);
    EXPECT_EQ(canvas.Memory()[1], 0);
}

TEST(GdiFillTest, HollowBrushPaintsNothing) {
    Canvas canvas(4, 2);
    RECT all{0, 0, 4, 2};
    FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
    FrameRect(canvas.Dc(), &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(canvas.Art(), ArtRows("....\n....\n"));
    EXPECT_EQ(FillRect(canvas.Dc(), &all, nullptr), 0);
}

TEST(GdiFillTest, PatBltAppliesPatternAndDestinationOperations) {
    struct Case {
        DWORD rop;
        const char* expected;
    };
    // Start: left half white. The brush is white.
    const Case cases[] = {
        {BLACKNESS, "....\n"}, {WHITENESS, "####\n"}, {DSTINVERT, "..##\n"},
        {PATCOPY, "####\n"},   {PATINVERT, "..##\n"},
    };
    for (const Case& c : cases) {
        Canvas canvas(4, 1);
        RECT left{0, 0, 2, 1};
        FillRect(canvas.Dc(), &left, White());
        SelectObject(canvas.Dc(), GetStockObject(WHITE_BRUSH));
        EXPECT_TRUE(PatBlt(canvas.Dc(), 0, 0, 4, 1, c.rop));
        EXPECT_EQ(canvas.Art(), ArtRows(c.expected)) << std::hex << c.rop;
    }
    Canvas canvas(4, 1);
    EXPECT_FALSE(PatBlt(canvas.Dc(), 0, 0, 4, 1, SRCCOPY));
}

TEST(GdiSeamTest, PaintMaskDrawsSetBitsAtTheLogicalPointClipped) {
    // A 10-pixel-wide mask, two bytes per row plus one byte of padding.
    const std::uint8_t bits[] = {
        0b10000000, 0b01000000, 0xFF,  //
        0b01111111, 0b11000000, 0xFF,  //
    };
    vareko::gdi::GlyphMask mask{bits, 10, 2, 3};
    struct Case {
        const char* name;
        POINT at;
        POINT viewport;
        RECT clip;
        const char* expected;
    };
    const Case cases[] = {
        {"plain", {0, 0}, {0, 0}, {0, 0, 12, 3},
         "#........#..\n.#########..\n............\n"},
        {"viewport", {1, 0}, {1, 1}, {0, 0, 12, 3},
         "............\n..#........#\n...#########\n"},
        {"clipped", {0, 0}, {0, 0}, {2, 0, 9, 3},
         "............\n..#######...\n............\n"},
        {"off the left", {-2, 1}, {0, 0}, {0, 0, 12, 3},
         "............\n.......#....\n########....\n"},
    };
    for (const Case& c : cases) {
        Canvas canvas(12, 3);
        Clip(canvas.Dc(), c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
        SetViewportOrgEx(canvas.Dc(), c.viewport.x, c.viewport.y, nullptr);
        vareko::gdi::DeviceContext* dc = vareko::gdi::LookupDc(canvas.Dc());
        ASSERT_NE(dc, nullptr);
        vareko::gdi::PaintMask(*dc, c.at.x, c.at.y, mask, RGB(255, 255, 255));
        EXPECT_EQ(canvas.Art(), ArtRows(c.expected)) << c.name;
    }
}

// Glyph masks are painted 8 or 64 pixels per step; every depth, place, clip
// and row padding must give what painting pixel by pixel gives.
TEST(GdiSeamTest, PaintMaskMatchesThePixelModelAtAnyPlaceClipAndDepth) {
    struct Depth {
        int bits;
        std::uint32_t white;  // the raw value white paints
        std::uint32_t valueMask;
    };
    constexpr Depth kDepths[] = {{1, 1, 1}, {8, 129, 0xFF}, {32, 0xFFFFFF, 0xFFFFFF}};
    std::mt19937 random(4316);
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int trial = 0; trial < 3000 && !HasFailure(); ++trial) {
        const Depth& depth = kDepths[trial % 3];
        const int width = between(1, 40);
        const int height = between(1, 4);
        Canvas canvas(width, height, depth.bits, between(0, 1) == 1);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) canvas.Set(x, y, static_cast<std::uint32_t>(random()) & depth.valueMask);
        }
        // Random bits everywhere, the padding past the mask's width included.
        const int maskWidth = between(1, 20);
        const int maskHeight = between(1, 5);
        const int stride = (maskWidth + 7) / 8 + between(0, 2);
        std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride * maskHeight));
        for (std::uint8_t& b : bits) b = static_cast<std::uint8_t>(random());
        const vareko::gdi::GlyphMask mask{bits.data(), maskWidth, maskHeight, stride};
        const POINT at{between(-maskWidth - 2, width + 2), between(-maskHeight - 1, height + 1)};
        const POINT viewport{between(-3, 3), between(-1, 1)};
        const RECT clip{between(0, width), 0, width, height};
        const bool logical = between(0, 1) == 1;
        const RECT logicalClip{between(-4, width), between(-2, height), between(0, width + 4), between(0, height + 2)};
        const bool white = between(0, 1) == 1;
        const std::uint32_t value = white ? depth.white : 0;

        std::vector<std::uint32_t> expected;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int mx = x - at.x - viewport.x;
                const int my = y - at.y - viewport.y;
                const int lx = x - viewport.x;
                const int ly = y - viewport.y;
                const bool painted =
                    mx >= 0 && mx < maskWidth && my >= 0 && my < maskHeight && x >= clip.left &&
                    (!logical || (lx >= logicalClip.left && lx < logicalClip.right && ly >= logicalClip.top &&
                                  ly < logicalClip.bottom)) &&
                    ((bits[static_cast<std::size_t>(my * stride + mx / 8)] >> (7 - mx % 8)) & 1) != 0;
                expected.push_back(painted ? value : canvas.Pixel(x, y));
            }
        }
        Clip(canvas.Dc(), clip.left, clip.top, clip.right, clip.bottom);
        SetViewportOrgEx(canvas.Dc(), viewport.x, viewport.y, nullptr);
        vareko::gdi::PaintMask(*vareko::gdi::LookupDc(canvas.Dc()), at.x, at.y, mask,
                               white ? RGB(255, 255, 255) : RGB(0, 0, 0), logical ? &logicalClip : nullptr);
        std::vector<std::uint32_t> painted;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) painted.push_back(canvas.Pixel(x, y));
        }
        EXPECT_EQ(painted, expected) << "trial " << trial << ", " << depth.bits << " bits, canvas " << width
                                     << "x" << height << ", mask " << maskWidth << "x" << maskHeight
                                     << " at " << at.x << "," << at.y;
    }
}

TEST(GdiSeamTest, FillLogicalRectHonoursViewportAndClip) {
    Canvas canvas(6, 2);
    Clip(canvas.Dc(), 0, 0, 4, 2);
    SetViewportOrgEx(canvas.Dc(), 2, 0, nullptr);
    vareko::gdi::FillLogicalRect(*vareko::gdi::LookupDc(canvas.Dc()), RECT{-1, 1, 5, 2},
                                 RGB(255, 255, 255));
    EXPECT_EQ(canvas.Art(), ArtRows("......\n.###..\n"));
}

}  // namespace
