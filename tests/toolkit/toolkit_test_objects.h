// Display objects for toolkit tests: one that paints a logical rectangle and
// counts the calls it receives, and helpers that read a DeviceBitmap as
// ASCII art. Test code only.
#pragma once

#include <string>
#include <vector>

#include "toolkit/display_object.h"
#include "toolkit/graphics_surface.h"

namespace vareko::test {

class PaintingObject : public DisplayObject {
public:
    // Paints the logical rectangle (x, y, x + cx, y + cy) white when drawn.
    explicit PaintingObject(RECT paint = RECT{0, 0, 0, 0}) : paintRect(paint) {}

    void Draw(GraphicsSurface& surface) override {
        ++draws;
        surface.FillRectangle(paintRect.left, paintRect.top, paintRect.right - paintRect.left,
                              paintRect.bottom - paintRect.top);
    }
    void Tick(DWORD now) override {
        ++ticks;
        lastTick = now;
    }
    void Restart() override { ++restarts; }

    RECT paintRect;
    int draws = 0;
    int ticks = 0;
    int restarts = 0;
    DWORD lastTick = 0;
};

// Rows [top, bottom) and columns [left, right) of a 160-wide DeviceBitmap:
// '#' for bytes that read as white, '.' for black.
inline std::vector<std::string> FrameArt(const DeviceBitmap& frame, int left, int top, int right,
                                         int bottom) {
    std::vector<std::string> rows;
    for (int y = top; y < bottom; ++y) {
        std::string row;
        for (int x = left; x < right; ++x) {
            row += IsWhitePixel(frame.pixels[y * kDisplayWidth + x]) ? '#' : '.';
        }
        rows.push_back(row);
    }
    return rows;
}

inline int LitPixels(const DeviceBitmap& frame) {
    int lit = 0;
    for (std::uint8_t value : frame.pixels) {
        lit += IsWhitePixel(value) ? 1 : 0;
    }
    return lit;
}

}  // namespace vareko::test
