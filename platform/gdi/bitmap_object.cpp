// The bitmap object: creation with checked geometry, colour matching
// and its description.
#include "platform/gdi/bitmap_object.h"

#include <cstring>
#include <new>

namespace vareko::gdi {

namespace {

// Refuse pictures whose pixel memory would be absurd for this system; also
// keeps every row offset within int range.
constexpr std::int64_t kMaxPixelBytes = 64 * 1024 * 1024;
constexpr int kMaxSide = 1 << 20;

bool FormatFor(int bitsPerPixel, PixelFormat& format) {
    switch (bitsPerPixel) {
        case 1:
            format = PixelFormat::Mono1;
            return true;
        case 8:
            format = PixelFormat::Index8;
            return true;
        case 32:
            format = PixelFormat::Rgb32;
            return true;
        default:
            return false;
    }
}

constexpr RGBQUAD kBlackAndWhite[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};

}  // namespace

Bitmap::Bitmap(const BitmapLayout& layout, PixelFormat format, int strideBytes)
    : GdiObject(kKind), layout_(layout), format_(format), strideBytes_(strideBytes) {}

std::unique_ptr<Bitmap> Bitmap::Create(const BitmapLayout& layout, const RGBQUAD* colours,
                                       int colourCount) {
    PixelFormat format;
    if (layout.width <= 0 || layout.height <= 0 || layout.width > kMaxSide ||
        layout.height > kMaxSide || !FormatFor(layout.bitsPerPixel, format)) {
        return nullptr;
    }
    int stride = DibStrideBytes(layout.width, layout.bitsPerPixel);
    std::int64_t bytes = static_cast<std::int64_t>(stride) * layout.height;
    if (bytes > kMaxPixelBytes) {
        return nullptr;
    }
    std::unique_ptr<Bitmap> bitmap(new (std::nothrow) Bitmap(layout, format, stride));
    if (bitmap == nullptr) {
        return nullptr;
    }
    bitmap->memory_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(bytes)]());
    if (bitmap->memory_ == nullptr) {
        return nullptr;
    }
    if (layout.topDown) {
        bitmap->top_ = bitmap->memory_.get();
        bitmap->rowStep_ = stride;
    } else {
        bitmap->top_ = bitmap->memory_.get() + (bytes - stride);
        bitmap->rowStep_ = -static_cast<std::ptrdiff_t>(stride);
    }
    if (format != PixelFormat::Rgb32) {
        int capacity = 1 << layout.bitsPerPixel;
        if (colours == nullptr || colourCount <= 0) {
            // An indexed bitmap without a table: black and white for 1 bit,
            // a grey ramp for 8 bits.
            if (format == PixelFormat::Mono1) {
                colours = kBlackAndWhite;
                colourCount = 2;
            } else {
                for (int i = 0; i < capacity; ++i) {
                    auto v = static_cast<BYTE>(i);
                    bitmap->colours_[static_cast<std::size_t>(i)] = RGBQUAD{v, v, v, 0};
                }
                colourCount = capacity;
                colours = nullptr;
            }
        }
        if (colours != nullptr) {
            colourCount = colourCount < capacity ? colourCount : capacity;
            std::memcpy(bitmap->colours_.data(), colours,
                        static_cast<std::size_t>(colourCount) * sizeof(RGBQUAD));
        }
        bitmap->colourCount_ = colourCount;
    }
    return bitmap;
}

DWORD Bitmap::ColourToPixel(COLORREF colour) const {
    colour &= 0x00FFFFFF;
    if (format_ == PixelFormat::Rgb32) {
        return (static_cast<DWORD>(GetRValue(colour)) << 16) |
               (static_cast<DWORD>(GetGValue(colour)) << 8) | GetBValue(colour);
    }
    if (colour == matches_[0].colour) {
        return matches_[0].pixel;
    }
    if (colour == matches_[1].colour) {
        std::swap(matches_[0], matches_[1]);
        return matches_[0].pixel;
    }
    int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    DWORD best = 0;
    int bestDistance = 0x7FFFFFFF;
    // The first exact entry is also the first nearest one, so the scan may
    // stop there.
    for (int i = 0; i < colourCount_ && bestDistance != 0; ++i) {
        const RGBQUAD& q = colours_[static_cast<std::size_t>(i)];
        int dr = q.rgbRed - r, dg = q.rgbGreen - g, db = q.rgbBlue - b;
        int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<DWORD>(i);
        }
    }
    matches_[1] = matches_[0];
    matches_[0] = ColourMatch{colour, best};
    return best;
}

COLORREF Bitmap::PixelToColour(DWORD pixel) const {
    if (format_ == PixelFormat::Rgb32) {
        return RGB(static_cast<BYTE>(pixel >> 16), static_cast<BYTE>(pixel >> 8),
                   static_cast<BYTE>(pixel));
    }
    if (pixel >= static_cast<DWORD>(colourCount_)) {
        return RGB(0, 0, 0);
    }
    const RGBQUAD& q = colours_[pixel];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

int Bitmap::Describe(int size, void* buffer) const {
    if (buffer == nullptr) {
        return sizeof(BITMAP);
    }
    if (size < static_cast<int>(sizeof(BITMAP))) {
        return 0;
    }
    BITMAP record{};
    record.bmWidth = layout_.width;
    record.bmHeight = layout_.height;
    // Device-dependent bitmaps report rows padded to 2 bytes, DIB sections
    // their real 4-byte padded rows and their pixel memory.
    record.bmWidthBytes = layout_.dibSection ? strideBytes_
                                             : ((layout_.width * layout_.bitsPerPixel + 15) / 16) * 2;
    record.bmPlanes = 1;
    record.bmBitsPixel = static_cast<WORD>(layout_.bitsPerPixel);
    record.bmBits = layout_.dibSection ? memory_.get() : nullptr;
    std::memcpy(buffer, &record, sizeof record);
    return sizeof(BITMAP);
}

}  // namespace vareko::gdi
