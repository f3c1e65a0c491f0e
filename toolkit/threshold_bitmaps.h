// The display's two-level colour table (indexes 0..128 black, 129..255
// white, as DeviceBitmap reads its bytes) and bitmaps drawn as ASCII art in
// the source: one string per row, '#' lit, any other character dark. For the
// surface, pictures made for the display, and tests. Depends on the
// platform's GDI only.
#pragma once

#include <span>
#include <string>

#include "platform/win32.h"

namespace vareko {

constexpr int kThresholdColourCount = 256;
constexpr int kLastBlackIndex = 128;

// Writes the 256 entries of the threshold table to `colours`.
void FillThresholdColours(RGBQUAD* colours);

// A BITMAPINFO with room for the whole table.
struct ThresholdBitmapInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[kThresholdColourCount];
};

// Header and table of a top-down 8-bit DIB of width x height in the
// threshold table.
ThresholdBitmapInfo MakeThresholdBitmapInfo(int width, int height);

// An 8-bit top-down DIB section in the threshold table, selected into no DC,
// as wide as the longest row: `litIndex` where a row has '#', 0 elsewhere
// (also past the end of a shorter row). Null for no rows or when the
// platform refuses the bitmap.
HBITMAP ThresholdBitmapFromArt(std::span<const std::string> rows, BYTE litIndex);

// A 1-bit bitmap of the same size whose pixels are 1 where a row has '#'
// (setWhereLit) or where it has not (!setWhereLit, as an icon's mask is set
// where the picture is transparent).
HBITMAP MonoBitmapFromArt(std::span<const std::string> rows, bool setWhereLit = true);

}  // namespace vareko
