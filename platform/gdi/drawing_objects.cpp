// Pens, brushes and rectangular regions: their descriptions and the
// region's list of rectangles.
#include "platform/gdi/drawing_objects.h"

#include <algorithm>
#include <cstring>

namespace vareko::gdi {

namespace {

template <class Record>
int DescribeRecord(const Record& record, int size, void* buffer) {
    if (buffer == nullptr) {
        return sizeof(Record);
    }
    if (size < static_cast<int>(sizeof(Record))) {
        return 0;
    }
    std::memcpy(buffer, &record, sizeof(Record));
    return sizeof(Record);
}

}  // namespace

int Pen::Describe(int size, void* buffer) const {
    return DescribeRecord(LOGPEN{static_cast<UINT>(style), POINT{width, 0}, colour}, size, buffer);
}

int Brush::Describe(int size, void* buffer) const {
    return DescribeRecord(LOGBRUSH{style, colour, 0}, size, buffer);
}

bool IsEmptyRect(const RECT& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

RECT Intersect(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

bool RectList::Add(const RECT& rect) {
    if (IsEmptyRect(rect)) {
        return true;
    }
    if (count_ == kCapacity) {
        return false;
    }
    rects_[static_cast<std::size_t>(count_++)] = rect;
    return true;
}

Region::Region(const RECT& rect) : GdiObject(kKind) { rects.Add(rect); }

}  // namespace vareko::gdi
