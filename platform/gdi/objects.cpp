// Object entry points and the small drawing objects.
#include "platform/gdi/objects.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/gdi/device_context.h"
#include "platform/gdi/drawing_objects.h"
#include "platform/gdi/regions.h"

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

using namespace vareko::gdi;

HBRUSH CreateSolidBrush(COLORREF colour) {
    return static_cast<HBRUSH>(RegisterObject(std::make_unique<Brush>(BS_SOLID, colour & 0xFFFFFF)));
}

HPEN CreatePen(int style, int width, COLORREF colour) {
    int baseStyle = style & PS_STYLE_MASK;
    if (baseStyle > PS_INSIDEFRAME) {
        return nullptr;
    }
    return static_cast<HPEN>(
        RegisterObject(std::make_unique<Pen>(baseStyle, width, colour & 0xFFFFFF)));
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
    DeviceContext* dc = LookupDc(hdc);
    GdiObject* selected = LookupObject(object);
    if (dc == nullptr || selected == nullptr) {
        return nullptr;
    }
    if (selected->Kind() == ObjectKind::Region) {
        int type = SelectClipRgn(hdc, static_cast<HRGN>(object));
        return type == ERROR ? HGDI_ERROR : reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(type));
    }
    return dc->Select(*selected);
}

BOOL DeleteObject(HGDIOBJ object) {
    GdiObject* found = LookupObject(object);
    // DCs go through DeleteDC and icons through their own call.
    if (found == nullptr || found->Kind() == ObjectKind::MemoryDc ||
        found->Kind() == ObjectKind::Icon) {
        return FALSE;
    }
    return DestroyObject(object) ? TRUE : FALSE;
}

int GetObjectW(HGDIOBJ object, int size, LPVOID buffer) {
    GdiObject* found = LookupObject(object);
    if (found == nullptr || size < 0) {
        return 0;
    }
    return found->Describe(size, buffer);
}

DWORD GetObjectType(HGDIOBJ object) {
    GdiObject* found = LookupObject(object);
    if (found == nullptr || found->Kind() == ObjectKind::Icon) {
        return 0;
    }
    return static_cast<DWORD>(found->Kind());
}
