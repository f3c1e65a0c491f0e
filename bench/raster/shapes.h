// The drawing workloads that our engine and cairo both run: the same
// rectangles, lines and blit sizes on a 160 x 43 target, so both sides do the
// same pixel work. Plain data, no drawing library.
#pragma once

#include <array>

namespace vareko::bench {

constexpr int kTargetWidth = 160;
constexpr int kTargetHeight = 43;

// A rectangle as origin and size; right and bottom edges excluded.
struct Box {
    int x, y, cx, cy;
};

// A line from (x1, y1) to (x2, y2); the end point itself is not drawn.
struct Segment {
    int x1, y1, x2, y2;
};

// A copy of a cx x cy block from the source's (sx, sy) to the target's (x, y).
struct BlitShape {
    const char* name;
    int x, y, cx, cy, sx, sy;
};

// 32 boxes of assorted sizes, from a few pixels to most of the display, some
// of them reaching past its right and bottom edges.
const std::array<Box, 32>& FillBoxes();

// 64 lines, a third each horizontal, vertical and of any slope, some of them
// starting or ending off the display.
const std::array<Segment, 64>& LineSegments();

// An icon-sized block, a bitmap object's block, and the whole display. The
// small ones start at odd columns, so that 1-bit targets shift bits.
inline constexpr std::array<BlitShape, 3> kBlitShapes = {{
    {"16x16", 3, 5, 16, 16, 0, 0},
    {"48x24", 61, 9, 48, 24, 5, 2},
    {"160x43", 0, 0, 160, 43, 0, 0},
}};

}  // namespace vareko::bench
