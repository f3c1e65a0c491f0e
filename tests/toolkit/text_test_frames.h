// Helpers for the text object tests: a page that renders objects into a
// real frame, and readers for the frame's pixels. Test code only.
#pragma once

#include <string>
#include <vector>

#include "toolkit/page_base.h"

namespace vareko::test {

// A page to render objects on; the objects stay owned by the test (a
// collection never deletes its children).
class TextPage : public PageBase {
public:
    TextPage() { Initialize(); }

    // Renders and returns the frame.
    const DeviceBitmap& Frame() {
        Render();
        return Current();
    }
    // The frame of the last render; moving objects advance on every render.
    const DeviceBitmap& Current() { return *GetDeviceBitmap(); }
    GraphicsSurface& Surface() { return surface; }
};

inline bool White(const DeviceBitmap& frame, int x, int y) {
    return IsWhitePixel(frame.pixels[y * kDisplayWidth + x]);
}

inline int WhiteCount(const DeviceBitmap& frame, int left = 0, int top = 0, int right = kDisplayWidth,
                      int bottom = kDisplayHeight) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) n += White(frame, x, y);
    return n;
}

// Rows [top, bottom), columns [left, right): '#' white, '.' black.
inline std::vector<std::string> Art(const DeviceBitmap& frame, int left, int top, int right, int bottom) {
    std::vector<std::string> rows;
    for (int y = top; y < bottom; ++y) {
        std::string row;
        for (int x = left; x < right; ++x) row += White(frame, x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

}  // namespace vareko::test
