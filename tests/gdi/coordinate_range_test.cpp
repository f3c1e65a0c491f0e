// Coordinates at the ends of the int range: a caller's coordinates and
// extents plus the viewport origin must neither overflow (the sanitizer
// build aborts on that) nor lose the part of the drawing that is on the
// bitmap.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "platform/win32.h"
#include "testing/support/canvas.h"

namespace {

using vareko::test::ArtRows;
using vareko::test::Canvas;

HBRUSH White() { return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)); }

TEST(GdiCoordinateRangeTest, ExtremeCoordinatesKeepWhatLiesOnTheBitmap) {
    struct Case {
        const char* name;
        POINT viewport;
        std::function<void(HDC dc, HDC source)> draw;
        const char* expected;
    };
    // The source picture is "#.##.#"; canvases are 6 x 2.
    const Case cases[] = {
        {"fill whose right edge passes INT_MAX", {10, 0},
         [](HDC dc, HDC) {
             RECT r{-8, 0, INT_MAX, 1};
             FillRect(dc, &r, White());
         },
         "..####\n......\n"},
        {"fill whose left edge passes INT_MIN", {-10, 0},
         [](HDC dc, HDC) {
             RECT r{INT_MIN, 1, 13, 2};
             FillRect(dc, &r, White());
         },
         "......\n###...\n"},
        {"frame reaching past both ends", {5, 0},
         [](HDC dc, HDC) {
             RECT r{INT_MIN, 0, INT_MAX, 2};
             FrameRect(dc, &r, White());
         },
         "######\n######\n"},
        {"inverted rectangle reaching past INT_MAX", {INT_MAX, 0},
         [](HDC dc, HDC) {
             RECT r{INT_MIN + 4, 0, INT_MAX, 1};
             InvertRect(dc, &r);
         },
         "...###\n......\n"},
        {"PatBlt width running past INT_MAX", {0, 0},
         [](HDC dc, HDC) { PatBlt(dc, 3, 0, INT_MAX, 2, WHITENESS); }, "...###\n...###\n"},
        {"PatBlt negative width running past INT_MIN", {3, 0},
         [](HDC dc, HDC) { PatBlt(dc, -1, 0, INT_MIN, 1, WHITENESS); }, "##....\n......\n"},
        {"pixel beyond INT_MAX", {INT_MAX, 0},
         [](HDC dc, HDC) {
             EXPECT_EQ(SetPixel(dc, 5, 0, RGB(255, 255, 255)), CLR_INVALID);
             EXPECT_EQ(GetPixel(dc, 5, 0), CLR_INVALID);
         },
         "......\n......\n"},
        {"pixel below INT_MIN", {INT_MIN, INT_MIN},
         [](HDC dc, HDC) { EXPECT_EQ(SetPixel(dc, -1, -1, RGB(255, 255, 255)), CLR_INVALID); },
         "......\n......\n"},
        {"line from beyond INT_MAX draws nothing", {1000, 0},
         [](HDC dc, HDC) {
             MoveToEx(dc, INT_MAX - 10, 0, nullptr);
             LineTo(dc, INT_MAX, 0);
         },
         "......\n......\n"},
        {"blit width running past INT_MAX", {2, 0},
         [](HDC dc, HDC source) { BitBlt(dc, 1, 1, INT_MAX, 1, source, 0, 0, SRCCOPY); },
         "......\n...#.#\n"},
        {"blit whose source offset passes INT_MIN", {INT_MAX, 0},
         [](HDC dc, HDC source) { BitBlt(dc, INT_MIN + 1, 0, 6, 1, source, INT_MIN, 0, SRCCOPY); },
         "......\n......\n"},
        {"blit from a source position passing INT_MAX", {0, 0},
         [](HDC dc, HDC source) {
             SetViewportOrgEx(source, INT_MAX, 0, nullptr);
             BitBlt(dc, 0, 0, 6, 1, source, 5, 0, SRCCOPY);
         },
         "......\n......\n"},
        {"blit between far-off viewports that cancel", {INT_MIN, 0},
         [](HDC dc, HDC source) {
             SetViewportOrgEx(source, INT_MIN, 0, nullptr);
             BitBlt(dc, INT_MAX, 1, 6, 1, source, INT_MAX - 2, 0, SRCCOPY);
         },
         "......\n..#.#.\n"},
    };
    for (const Case& c : cases) {
        Canvas canvas(6, 2);
        Canvas source(6, 1);
        RECT lit[] = {{0, 0, 1, 1}, {2, 0, 4, 1}, {5, 0, 6, 1}};
        for (const RECT& r : lit) FillRect(source.Dc(), &r, White());
        SetViewportOrgEx(canvas.Dc(), c.viewport.x, c.viewport.y, nullptr);
        c.draw(canvas.Dc(), source.Dc());
        EXPECT_EQ(canvas.Art(), ArtRows(c.expected)) << c.name;
    }
}

TEST(GdiCoordinateRangeTest, OriginOffsetsSaturateAndClipBoxStaysInRange) {
    const struct {
        POINT start;
        POINT offset;
        POINT origin;
        RECT clipBox;  // logical, of the whole 6 x 2 bitmap
    } cases[] = {
        {{0, 0}, {3, -1}, {3, -1}, {-3, 1, 3, 3}},
        {{INT_MAX - 1, 0}, {5, 0}, {INT_MAX, 0}, {-INT_MAX, 0, -INT_MAX + 6, 2}},
        {{INT_MIN, INT_MIN}, {-1, -7}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX, INT_MAX, INT_MAX}},
    };
    for (const auto& c : cases) {
        Canvas canvas(6, 2);
        SetViewportOrgEx(canvas.Dc(), c.start.x, c.start.y, nullptr);
        EXPECT_TRUE(OffsetViewportOrgEx(canvas.Dc(), c.offset.x, c.offset.y, nullptr));
        POINT origin{};
        GetViewportOrgEx(canvas.Dc(), &origin);
        EXPECT_EQ(origin.x, c.origin.x);
        EXPECT_EQ(origin.y, c.origin.y);
        RECT box{};
        GetClipBox(canvas.Dc(), &box);
        EXPECT_EQ(box.left, c.clipBox.left) << c.start.x;
        EXPECT_EQ(box.top, c.clipBox.top) << c.start.y;
        EXPECT_EQ(box.right, c.clipBox.right) << c.start.x;
        EXPECT_EQ(box.bottom, c.clipBox.bottom) << c.start.y;
    }
}

}  // namespace
