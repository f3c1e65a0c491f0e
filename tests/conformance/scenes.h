// Drawing scenes for the conformance tests: each paints through the public
// GDI entry points only, so the same code runs on our raster engine and on
// the system's GDI. Test code only.
#pragma once

#include <span>

#include "platform/win32.h"

namespace vareko::conformance {

// Every scene draws into a 160 x 43 top-down 8-bit DIB with the threshold
// colour table, selected into a memory DC; the pixels start at index 0.
constexpr int kSceneWidth = 160;
constexpr int kSceneHeight = 43;

struct Scene {
    const char* name;  // also the reference file's name: frames/<name>.txt
    void (*draw)(HDC dc);
};

std::span<const Scene> Scenes();

}  // namespace vareko::conformance
