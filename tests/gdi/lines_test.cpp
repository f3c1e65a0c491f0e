// Lines: octants, excluded end points, styled pens, clipping and viewport.
#include <gtest/gtest.h>

#include "platform/win32.h"
#include "testing/support/canvas.h"

namespace {

using vareko::test::ArtRows;
using vareko::test::Canvas;

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

TEST(GdiLinesTest, EveryOctantExcludesTheEndPoint) {
    struct Case {
        const char* name;
        POINT from, to;
        const char* expected;
    };
    // Halfway cases round toward the start point.
    const Case cases[] = {
        {"east", {0, 1}, {4, 1}, "......\n####..\n......\n......\n......\n"},
        {"west", {4, 1}, {0, 1}, "......\n.####.\n......\n......\n......\n"},
        {"south", {2, 0}, {2, 3}, "..#...\n..#...\n..#...\n......\n......\n"},
        {"north", {2, 3}, {2, 0}, "......\n..#...\n..#...\n..#...\n......\n"},
        {"east-south-east", {0, 0}, {4, 2}, "##....\n..##..\n......\n......\n......\n"},
        {"west-north-west", {4, 2}, {0, 0}, ".#....\n..##..\n....#.\n......\n......\n"},
        {"east-north-east", {0, 2}, {4, 0}, "...#..\n.##...\n#.....\n......\n......\n"},
        {"west-south-west", {4, 0}, {0, 2}, "...##.\n.##...\n......\n......\n......\n"},
        {"south-south-east", {0, 0}, {2, 4}, "#.....\n#.....\n.#....\n.#....\n......\n"},
        {"north-north-west", {2, 4}, {0, 0}, "......\n#.....\n.#....\n.#....\n..#...\n"},
        {"south-south-west", {2, 0}, {0, 4}, "..#...\n.#....\n.#....\n#.....\n......\n"},
        {"north-north-east", {0, 4}, {2, 0}, "......\n.#....\n.#....\n#.....\n#.....\n"},
        {"diagonal", {0, 0}, {4, 4}, "#.....\n.#....\n..#...\n...#..\n......\n"},
        {"anti-diagonal", {4, 0}, {0, 4}, "....#.\n...#..\n..#...\n.#....\n......\n"},
        {"one pixel", {3, 3}, {4, 3}, "......\n......\n......\n...#..\n......\n"},
        {"nothing", {3, 3}, {3, 3}, "......\n......\n......\n......\n......\n"},
    };
    for (const Case& c : cases) {
        Canvas canvas(6, 5);
        SelectObject(canvas.Dc(), GetStockObject(WHITE_PEN));
        Line(canvas.Dc(), c.from.x, c.from.y, c.to.x, c.to.y);
        EXPECT_EQ(canvas.Art(), ArtRows(c.expected)) << c.name;
    }
}

TEST(GdiLinesTest, LineToMovesTheCurrentPosition) {
    Canvas canvas(5, 3);
    SelectObject(canvas.Dc(), GetStockObject(WHITE_PEN));
    POINT previous{-1, -1};
    MoveToEx(canvas.Dc(), 0, 0, nullptr);
    LineTo(canvas.Dc(), 4, 0);
    LineTo(canvas.Dc(), 4, 2);
    MoveToEx(canvas.Dc(), 0, 2, &previous);
    EXPECT_EQ(previous.x, 4);
    EXPECT_EQ(previous.y, 2);
    EXPECT_EQ(canvas.Art(), ArtRows("#####\n....#\n.....\n"));
}

TEST(GdiLinesTest, StyledPensStartTheirPatternWithEveryLine) {
    struct Case {
        const char* name;
        int style;
        int bkMode;
        std::vector<int> stops;  // x of MoveToEx, then of each LineTo, on row 0
        const char* expected;
    };
    const Case cases[] = {
        {"dot opaque", PS_DOT, OPAQUE, {0, 14}, "###...###...##..\n"},
        {"dot transparent", PS_DOT, TRANSPARENT, {0, 14}, "###...########..\n"},
        {"dot restarts", PS_DOT, OPAQUE, {0, 2, 8}, "#####...........\n"},
        {"dash", PS_DASH, OPAQUE, {0, 16}, "################\n"},
        {"dash-dot", PS_DASHDOT, OPAQUE, {0, 16}, "#########......#\n"},
        {"null pen", PS_NULL, OPAQUE, {0, 16}, "................\n"},
    };
    for (const Case& c : cases) {
        Canvas canvas(16, 1);
        if (c.bkMode == TRANSPARENT) {
            // Gaps show what was there: light the middle so it shows.
            RECT middle{6, 0, 12, 1};
            FillRect(canvas.Dc(), &middle, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        }
        SetBkMode(canvas.Dc(), c.bkMode);
        SetBkColor(canvas.Dc(), RGB(0, 0, 0));
        HPEN pen = CreatePen(c.style, 1, RGB(255, 255, 255));
        HGDIOBJ old = SelectObject(canvas.Dc(), pen);
        MoveToEx(canvas.Dc(), c.stops[0], 0, nullptr);
        for (std::size_t i = 1; i < c.stops.size(); ++i) {
            LineTo(canvas.Dc(), c.stops[i], 0);
        }
        EXPECT_EQ(canvas.Art(), ArtRows(c.expected)) << c.name;
        SelectObject(canvas.Dc(), old);
        DeleteObject(pen);
    }
}

// Clipping must not change which pixels a line lights: draw every line once
// on a large canvas and once on a small clipped one, and compare.
TEST(GdiLinesTest, ClippingKeepsThePixelsOfTheUnclippedLine) {
    constexpr int kBig = 40, kOffset = 15;
    const RECT clips[] = {{0, 0, 10, 10}, {2, 3, 7, 5}, {4, 0, 5, 10}, {0, 6, 10, 7}, {3, 3, 3, 3}};
    int lines = 0;
    for (int x1 = -6; x1 <= 15; x1 += 7) {
        for (int y1 = -5; y1 <= 14; y1 += 6) {
            for (int x2 = -4; x2 <= 14; x2 += 3) {
                for (int y2 = -6; y2 <= 15; y2 += 5) {
                    Canvas reference(kBig, kBig);
                    SelectObject(reference.Dc(), GetStockObject(WHITE_PEN));
                    SetViewportOrgEx(reference.Dc(), kOffset, kOffset, nullptr);
                    Line(reference.Dc(), x1, y1, x2, y2);
                    for (const RECT& clip : clips) {
                        Canvas canvas(10, 10);
                        SelectObject(canvas.Dc(), GetStockObject(WHITE_PEN));
                        HRGN region = CreateRectRgn(clip.left, clip.top, clip.right, clip.bottom);
                        SelectClipRgn(canvas.Dc(), region);
                        DeleteObject(region);
                        Line(canvas.Dc(), x1, y1, x2, y2);
                        for (int y = 0; y < 10; ++y) {
                            for (int x = 0; x < 10; ++x) {
                                bool inside = x >= clip.left && x < clip.right && y >= clip.top &&
                                              y < clip.bottom;
                                bool expected = inside && reference.Lit(x + kOffset, y + kOffset);
                                ASSERT_EQ(canvas.Lit(x, y), expected)
                                    << "line (" << x1 << "," << y1 << ")-(" << x2 << "," << y2
                                    << ") pixel " << x << "," << y;
                            }
                        }
                    }
                    ++lines;
                }
            }
        }
    }
    EXPECT_GT(lines, 300);
}

TEST(GdiLinesTest, ViewportMovesLinesButNotTheClip) {
    Canvas canvas(6, 3);
    SelectObject(canvas.Dc(), GetStockObject(WHITE_PEN));
    HRGN region = CreateRectRgn(0, 0, 4, 3);
    SelectClipRgn(canvas.Dc(), region);
    DeleteObject(region);
    SetViewportOrgEx(canvas.Dc(), 2, 1, nullptr);
    Line(canvas.Dc(), 0, 0, 4, 0);
    EXPECT_EQ(canvas.Art(), ArtRows("......\n..##..\n......\n"));
}

}  // namespace
