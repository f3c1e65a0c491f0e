// The state behind an HDC: the selected bitmap, pen, brush and font, the
// viewport origin, the clip region, the text and background colours and
// modes, and the pen position. Internal to platform/; the text layer reads
// it and paints through the two seam functions at the end.
//
// Coordinates: logical = device - viewportOrigin (MM_TEXT only). Every
// primitive translates to device coordinates once and clips against
// ClipRects(): the clip region intersected with the bitmap's bounds. Device
// coordinates are formed in 64 bits and clamped (see kDeviceCoordLimit), so no
// caller's coordinates, extents or origin can overflow on the way.
#pragma once

#include <cstdint>
#include <span>

#include "platform/gdi/bitmap_object.h"
#include "platform/gdi/drawing_objects.h"
#include "platform/gdi/handle_table.h"

namespace vareko::gdi {

// Device coordinates are clamped into [-limit, limit]. Every bitmap side is
// far smaller (at most 2^20), so a clamped edge lies outside every bitmap
// exactly when the true one does and no intersection with a bitmap or clip
// changes; and the distance between two edges, or an edge plus or minus a
// bitmap side, still fits in an int.
constexpr std::int64_t kDeviceCoordLimit = std::int64_t{1} << 29;

LONG ClampDeviceCoord(std::int64_t value);
// a + b, saturated to the range of a 32-bit int.
LONG SaturatedSum(std::int64_t a, std::int64_t b);
// The rectangle with these 64-bit device edges, clamped.
RECT DeviceRect(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);

class DeviceContext final : public GdiObject {
public:
    static constexpr ObjectKind kKind = ObjectKind::MemoryDc;

    // Starts with the stock white brush, black pen, system font (when the
    // text layer provides one) and a 1 x 1 monochrome bitmap.
    DeviceContext();
    ~DeviceContext() override;

    Bitmap& SelectedBitmap() const { return *bitmap_; }
    Pen& SelectedPen() const { return *pen_; }
    Brush& SelectedBrush() const { return *brush_; }
    // The selected font object (kind Font), or null before any font exists.
    GdiObject* SelectedFont() const { return font_; }

    // Selects a bitmap, pen, brush or font and returns the handle it replaces;
    // null if the object cannot be selected (a bitmap held by another DC).
    HGDIOBJ Select(GdiObject& object);

    // The clip region in device coordinates; null rects mean "no region".
    void SetClipRegion(const RectList* region);
    bool HasClipRegion() const { return hasClipRegion_; }
    std::span<const RECT> ClipRects() const { return clip_.Rects(); }

    // Logical to device coordinates, clamped. A box of negative width or
    // height counts from the other corner, as PatBlt's extents do.
    POINT ToDevice(int x, int y) const;
    RECT ToDevice(const RECT& r) const;
    RECT BoxToDevice(int x, int y, int width, int height) const;

    POINT viewportOrigin{0, 0};
    POINT penPosition{0, 0};  // logical
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    int mapMode = MM_TEXT;

private:
    template <class T>
    HGDIOBJ Replace(T*& slot, T& object);
    void UpdateClip();

    Bitmap* bitmap_ = nullptr;
    Pen* pen_ = nullptr;
    Brush* brush_ = nullptr;
    GdiObject* font_ = nullptr;
    bool hasClipRegion_ = false;
    RectList region_;
    RectList clip_;
};

// The DC behind a handle, or null.
DeviceContext* LookupDc(HDC hdc);

// --- Drawing seam for the text layer -------------------------------------

// A 1-bit mask: bit 7 of the first byte of a row is its leftmost pixel; rows
// are strideBytes apart, top row first.
struct GlyphMask {
    const std::uint8_t* rows;
    int width;
    int height;
    int strideBytes;
};

// Paints the set bits of mask in colour with the mask's top-left pixel at the
// logical point (x, y); clear bits leave the destination alone. With a
// logical clip rectangle only the part of the mask inside it is painted.
void PaintMask(DeviceContext& dc, int x, int y, const GlyphMask& mask, COLORREF colour,
               const RECT* logicalClip = nullptr);

// Fills the logical rectangle (right and bottom excluded) with colour.
void FillLogicalRect(DeviceContext& dc, const RECT& rect, COLORREF colour);

}  // namespace vareko::gdi
