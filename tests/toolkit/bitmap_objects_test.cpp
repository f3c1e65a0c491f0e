// Bitmap, animated bitmap and icon objects drawn on a page: every raster
// operation against its truth table, offsets, monochrome sources, frame
// counting and frame selection by the test clock, and icons at their size.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/win32.h"
#include "tests/toolkit/stage.h"
#include "testing/support/canvas.h"
#include "toolkit/animated_bitmap_object.h"
#include "toolkit/bitmap_object.h"
#include "toolkit/icon_object.h"
#include "toolkit/threshold_bitmaps.h"

namespace {

using vareko::AnimatedBitmapObject;
using vareko::BitmapObject;
using vareko::IconObject;
using vareko::platform::TestClock;
using vareko::test::ArtRows;
using vareko::test::Stage;

// An 8-bit picture with the surface's threshold table, not held by any DC
// (a bitmap selected into one DC cannot be selected into another).
class Picture {
  public:
    explicit Picture(const char* rows)
        : bitmap_(vareko::ThresholdBitmapFromArt(ArtRows(rows), vareko::kWhiteThreshold)) {}
    ~Picture() { DeleteObject(bitmap_); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    HBITMAP Bitmap() const { return bitmap_; }

  private:
    HBITMAP bitmap_;
};

// Paints a page-wide white or black pattern under the object first.
class Underlay : public vareko::DisplayObject {
  public:
    explicit Underlay(const char* row) : row_(row) {}
    void Draw(vareko::GraphicsSurface& surface) override {
        for (int x = 0; row_[x] != 0; ++x) {
            surface.PlotPixel(x, 0, row_[x] == '#');
        }
    }

