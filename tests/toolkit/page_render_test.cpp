// Collections and pages: drawing children clipped to their boxes and moved
// by their offsets, visibility, ticks, list semantics and the DeviceBitmap
// of a rendered page.
#include <gtest/gtest.h>

#include <climits>

#include "testing/support/canvas.h"
#include "testing/support/png_debug.h"
#include "tests/toolkit/toolkit_test_objects.h"
#include "toolkit/object_collection.h"
#include "toolkit/page_base.h"

namespace {

using vareko::DeviceBitmap;
using vareko::ObjectCollection;
using vareko::PageBase;
using vareko::test::ArtRows;
using vareko::test::FrameArt;
using vareko::test::WhiteCount;
using vareko::test::PaintingObject;

// Renders the page and returns its frame; on a test failure the frame is
// also written as a PNG beside the test.
class PageRenderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(page.Initialize(), S_OK); }

    void TearDown() override {
        if (HasFailure() && frame != nullptr) {
            std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
            vareko::test::WriteThresholdPng(vareko::test::ArtifactPath(name + ".png"), frame->pixels,
                                            160, 43, 160);
        }
    }

    const DeviceBitmap& Render() {
        EXPECT_EQ(page.Render(), S_OK);
        frame = page.GetDeviceBitmap();
        EXPECT_NE(frame, nullptr);
        return *frame;
    }

    PageBase page;
    DeviceBitmap* frame = nullptr;
};

TEST_F(PageRenderTest, ChildIsClippedToItsBoxAndShiftedByItsOffset) {
    struct Case {
        const char* name;
        POINT origin;
        SIZE size;
        POINT offset;
        RECT paint;  // in the child's own coordinates
        const char* expected;  // surface columns 0..9, rows 0..3
    };
    const Case cases[] = {
        {"inside", {2, 1}, {4, 2}, {0, 0}, {0, 0, 2, 1},
         "..........\n..##......\n..........\n..........\n"},
        {"paints beyond its box", {2, 1}, {4, 2}, {0, 0}, {-5, -5, 50, 50},
         "..........\n..####....\n..####....\n..........\n"},
        {"negative offset", {0, 0}, {10, 2}, {0, -1}, {0, 0, 3, 3},
         "###.......\n###.......\n..........\n..........\n"},
        {"offset point lands at origin", {5, 0}, {3, 1}, {-5, 0}, {5, 0, 6, 1},
         ".....#....\n..........\n..........\n..........\n"},
        {"offset point outside the box", {5, 0}, {3, 1}, {-5, 0}, {0, 0, 1, 1},
         "..........\n..........\n..........\n..........\n"},
        {"positive offset", {1, 1}, {4, 3}, {2, 1}, {0, 0, 9, 9},
         "..........\n..........\n...##.....\n...##.....\n"},
        {"size zero", {1, 1}, {0, 0}, {0, 0}, {-5, -5, 50, 50},
         "..........\n..........\n..........\n..........\n"},
        // Box edges and offsets beyond the int range saturate.
        {"box running past INT_MAX", {5, 0}, {INT_MAX, 1}, {0, 0}, {0, 0, 3, 9},
         ".....###..\n..........\n..........\n..........\n"},
        {"box at the end of the int range", {INT_MAX - 2, 0}, {80, 4}, {10, 0}, {-50, 0, 50, 4},
         "..........\n..........\n..........\n..........\n"},
        {"offset past INT_MIN", {INT_MIN + 1, 0}, {INT_MAX, 4}, {-5, 0}, {0, 0, 50, 4},
         "..........\n..........\n..........\n..........\n"},
    };
    for (const Case& c : cases) {
        PaintingObject child(c.paint);
        child.SetOrigin(c.origin.x, c.origin.y);
        child.SetSize(c.size.cx, c.size.cy);
        child.SetOffset(c.offset.x, c.offset.y);
        page.AddObject(&child);
        const DeviceBitmap& result = Render();
        EXPECT_EQ(FrameArt(result, 0, 0, 10, 4), ArtRows(c.expected)) << c.name;
        page.RemoveObject(&child);
    }
}

TEST_F(PageRenderTest, NothingOutsideTheBoxesIsLitOnAFullPage) {
    PaintingObject left(RECT{-100, -100, 100, 100});
    left.SetOrigin(0, 0);
    left.SetSize(20, 10);
    PaintingObject right(RECT{-100, -100, 100, 100});
    right.SetOrigin(150, 40);
    right.SetSize(30, 30);  // reaches beyond the surface
    page.AddObject(&left);
    page.AddObject(&right);
    const DeviceBitmap& result = Render();
    EXPECT_EQ(WhiteCount(result), 20 * 10 + 10 * 3);
    EXPECT_EQ(FrameArt(result, 148, 39, 160, 43),
              ArtRows("............\n..##########\n..##########\n..##########\n"));
}

TEST_F(PageRenderTest, LaterChildrenPaintOverEarlierOnes) {
    PaintingObject first(RECT{0, 0, 4, 1});
    first.SetSize(4, 1);
    // A child that paints black over part of the first.
    struct BlackObject : vareko::DisplayObject {
        void Draw(vareko::GraphicsSurface& surface) override {
            surface.PlotPixel(0, 0, false);
        }
    } second;
    second.SetOrigin(1, 0);
    second.SetSize(1, 1);
    page.AddObject(&first);
    page.AddObject(&second);
    EXPECT_EQ(FrameArt(Render(), 0, 0, 5, 1), ArtRows("#.##.\n"));
}

