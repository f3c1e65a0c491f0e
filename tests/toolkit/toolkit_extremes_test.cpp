// The surface's rectangle fill and the object collection at the ends of the
// int range and with a null object: edges saturate instead of overflowing
// (the sanitizer build turns an overflow into a failure) and a null child is
// refused.
#include <gtest/gtest.h>

#include <climits>

#include "tests/toolkit/toolkit_test_objects.h"
#include "toolkit/graphics_surface.h"
#include "toolkit/page_base.h"

namespace {

using vareko::GraphicsSurface;
using vareko::PageBase;
using vareko::test::WhiteCount;
using vareko::test::PaintingObject;

constexpr int kAll = 160 * 43;

TEST(GraphicsSurfaceExtremes, FillRectangleSaturatesItsFarEdges) {
    const struct {
        int x, y, cx, cy;
        int lit;
    } cases[] = {
        {0, 0, 160, 43, kAll},
        {0, 0, 1, 1, 1},
        {0, 0, 0, 0, 0},
        {5, 5, -1, -1, 0},
        {0, 0, INT_MAX, INT_MAX, kAll},
        {-10, -10, INT_MAX, INT_MAX, kAll},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0},
        {INT_MAX, 0, 1, 1, 0},
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0},
        {INT_MIN, INT_MIN, INT_MIN, INT_MIN, 0},
        {INT_MIN, 0, -1, 43, 0},
        {159, 42, INT_MAX, INT_MAX, 1},
    };
    for (const auto& c : cases) {
        GraphicsSurface surface;
        ASSERT_EQ(surface.Create(160, 43), S_OK);
        surface.BeginDraw();
        surface.Clear();
        surface.FillRectangle(c.x, c.y, c.cx, c.cy);
        surface.EndDraw();
        EXPECT_EQ(WhiteCount(*surface.GetDeviceBitmap()), c.lit)
            << c.x << ", " << c.y << ", " << c.cx << " x " << c.cy;
    }
}

// Children with boxes and content offsets at the ends of the range, and a
// null one, on a page that is ticked and drawn: only the part of each box on
// the display is painted.
TEST(ObjectCollectionExtremes, BoxesAtTheEndsOfTheRangeAndNullChildren) {
    const struct {
        POINT origin;
        SIZE size;
        POINT offset;
        int lit;
    } cases[] = {
        {{0, 0}, {160, 43}, {0, 0}, kAll},
        {{0, 0}, {INT_MAX, INT_MAX}, {0, 0}, kAll},
        {{INT_MAX, INT_MAX}, {INT_MAX, INT_MAX}, {0, 0}, 0},
        {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {0, 0}, 0},
        {{-1, -1}, {2, 2}, {0, 0}, 1},
        {{0, 0}, {-1, -1}, {0, 0}, 0},
        {{0, 0}, {160, 43}, {INT_MIN, INT_MIN}, 0},
        {{0, 0}, {160, 43}, {INT_MAX, INT_MAX}, 0},
        {{10, 10}, {1, 1}, {-10, -10}, 1},
    };
    for (const auto& c : cases) {
        PageBase page;
        ASSERT_EQ(page.Initialize(), S_OK);
        PaintingObject child(RECT{0, 0, 160, 43});
        child.SetOrigin(c.origin);
        child.SetSize(c.size);
        child.SetOffset(c.offset);
        EXPECT_EQ(page.AddObject(nullptr), 0);
        EXPECT_EQ(page.AddObject(&child), 1);
        EXPECT_EQ(page.AddObject(nullptr), 0);
        page.Advance(1000);
        page.SetVisible(TRUE);
        page.Restart();
        ASSERT_EQ(page.Render(), S_OK);
        EXPECT_EQ(child.draws, 1);
        EXPECT_EQ(child.ticks, 1);
        EXPECT_EQ(WhiteCount(*page.GetDeviceBitmap()), c.lit)
            << c.origin.x << "," << c.origin.y << " " << c.size.cx << " x " << c.size.cy << " +" << c.offset.x;
        EXPECT_EQ(page.RemoveObject(nullptr), 0);
        page.RemoveObject(&child);
    }
}

}  // namespace
