// Pens, brushes and rectangular regions: the small drawing objects a DC
// selects. Internal to platform/.
#pragma once

#include <array>
#include <span>

#include "platform/gdi/handle_table.h"

namespace vareko::gdi {

class Pen final : public GdiObject {
public:
    static constexpr ObjectKind kKind = ObjectKind::Pen;
    Pen(int penStyle, int penWidth, COLORREF penColour)
        : GdiObject(kKind), style(penStyle), width(penWidth), colour(penColour) {}
    int Describe(int size, void* buffer) const override;

    const int style;  // PS_* (style bits only)
    const int width;  // drawn one pixel wide whatever the width
    const COLORREF colour;
};

class Brush final : public GdiObject {
public:
    static constexpr ObjectKind kKind = ObjectKind::Brush;
    Brush(UINT brushStyle, COLORREF brushColour)
        : GdiObject(kKind), style(brushStyle), colour(brushColour) {}
    int Describe(int size, void* buffer) const override;

    bool IsHollow() const { return style == BS_NULL; }

    const UINT style;  // BS_SOLID or BS_NULL
    const COLORREF colour;
};

// A short list of disjoint rectangles in an inline buffer; the clip of a DC
// and the content of a region.
class RectList {
public:
    static constexpr int kCapacity = 8;

    void Clear() { count_ = 0; }
    // Adds the rectangle if it is not empty; false when the list is full.
    bool Add(const RECT& rect);
    std::span<const RECT> Rects() const { return {rects_.data(), static_cast<std::size_t>(count_)}; }
    bool Empty() const { return count_ == 0; }

private:
    std::array<RECT, kCapacity> rects_{};
    int count_ = 0;
};

class Region final : public GdiObject {
public:
    static constexpr ObjectKind kKind = ObjectKind::Region;
    explicit Region(const RECT& rect);

    RectList rects;
};

bool IsEmptyRect(const RECT& rect);
// The intersection, which is empty (right <= left or bottom <= top) when the
// rectangles do not meet.
RECT Intersect(const RECT& a, const RECT& b);

}  // namespace vareko::gdi
