// Test helpers: a small DIB selected into a memory DC, painted from and read
// back as ASCII art ('#' lit, '.' dark); 8-bit canvases use the toolkit
// surface's threshold colour table. Test code only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace vareko::test {

// A BITMAPINFO with room for a full 256-entry colour table.
struct BitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

// Header and colour table for a width x height DIB; for 8 bits the table is
// the threshold table (0..128 black, 129..255 white), for 1 bit black/white.
BitmapInfo256 MakeBitmapInfo(int width, int height, int bitsPerPixel, bool topDown);

class Canvas {
public:
    Canvas(int width, int height, int bitsPerPixel = 8, bool topDown = true);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_; }
    HBITMAP Bitmap() const { return bitmap_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int StrideBytes() const { return stride_; }
    std::uint8_t* Memory() const { return bits_; }
    // Start of picture row y (top row 0) in the pixel memory.
    std::uint8_t* Row(int y) const;
    // The raw pixel value at (x, y): index, bit or 0x00RRGGBB.
    std::uint32_t Pixel(int x, int y) const;
    bool Lit(int x, int y) const;

    // One string per row: '#' where the pixel reads as white, '.' elsewhere.
    std::vector<std::string> Art() const;
    // Sets pixel (x, y), inside the canvas, to the raw value `value`.
    void Set(int x, int y, std::uint32_t value);
    // Fills the whole picture with raw pixel value 'value'.
    void Fill(std::uint32_t value);

private:
    int width_, height_, bitsPerPixel_;
    bool topDown_;
    int stride_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint8_t* bits_ = nullptr;
};

// Rows of '#' and '.' from a string such as "..#\n.#.\n" (for readable tables).
std::vector<std::string> ArtRows(const std::string& text);

// Writes the raw value `lit` where a row has '#' and `dark` elsewhere, over
// the part of the canvas that the rows cover.
void PaintArt(Canvas& canvas, const std::vector<std::string>& rows, std::uint32_t lit, std::uint32_t dark);

}  // namespace vareko::test