  private:
    const char* row_;
};

TEST(BitmapObjectTest, EveryRasterOperationFollowsItsTruthTable) {
    // Columns: (source, destination) = (0,0) (1,0) (0,1) (1,1); the pattern is
    // the surface's white brush.
    struct Case {
        const char* name;
        DWORD rop;
        const char* result;
    };
    const Case cases[] = {
        {"SRCCOPY", SRCCOPY, ".#.#"},         {"SRCPAINT", SRCPAINT, ".###"},
        {"SRCAND", SRCAND, "...#"},           {"SRCINVERT", SRCINVERT, ".##."},
        {"SRCERASE", SRCERASE, ".#.."},       {"NOTSRCCOPY", NOTSRCCOPY, "#.#."},
        {"NOTSRCERASE", NOTSRCERASE, "#..."}, {"MERGECOPY", MERGECOPY, ".#.#"},
        {"MERGEPAINT", MERGEPAINT, "#.##"},   {"PATCOPY", PATCOPY, "####"},
        {"PATPAINT", PATPAINT, "####"},       {"PATINVERT", PATINVERT, "##.."},
        {"DSTINVERT", DSTINVERT, "##.."},     {"BLACKNESS", BLACKNESS, "...."},
        {"WHITENESS", WHITENESS, "####"},
    };
    Picture source(".#.#");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stage stage;
        Underlay destination("..##");
        destination.SetSize(4, 1);
        BitmapObject bitmap;
        bitmap.Initialize();
        bitmap.SetSize(4, 1);
        bitmap.SetBitmap(source.Bitmap());
        bitmap.SetRasterOp(c.rop);
        stage.Add(destination);
        stage.Add(bitmap);
        EXPECT_EQ(stage.Render(0, 0, 4, 1), ArtRows(c.result));
    }
}

TEST(BitmapObjectTest, OffsetMovesTheWindowNotThePicture) {
    Picture source("#.##\n.##.\n");
    struct Case {
        POINT offset;
        const char* rows;
    };
    const Case cases[] = {
        {{0, 0}, "#.##\n.##.\n"},
        {{1, 0}, "..##\n.##.\n"},  // the first column stays unpainted
        {{-1, 0}, "#.#.\n.##.\n"},
        {{0, 1}, "....\n.##.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset.x * 10 + c.offset.y);
        Stage stage;
        BitmapObject bitmap;
        bitmap.SetSize(4, 2);
        bitmap.SetOffset(c.offset);
        bitmap.SetBitmap(source.Bitmap());
        stage.Add(bitmap);
        EXPECT_EQ(stage.Render(0, 0, 4, 2), ArtRows(c.rows));
    }
}

TEST(BitmapObjectTest, MonochromeSourceTakesTheSurfaceColours) {
    HBITMAP mono = vareko::MonoBitmapFromArt(ArtRows("#..#\n"));
    Stage stage;
    BitmapObject bitmap;
    bitmap.SetSize(4, 1);
    bitmap.SetBitmap(mono);
    stage.Add(bitmap);
    EXPECT_EQ(stage.Render(0, 0, 4, 1), ArtRows(".##.\n"));  // 0 bits white, 1 bits black
    DeleteObject(mono);
}

TEST(BitmapObjectTest, NoBitmapOrNoBoxPaintsNothing) {
    Picture source("####");
    Stage stage;
    BitmapObject empty;
    empty.SetSize(4, 1);
    BitmapObject unsized;
    unsized.SetBitmap(source.Bitmap());
    stage.Add(empty);
    stage.Add(unsized);
    EXPECT_EQ(empty.GetRasterOp(), static_cast<DWORD>(SRCCOPY));
    EXPECT_EQ(stage.Render(0, 0, 4, 1), ArtRows("....\n"));
}

// Four frames of 4 x 1; frame n lights its column n.
class AnimationTest : public ::testing::Test {
  protected:
    AnimationTest() : clock_(1000), strip_("#....#....#....#") {
        animation_.Initialize();
        animation_.SetBitmap(strip_.Bitmap());
        animation_.SetFrameWidth(4);
        animation_.SetSize(4, 1);
        stage_.Add(animation_);
    }

    // One update cycle at now: tick, then draw; returns the frame shown.
    std::string Cycle(DWORD now) {
        clock_.Set(now);
        stage_.page.Advance(now);
        return stage_.Render(0, 0, 4, 1)[0];
    }

    TestClock clock_;
    Picture strip_;
    AnimatedBitmapObject animation_;
    Stage stage_;
};

TEST_F(AnimationTest, CountsWholeFramesAndTakesTheBitmapAsExtent) {
    Picture wide(
        "................................................................\n"
        "................................................................\n"
        "................................................................\n");
    struct Case {
        DWORD width, frames;
    };
    for (Case c : {Case{16, 4}, Case{20, 3}, Case{64, 1}, Case{65, 0}, Case{0, 0}}) {
        SCOPED_TRACE(c.width);
        AnimatedBitmapObject object;
        object.Initialize();
        object.SetBitmap(wide.Bitmap());
        object.SetFrameWidth(c.width);
        EXPECT_EQ(object.GetFrameCount(), c.frames);
        if (c.width != 0) {
            EXPECT_EQ(object.GetExtent()->cx, 64);
            EXPECT_EQ(object.GetExtent()->cy, 3);
        }
    }
    AnimatedBitmapObject early;
    early.Initialize();
    early.SetFrameWidth(16);  // before the bitmap: stays without frames
    early.SetBitmap(wide.Bitmap());
    EXPECT_EQ(early.GetFrameCount(), 0u);
}

TEST_F(AnimationTest, StepsByWholePeriodsAndShowsTheFrameCurrentAtTheDraw) {
    EXPECT_EQ(Cycle(1249), "#...");  // 249 ms: no step
    EXPECT_EQ(Cycle(1250), "#...");  // 250 ms: shows frame 0, then steps to 1
    EXPECT_EQ(Cycle(1250), ".#..");
    EXPECT_EQ(Cycle(1750), ".#..");  // two periods: steps to 3
    EXPECT_EQ(Cycle(1750), "...#");
    // 600 ms on frame 3: shows 3, steps two frames on to 1; the rest is
    // dropped at the next tick, which measures from this draw.
    EXPECT_EQ(Cycle(2350), "...#");
    EXPECT_EQ(animation_.GetCurrentFrame(), 1u);
    EXPECT_EQ(Cycle(2599), ".#..");
    EXPECT_EQ(Cycle(2600), ".#..");
    EXPECT_EQ(animation_.GetCurrentFrame(), 2u);
}

TEST_F(AnimationTest, TickCountWrapStillMeasuresTheTrueElapsedTime) {
    clock_.Set(0xFFFFFF00u);
    animation_.Restart();
    EXPECT_EQ(Cycle(0x00000050u), "#...");  // 336 ms across the wrap
    EXPECT_EQ(animation_.GetCurrentFrame(), 1u);
}

TEST_F(AnimationTest, RestartShowsFrameZeroAndRestartsThePeriod) {
    Cycle(1250);
    Cycle(1500);
    ASSERT_EQ(animation_.GetCurrentFrame(), 2u);
    clock_.Set(1600);
    animation_.Restart();
    EXPECT_EQ(Cycle(1849), "#...");
    EXPECT_EQ(animation_.GetCurrentFrame(), 0u);
    Cycle(1850);
    EXPECT_EQ(animation_.GetCurrentFrame(), 1u);
}

TEST_F(AnimationTest, ZeroPeriodIsOneMillisecondAndLongPausesWrapTheFrames) {
    animation_.SetFramePeriod(0);
    Cycle(1005);  // five steps of 1 ms from frame 0
    EXPECT_EQ(animation_.GetCurrentFrame(), 1u);
    // 2^32 - 1 ms in one go: (1 + 4294967295) mod 4 frames.
    animation_.Tick(1005 + 0xFFFFFFFFu);
    stage_.Render(0, 0, 4, 1);
    EXPECT_EQ(animation_.GetCurrentFrame(), 0u);
}

TEST_F(AnimationTest, NoFramesDrawsNothingAndDoesNotAdvance) {
    animation_.SetFrameWidth(17);
    EXPECT_EQ(Cycle(5000), "....");
    EXPECT_EQ(animation_.GetCurrentFrame(), 0u);
}

TEST(IconObjectTest, DrawsAtItsOwnSizeAndRestoresTheBackgroundMode) {
    Picture picture("##\n#.\n");  // black under the transparent quarter
    HBITMAP mask = vareko::MonoBitmapFromArt(ArtRows("..\n.#\n"));
    ICONINFO info{TRUE, 0, 0, mask, picture.Bitmap()};
    HICON icon = CreateIconIndirect(&info);

    Stage stage;
    IconObject standard;  // 16 x 16 until told otherwise
    standard.SetSize(20, 20);
    standard.SetIcon(icon, 16, 16);
    stage.Add(standard);
    std::vector<std::string> rows = stage.Render(0, 0, 18, 18);
    EXPECT_EQ(rows[0], "################..");
    EXPECT_EQ(rows[8], "########..........");  // the mask's clear quarter, scaled
    EXPECT_EQ(rows[16], "..................");

    IconObject small;
    small.SetOrigin(30, 0);
    small.SetSize(4, 4);
    small.SetIcon(icon, 2, 2);
    stage.Add(small);
    EXPECT_EQ(stage.Render(30, 0, 3, 3), ArtRows("##.\n#..\n...\n"));
    DestroyIcon(icon);
    DeleteObject(mask);
}

// Sizes at the ends of the range: a huge icon is drawn clipped to the box,
// scaled as any other (only its white top-left pixel reaches the box at these
// scales); a negative size draws nothing.
TEST(IconObjectTest, ExtremeSizesDrawClippedOrNothing) {
    Picture picture("#.\n..\n");
    HBITMAP mask = vareko::MonoBitmapFromArt(ArtRows("..\n..\n"));
    ICONINFO info{TRUE, 0, 0, mask, picture.Bitmap()};
    HICON icon = CreateIconIndirect(&info);
    const std::string allWhite(8, '#');
    const std::string allBlack(8, '.');
    const struct {
        int cx, cy;
        std::string firstRow, lastRow;
    } cases[] = {
        {65537, 65537, allWhite, allWhite},     {INT_MAX, INT_MAX, allWhite, allWhite},
        {INT_MAX, 1, allWhite, allBlack},       {1, INT_MAX, "#.......", "#......."},
        {0, 0, "#.......", allBlack},           {1, 1, "#.......", allBlack},
        {-1, 4, allBlack, allBlack},            {INT_MIN, INT_MIN, allBlack, allBlack},
        {INT_MAX, INT_MIN, allBlack, allBlack},
    };
    for (const auto& c : cases) {
        Stage stage;
        IconObject object;
        object.SetSize(8, 8);
        object.SetIcon(icon, c.cx, c.cy);
        stage.Add(object);
        const std::vector<std::string> rows = stage.Render(0, 0, 9, 9);
        EXPECT_EQ(rows[0].substr(0, 8), c.firstRow) << c.cx << " x " << c.cy;
        EXPECT_EQ(rows[7].substr(0, 8), c.lastRow) << c.cx << " x " << c.cy;
        EXPECT_EQ(rows[0][8], '.') << "clipped to the box";
        EXPECT_EQ(rows[8], std::string(9, '.')) << "clipped to the box";
    }
    DestroyIcon(icon);
    DeleteObject(mask);
}

TEST(IconObjectTest, NullIconOnlySetsAndRestoresTheBackgroundMode) {
    vareko::GraphicsSurface surface;
    ASSERT_EQ(surface.Create(160, 43), S_OK);
    surface.BeginDraw();
    SetBkMode(surface.GetMemoryDC(), OPAQUE);
    IconObject icon;
    icon.SetSize(16, 16);
    icon.Draw(surface);
    EXPECT_EQ(GetBkMode(surface.GetMemoryDC()), OPAQUE);
    surface.EndDraw();
}

}  // namespace
