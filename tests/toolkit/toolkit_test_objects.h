// Display objects for toolkit tests: one that paints a logical rectangle and
// counts the calls it receives (frame_art.h reads what they paint). Test
// code only.
#pragma once

#include "testing/support/frame_art.h"
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

}  // namespace vareko::test
