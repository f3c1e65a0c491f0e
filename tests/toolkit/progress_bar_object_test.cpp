// ProgressBarObject: the mapping to pixels, clamping, and what each style
// draws for a range, position and box, including reversed and equal ranges
// and values far outside the range.
#include "toolkit/progress_bar_object.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "tests/toolkit/stage.h"
#include "testing/support/canvas.h"

namespace {

using vareko::MapToPixels;
using vareko::ProgressBarObject;
using vareko::test::ArtRows;

TEST(ProgressBarTest, MapsValuesOntoThePixelInterval) {
    struct Case {
        float value;
        int a, b, c, d;
        int expected;
    };
    const Case cases[] = {
        {50, 0, 100, 0, 160, 80},                               // the bar of a 160-pixel box
        {0, 0, 100, 1, 154, 1},                                 // the cursor at both ends
        {100, 0, 100, 1, 154, 154},    {33, 0, 100, 0, 10, 3},  // truncated, not rounded
        {-50, 0, 100, -10, 10, -20},                            // truncated toward zero from below
        {25, 100, 0, 0, 20, 15},                                // a reversed range maps backwards
        {7, 5, 5, 3, 40, 3},                                    // equal bounds: the start
        {1e9f, 0, 1, 0, 20, INT_MAX},                           // saturates instead of overflowing
        {-1e9f, 0, 1, 0, 20, INT_MIN}, {0, INT_MIN, INT_MAX, 0, 100, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(MapToPixels(c.value, c.a, c.b, c.c, c.d), c.expected);
    }
}

TEST(ProgressBarTest, PositionIsClampedIntoTheRangeWhenSet) {
    struct Case {
        int minimum, maximum;
        float value, stored;
    };
    const Case cases[] = {
        {0, 100, 150, 100},      {0, 100, -3, 0},
        {0, 100, 42.5f, 42.5f},  {0, 100, NAN, 100},  // not a number ends as the maximum
        {50, 50, 7, 50},         {100, 0, 50, 100},   // a reversed range keeps the minimum
        {0, 100, INFINITY, 100}, {0, 100, -INFINITY, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ProgressBarObject bar;
        bar.SetRange(c.minimum, c.maximum);
        EXPECT_EQ(bar.SetPosition(c.value), c.stored);
        EXPECT_EQ(bar.GetPosition(), c.stored);
    }
}

TEST(ProgressBarTest, ChangingTheRangeKeepsThePositionUntilItIsSetAgain) {
    ProgressBarObject bar;
    bar.SetPosition(80);
    const int range[2] = {0, 50};
    bar.SetRange(range);
    EXPECT_EQ(bar.GetRange()[0], 0);
    EXPECT_EQ(bar.GetRange()[1], 50);
    EXPECT_EQ(bar.GetPosition(), 80);
    EXPECT_EQ(bar.SetPosition(bar.GetPosition()), 50);
}

TEST(ProgressBarTest, StylesOutsideTheKnownLooksSelectTheFrameOnly) {
    const struct {
        int given, stored;
    } cases[] = {
        {0, 0}, {1, 1}, {2, 2}, {3, 3},  // Bar, Cursor, CursorWithTrail, FrameOnly
        {4, 3}, {7, 3}, {-1, 3}, {INT_MIN, 3}, {INT_MAX, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        ProgressBarObject bar;
        bar.SetStyle(c.given);
        EXPECT_EQ(bar.GetStyle(), c.stored);
    }
    ProgressBarObject bar;
    bar.SetStyle(2);
    bar.SetCursorStyle(FALSE);
    EXPECT_EQ(bar.GetStyle(), 0);  // Bar, not the trail
    bar.SetCursorStyle(TRUE);
    EXPECT_EQ(bar.GetStyle(), 1);
}

struct DrawCase {
    const char* name;
    int minimum, maximum;
    float position;  // set before the range, so it may lie outside it
    int style;
    int width, height;
    const char* rows;
};

class ProgressBarDrawTest : public ::testing::TestWithParam<DrawCase> {};

TEST_P(ProgressBarDrawTest, DrawsTheExpectedColumns) {
    const DrawCase& c = GetParam();
    vareko::test::Stage stage;
    ProgressBarObject bar;
    bar.Initialize();
    bar.SetOrigin(2, 1);
    bar.SetSize(c.width, c.height);
    bar.SetPosition(c.position);
    bar.SetRange(c.minimum, c.maximum);
    bar.SetStyle(c.style);
    stage.Add(bar);
    // One pixel of margin around the box shows that nothing leaks out.
    EXPECT_EQ(stage.Render(1, 0, c.width + 2, c.height + 2), ArtRows(c.rows));
}

// Boxes of 20 x 3 (5 for the trail) with a pixel of margin; styles 0 bar,
// 1 cursor, 2 cursor with trail.
// clang-format off
const DrawCase kDrawCases[] = {
    {"BarHalf", 0, 100, 50, 0, 20, 3,
     "......................\n"
     ".####################.\n"
     ".##########.........#.\n"
     ".####################.\n"
     "......................\n"},
    {"BarFull", 0, 100, 100, 0, 20, 3,
     "......................\n"
     ".####################.\n"
     ".####################.\n"
     ".####################.\n"
     "......................\n"},
    {"CursorAtMinimum", 0, 100, 0, 1, 20, 3,
     "......................\n"
     ".####################.\n"
     ".######.............#.\n"
     ".####################.\n"
     "......................\n"},
    {"CursorAtMaximum", 0, 100, 100, 1, 20, 3,
     "......................\n"
     ".####################.\n"
     ".#.............######.\n"
     ".####################.\n"
     "......................\n"},
    {"TrailEndsAtTheCursor", 0, 100, 50, 2, 20, 5,
     "......................\n"
     ".####################.\n"
     ".#......#####.......#.\n"
     ".###...######.......#.\n"
     ".#......#####.......#.\n"
     ".####################.\n"
     "......................\n"},
    {"UnknownStyleFrameOnly", 0, 100, 50, 7, 20, 3,
     "......................\n"
     ".####################.\n"
     ".#..................#.\n"
     ".####################.\n"
     "......................\n"},
    {"ReversedRangeFillsFromTheLeftAsTheValueFalls", 100, 0, 25, 0, 20, 3,
     "......................\n"
     ".####################.\n"
     ".###############....#.\n"
     ".####################.\n"
     "......................\n"},
    {"EqualBoundsBarIsEmpty", 40, 40, 40, 0, 20, 3,
     "......................\n"
     ".####################.\n"
     ".#..................#.\n"
     ".####################.\n"
     "......................\n"},
    {"EqualBoundsCursorAtTheStart", 40, 40, 40, 1, 20, 3,
     "......................\n"
     ".####################.\n"
     ".######.............#.\n"
     ".####################.\n"
     "......................\n"},
    {"PositionFarBeyondANewRangeFillsTheBox", 0, 1, 100, 0, 20, 3,
     "......................\n"
     ".####################.\n"
     ".####################.\n"
     ".####################.\n"
     "......................\n"},
    {"BoxNarrowerThanTheCursor", 0, 100, 100, 2, 4, 3,
     "......\n"
     ".####.\n"
     ".####.\n"
     ".####.\n"
     "......\n"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Styles, ProgressBarDrawTest, ::testing::ValuesIn(kDrawCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(ProgressBarTest, WithoutItsDottedPenTheTrailIsLeftOut) {
    // Never initialised: no brush and no pen. Drawing must not fail.
    vareko::test::Stage stage;
    ProgressBarObject bar;
    bar.SetSize(10, 3);
    bar.SetStyle(2);
    bar.SetPosition(50);
    stage.Add(bar);
    EXPECT_EQ(stage.Render(0, 0, 10, 3), ArtRows("..........\n..........\n..........\n"));
}

}  // namespace