TEST_F(PageRenderTest, InvisibleChildrenAreSkippedButStillTicked) {
    PaintingObject shown(RECT{0, 0, 1, 1});
    shown.SetSize(1, 1);
    PaintingObject hidden(RECT{0, 0, 1, 1});
    hidden.SetOrigin(2, 0);
    hidden.SetSize(1, 1);
    hidden.SetVisible(FALSE);
    page.AddObject(&shown);
    page.AddObject(&hidden);
    page.Advance(1234);
    page.Restart();
    EXPECT_EQ(FrameArt(Render(), 0, 0, 4, 1), ArtRows("#...\n"));
    EXPECT_EQ(hidden.draws, 0);
    EXPECT_EQ(hidden.ticks, 1);
    EXPECT_EQ(hidden.lastTick, 1234u);
    EXPECT_EQ(hidden.restarts, 1);
    EXPECT_EQ(shown.draws, 1);
}

TEST_F(PageRenderTest, HidingThePageHidesEveryChildAndShowingShowsAll) {
    PaintingObject a(RECT{0, 0, 1, 1});
    a.SetSize(1, 1);
    PaintingObject b(RECT{0, 0, 1, 1});
    b.SetOrigin(1, 0);
    b.SetSize(1, 1);
    b.SetVisible(FALSE);
    page.AddObject(&a);
    page.AddObject(&b);
    page.SetVisible(FALSE);
    EXPECT_FALSE(a.IsVisible());
    EXPECT_EQ(WhiteCount(Render()), 0);
    page.SetVisible(TRUE);
    EXPECT_TRUE(b.IsVisible());
    EXPECT_EQ(FrameArt(Render(), 0, 0, 3, 1), ArtRows("##.\n"));
}

TEST_F(PageRenderTest, NestedChildrenUseSurfacePositionsAndLeaveNoClipBehind) {
    ObjectCollection group;
    group.SetOrigin(4, 0);
    group.SetSize(4, 2);
    PaintingObject inner(RECT{0, 0, 2, 1});
    inner.SetOrigin(1, 1);  // a surface position, not relative to the group
    inner.SetSize(2, 1);
    group.AddObject(&inner);
    PaintingObject after(RECT{0, 0, 10, 1});
    after.SetSize(10, 1);
    page.AddObject(&group);
    page.AddObject(&after);
    EXPECT_EQ(FrameArt(Render(), 0, 0, 10, 2), ArtRows("##########\n.##.......\n"));
}

TEST(ObjectCollectionTest, DrawRestoresTheViewportAndRemovesEveryClip) {
    vareko::GraphicsSurface surface;
    ASSERT_EQ(surface.Create(16, 4), S_OK);
    surface.BeginDraw();
    HDC dc = surface.GetMemoryDC();
    SetViewportOrgEx(dc, 3, 1, nullptr);
    HRGN outer = CreateRectRgn(0, 0, 2, 2);
    SelectClipRgn(dc, outer);
    DeleteObject(outer);
    ObjectCollection collection;
    PaintingObject child(RECT{0, 0, 1, 1});
    child.SetOrigin(5, 2);
    child.SetSize(1, 1);
    collection.AddObject(&child);
    collection.Draw(surface);
    POINT viewport{};
    GetViewportOrgEx(dc, &viewport);
    EXPECT_EQ(viewport.x, 3);
    EXPECT_EQ(viewport.y, 1);
    RECT box{};
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.right - box.left, 16);  // the whole bitmap: no clip left
    surface.EndDraw();
    EXPECT_TRUE(vareko::IsWhitePixel(surface.GetDeviceBitmap()->pixels[2 * 16 + 5]));
}

TEST_F(PageRenderTest, SamePointerTwiceIsDrawnAndTickedTwice) {
    PaintingObject child(RECT{0, 0, 1, 1});
    child.SetSize(1, 1);
    page.AddObject(&child);
    EXPECT_EQ(page.AddObject(&child), 1);
    Render();
    page.Advance(5);
    EXPECT_EQ(child.draws, 2);
    EXPECT_EQ(child.ticks, 2);
    PaintingObject stranger;
    EXPECT_EQ(page.RemoveObject(&stranger), 0);
    EXPECT_EQ(page.RemoveObject(&child), 0);
    Render();
    EXPECT_EQ(child.draws, 3);  // one entry is left
    page.RemoveObject(&child);
    Render();
    EXPECT_EQ(child.draws, 3);
}

TEST_F(PageRenderTest, FrameBytesReadByTheThresholdAsThePicture) {
    PaintingObject child(RECT{0, 0, 160, 43});
    child.SetOrigin(0, 42);
    child.SetSize(160, 1);
    page.AddObject(&child);
    const DeviceBitmap& result = Render();
    EXPECT_EQ(result.format, 1u);
    for (int i = 0; i < 160 * 43; ++i) {
        bool lit = i >= 160 * 42;
        ASSERT_EQ(vareko::IsWhitePixel(result.pixels[i]), lit) << i;
    }
}

}  // namespace
