// Helpers for the text object tests: a page that renders objects into a
// real frame, and (from frame_art.h) readers for the frame's pixels. Test
// code only.
#pragma once

#include "testing/support/frame_art.h"
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

}  // namespace vareko::test
