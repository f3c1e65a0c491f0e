// Drawing scenes for the conformance tests: each paints through the public
// GDI entry points (raster scenes) or through the toolkit's objects and
// surface (toolkit scenes), so the same code runs on our raster engine and
// on the system's GDI. Test code only.
#pragma once

#include <span>

#include "platform/win32.h"
#include "tests/conformance/frame_file.h"
#include "testing/support/canvas.h"

namespace vareko::conformance {

// Every scene draws a 160 x 43 picture: raster scenes into a top-down 8-bit
// DIB with the threshold colour table, selected into a memory DC, whose
// pixels start at index 0; toolkit scenes into a GraphicsSurface, read back
// from its DeviceBitmap block.
constexpr int kSceneWidth = 160;
constexpr int kSceneHeight = 43;

struct Scene {
    const char* name;  // also the reference file's name: frames/<name>.txt
    Frame (*render)();  // draws the scene and returns it after the threshold
};

// Draws a raster scene into a fresh threshold DIB.
template <void (*Draw)(HDC)>
Frame OnCanvas() {
    vareko::test::Canvas canvas(kSceneWidth, kSceneHeight);
    Draw(canvas.Dc());
    GdiFlush();
    return canvas.Art();
}

std::span<const Scene> RasterScenes();
std::span<const Scene> ToolkitScenes();

}  // namespace vareko::conformance
