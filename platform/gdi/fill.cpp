// Rectangles, pixels and masks: everything that paints axis-aligned spans.
#include <cassert>
#include <cstdint>
#include <type_traits>

#include "platform/gdi/mono_blit.h"
#include "platform/gdi/painting.h"
#include "platform/gdi/raster.h"

namespace vareko::gdi {

namespace {

[[maybe_unused]] bool InsideBitmap(const Bitmap& bitmap, const RECT& r) {
    return r.left >= 0 && r.top >= 0 && r.right <= bitmap.Width() && r.bottom <= bitmap.Height() &&
           !IsEmptyRect(r);
}

// Callers clip: r lies inside the bitmap and is not empty.
template <class Format>
void ApplySpans(Bitmap& bitmap, const RECT& r, RopMasks masks) {
    assert(InsideBitmap(bitmap, r));
    for (int y = r.top; y < r.bottom; ++y) {
        Format::ApplySpan(bitmap.Row(y), r.left, r.right, masks.andMask, masks.xorMask);
    }
}

// Callers clip: r lies inside the bitmap and inside the mask placed at origin.
// Set bits store the pixel, clear bits leave the destination alone: 8-bit
// rows take 8 pixels per step, 1-bit rows the word-wide blit combiner.
template <class Format>
void ApplyMask(Bitmap& bitmap, const RECT& r, POINT origin, const GlyphMask& mask, DWORD pixel) {
    assert(InsideBitmap(bitmap, r));
    assert(r.left >= origin.x && r.top >= origin.y && r.right <= origin.x + mask.width &&
           r.bottom <= origin.y + mask.height);
    const int maskRowBytes = (mask.width + 7) / 8;
    const std::uint8_t* firstMaskRow =
        mask.rows + static_cast<std::ptrdiff_t>(r.top - origin.y) * mask.strideBytes;
    if constexpr (std::is_same_v<Format, Index8>) {
        const std::ptrdiff_t rowStep = r.bottom - r.top > 1 ? bitmap.Row(r.top + 1) - bitmap.Row(r.top) : 0;
        StoreMaskIntoIndex8(bitmap.Row(r.top), rowStep, bitmap.Width(), r.bottom - r.top, firstMaskRow,
                            mask.strideBytes, maskRowBytes, r.left, r.right, -origin.x,
                            static_cast<std::uint8_t>(pixel));
        return;
    }
    for (int y = r.top; y < r.bottom; ++y) {
        const std::uint8_t* bits = firstMaskRow + static_cast<std::ptrdiff_t>(y - r.top) * mask.strideBytes;
        std::uint8_t* row = bitmap.Row(y);
        if constexpr (std::is_same_v<Format, Mono1>) {
            BlitMonoSpan(row, bits, maskRowBytes, r.left, r.right, -origin.x, RopMasks{1, 0},
                         RopMasks{0, pixel});
        } else {
            for (int x = r.left; x < r.right; ++x) {
                int bit = x - origin.x;
                if ((bits[bit >> 3] >> (7 - (bit & 7))) & 1) {
                    Format::Apply(row, x, 0, pixel);
                }
            }
        }
    }
}

}  // namespace

DWORD PixelMaskOf(const Bitmap& bitmap) {
    return WithFormat(bitmap.Format(), [](auto format) { return decltype(format)::kMask; });
}

void ApplyToDeviceRect(DeviceContext& dc, const RECT& deviceRect, RopMasks masks) {
    Bitmap& bitmap = dc.SelectedBitmap();
    DWORD pixelMask = PixelMaskOf(bitmap);
    if ((masks.andMask & pixelMask) == pixelMask && (masks.xorMask & pixelMask) == 0) {
        return;  // leaves every pixel as it is
    }
    WithFormat(bitmap.Format(), [&](auto format) {
        for (const RECT& clip : dc.ClipRects()) {
            RECT r = Intersect(deviceRect, clip);
            if (!IsEmptyRect(r)) {
                ApplySpans<decltype(format)>(bitmap, r, masks);
            }
        }
    });
}

bool IsInsideClip(const DeviceContext& dc, POINT p) {
    for (const RECT& clip : dc.ClipRects()) {
        if (p.x >= clip.left && p.x < clip.right && p.y >= clip.top && p.y < clip.bottom) {
            return true;
        }
    }
    return false;
}

bool BrushPixel(const DeviceContext& dc, const Brush& brush, DWORD& pixel) {
    if (brush.IsHollow()) {
        return false;
    }
    pixel = dc.SelectedBitmap().ColourToPixel(brush.colour);
    return true;
}

void FillLogicalRect(DeviceContext& dc, const RECT& rect, COLORREF colour) {
    ApplyToDeviceRect(dc, dc.ToDevice(rect), RopMasks{0, dc.SelectedBitmap().ColourToPixel(colour)});
}

void PaintMask(DeviceContext& dc, int x, int y, const GlyphMask& mask, COLORREF colour, const RECT* logicalClip) {
    if (mask.rows == nullptr || mask.width <= 0 || mask.height <= 0) {
        return;
    }
    Bitmap& bitmap = dc.SelectedBitmap();
    POINT origin = dc.ToDevice(x, y);
    RECT placed = DeviceRect(origin.x, origin.y, std::int64_t{origin.x} + mask.width,
                             std::int64_t{origin.y} + mask.height);
    if (logicalClip != nullptr) {
        placed = Intersect(placed, dc.ToDevice(*logicalClip));
        if (IsEmptyRect(placed)) {
            return;
        }
    }
    DWORD pixel = bitmap.ColourToPixel(colour);
    WithFormat(bitmap.Format(), [&](auto format) {
        for (const RECT& clip : dc.ClipRects()) {
            RECT r = Intersect(placed, clip);
            if (!IsEmptyRect(r)) {
                ApplyMask<decltype(format)>(bitmap, r, origin, mask, pixel);
            }
        }
    });
}

}  // namespace vareko::gdi

