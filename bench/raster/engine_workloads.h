// The shape workloads drawn through the GDI entry points (our engine on
// Linux), and a DIB section of 8 or 1 bits per pixel selected into a memory
// DC to draw them on. Depends on the platform's GDI only.
#pragma once

#include <cstdint>

#include "bench/raster/shapes.h"
#include "platform/win32.h"

namespace vareko::bench {

// A top-down DIB section in a memory DC: 8 bits with the display's threshold
// colour table (0..128 black, 129..255 white) or 1 bit black and white.
class DibTarget {
public:
    DibTarget(int width, int height, int bitsPerPixel);
    ~DibTarget();
    DibTarget(const DibTarget&) = delete;
    DibTarget& operator=(const DibTarget&) = delete;

    bool IsValid() const { return pixels != nullptr; }
    HDC Dc() const { return dc; }
    bool Lit(int x, int y) const;
    // Every pixel black, or every 8-bit pixel set to `index` (1-bit: its low bit).
    void Fill(std::uint8_t index);
    // Every third column lit, from column 0: a blit source.
    void Stripes();

private:
    int width, height, bitsPerPixel, strideBytes;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    std::uint8_t* pixels = nullptr;
};

// One FillRect with the stock white brush per box of FillBoxes().
void FillBoxesWhite(HDC dc);
// One MoveToEx and LineTo with the stock white pen per line of LineSegments().
void DrawLineSegments(HDC dc);
// One SRCCOPY BitBlt of the shape from source to target.
void CopyBlock(HDC target, HDC source, const BlitShape& shape);

}  // namespace vareko::bench
