// The bitmap object behind an HBITMAP: pixel memory, geometry, format and
// colour table, plus colour matching between COLORREF and pixel values.
// Orientation is normalised by a signed stride: Row(0) is always the top row,
// whether the rows are stored top-down or bottom-up.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/gdi/handle_table.h"
#include "platform/gdi/pixel_formats.h"

namespace vareko::gdi {

struct BitmapLayout {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;  // 1, 8 or 32
    bool topDown = true;
    bool dibSection = true;  // false for a device-dependent (CreateBitmap) bitmap
};

class Bitmap final : public GdiObject {
public:
    static constexpr ObjectKind kKind = ObjectKind::Bitmap;

    // Pixel memory is zeroed. colours/colourCount: the colour table of an
    // indexed format (a 1-bit bitmap without one gets black and white).
    // Returns null for an unsupported layout or when memory runs out.
    static std::unique_ptr<Bitmap> Create(const BitmapLayout& layout, const RGBQUAD* colours,
                                          int colourCount);

    int Width() const { return layout_.width; }
    int Height() const { return layout_.height; }
    int BitsPerPixel() const { return layout_.bitsPerPixel; }
    PixelFormat Format() const { return format_; }
    // False for a device-dependent bitmap (CreateBitmap, the stock 1 x 1).
    bool IsDibSection() const { return layout_.dibSection; }
    RECT Bounds() const { return RECT{0, 0, layout_.width, layout_.height}; }
    // Bytes per stored row: 4-byte aligned for DIB sections.
    int StrideBytes() const { return strideBytes_; }
    // Start of the pixel memory as allocated (the bottom row of a bottom-up DIB).
    std::uint8_t* Memory() { return memory_.get(); }

    std::uint8_t* Row(int y) {
        assert(y >= 0 && y < layout_.height);
        return top_ + static_cast<std::ptrdiff_t>(y) * rowStep_;
    }
    const std::uint8_t* Row(int y) const {
        assert(y >= 0 && y < layout_.height);
        return top_ + static_cast<std::ptrdiff_t>(y) * rowStep_;
    }

    // The pixel value that represents colour: for indexed formats the first
    // colour-table entry nearest to it (squared RGB distance).
    DWORD ColourToPixel(COLORREF colour) const;
    COLORREF PixelToColour(DWORD pixel) const;
    // The colour table, two entries for 1-bit and 256 for 8-bit bitmaps.
    const RGBQUAD* Colours() const { return colours_.data(); }
    int ColourCount() const { return colourCount_; }

    int Describe(int size, void* buffer) const override;

private:
    Bitmap(const BitmapLayout& layout, PixelFormat format, int strideBytes);

    BitmapLayout layout_;
    PixelFormat format_;
    int strideBytes_;
    std::unique_ptr<std::uint8_t[]> memory_;
    std::uint8_t* top_ = nullptr;
    std::ptrdiff_t rowStep_ = 0;
    std::array<RGBQUAD, 256> colours_{};
    int colourCount_ = 0;
    // The last two matches of ColourToPixel, newest first: drawing reuses few
    // colours, and text alternates two (the cell's background and the glyphs).
    struct ColourMatch {
        COLORREF colour = CLR_INVALID;
        DWORD pixel = 0;
    };
    mutable std::array<ColourMatch, 2> matches_{};
};

// Row pitch of a DIB: rows padded to a multiple of 4 bytes.
constexpr int DibStrideBytes(int width, int bitsPerPixel) {
    return static_cast<int>(((static_cast<std::int64_t>(width) * bitsPerPixel + 31) / 32) * 4);
}

}  // namespace vareko::gdi