using namespace vareko::gdi;

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    DeviceContext* dc = LookupDc(hdc);
    Brush* found = LookupObject<Brush>(brush);
    if (dc == nullptr || found == nullptr || rect == nullptr) {
        return 0;
    }
    DWORD pixel;
    if (BrushPixel(*dc, *found, pixel)) {
        ApplyToDeviceRect(*dc, dc->ToDevice(*rect), RopMasks{0, pixel});
    }
    return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    DeviceContext* dc = LookupDc(hdc);
    Brush* found = LookupObject<Brush>(brush);
    if (dc == nullptr || found == nullptr || rect == nullptr) {
        return 0;
    }
    DWORD pixel;
    RECT r = dc->ToDevice(*rect);
    if (IsEmptyRect(r) || !BrushPixel(*dc, *found, pixel)) {
        return 1;
    }
    // Top and bottom rows over the full width, then the side columns between
    // them, so that no pixel is painted twice.
    RopMasks masks{0, pixel};
    ApplyToDeviceRect(*dc, RECT{r.left, r.top, r.right, r.top + 1}, masks);
    if (r.bottom - r.top > 1) {
        ApplyToDeviceRect(*dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, masks);
    }
    ApplyToDeviceRect(*dc, RECT{r.left, r.top + 1, r.left + 1, r.bottom - 1}, masks);
    if (r.right - r.left > 1) {
        ApplyToDeviceRect(*dc, RECT{r.right - 1, r.top + 1, r.right, r.bottom - 1}, masks);
    }
    return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rect) {
    DeviceContext* dc = LookupDc(hdc);
    if (dc == nullptr || rect == nullptr) {
        return FALSE;
    }
    DWORD mask = PixelMaskOf(dc->SelectedBitmap());
    ApplyToDeviceRect(*dc, dc->ToDevice(*rect), RopMasks{mask, mask});
    return TRUE;
}

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
    DeviceContext* dc = LookupDc(hdc);
    BYTE rop3 = Rop3Index(rop);
    if (dc == nullptr || Rop3UsesSource(rop3)) {
        return FALSE;
    }
    DWORD pattern = 0;
    if (Rop3UsesPattern(rop3) && !BrushPixel(*dc, dc->SelectedBrush(), pattern)) {
        return TRUE;  // a hollow brush paints nothing
    }
    // Negative extents count from the other corner, as on the platform.
    Bitmap& bitmap = dc->SelectedBitmap();
    ApplyToDeviceRect(*dc, dc->BoxToDevice(x, y, width, height),
                      MasksFor(rop3, pattern, 0, PixelMaskOf(bitmap)));
    return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF colour) {
    DeviceContext* dc = LookupDc(hdc);
    if (dc == nullptr) {
        return CLR_INVALID;
    }
    POINT p = dc->ToDevice(x, y);
    if (!IsInsideClip(*dc, p)) {
        return CLR_INVALID;
    }
    Bitmap& bitmap = dc->SelectedBitmap();
    DWORD pixel = bitmap.ColourToPixel(colour);
    WithFormat(bitmap.Format(),
               [&](auto format) { decltype(format)::Apply(bitmap.Row(p.y), p.x, 0, pixel); });
    return bitmap.PixelToColour(pixel);
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    DeviceContext* dc = LookupDc(hdc);
    if (dc == nullptr) {
        return CLR_INVALID;
    }
    POINT p = dc->ToDevice(x, y);
    if (!IsInsideClip(*dc, p)) {
        return CLR_INVALID;
    }
    const Bitmap& bitmap = dc->SelectedBitmap();
    DWORD pixel = WithFormat(bitmap.Format(),
                             [&](auto format) { return decltype(format)::Get(bitmap.Row(p.y), p.x); });
    return bitmap.PixelToColour(pixel);
}
