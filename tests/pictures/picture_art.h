// Test helpers for pictures: 1-bit bitmaps and canvas contents written as
// rows of '#' (set or white) and '.' (clear or black). Test code only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/support/canvas.h"

namespace vareko::test {

// A 1-bit device-dependent bitmap whose '#' pixels are 1 bits.
HBITMAP MonoBitmapFromArt(const std::vector<std::string>& rows);

// Writes lit where a row has '#' and dark elsewhere, as raw pixel values.
// An 8-bit DIB section with the surface's threshold table, not selected into
// any DC, whose '#' pixels are white (129).
HBITMAP ThresholdBitmapFromArt(const std::vector<std::string>& rows);

// bitsPerPixel is the canvas's depth.
void PaintArt(Canvas& canvas, int bitsPerPixel, const std::vector<std::string>& rows,
              std::uint32_t lit, std::uint32_t dark);

}  // namespace vareko::test
