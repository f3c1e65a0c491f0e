// Readers of a finished 160 x 43 frame for tests: a rectangle of it as ASCII
// art ('#' for bytes that read as white, '.' for black) and the count of its
// white pixels. Test code only.
#pragma once

#include <string>
#include <vector>

#include "display/devicelink/device_bitmap.h"

namespace vareko::test {

inline bool White(const DeviceBitmap& frame, int x, int y) {
    return IsWhitePixel(frame.pixels[y * kDisplayWidth + x]);
}

// White pixels in rows [top, bottom) and columns [left, right).
inline int WhiteCount(const DeviceBitmap& frame, int left = 0, int top = 0, int right = kDisplayWidth,
                      int bottom = kDisplayHeight) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) n += White(frame, x, y);
    return n;
}

// Rows [top, bottom), columns [left, right), one string per row.
inline std::vector<std::string> FrameArt(const DeviceBitmap& frame, int left, int top, int right, int bottom) {
    std::vector<std::string> rows;
    for (int y = top; y < bottom; ++y) {
        std::string row;
        for (int x = left; x < right; ++x) row += White(frame, x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

}  // namespace vareko::test
