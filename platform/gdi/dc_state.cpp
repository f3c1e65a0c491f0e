// Device-context state: selection of objects, the clip computation and the
// translation of logical coordinates to device coordinates.
#include "platform/gdi/dc_state.h"

#include <algorithm>

#include "platform/gdi/stock_objects.h"

namespace vareko::gdi {

LONG ClampDeviceCoord(std::int64_t value) {
    return static_cast<LONG>(std::clamp(value, -kDeviceCoordLimit, kDeviceCoordLimit));
}

LONG SaturatedSum(std::int64_t a, std::int64_t b) {
    return static_cast<LONG>(std::clamp<std::int64_t>(a + b, INT32_MIN, INT32_MAX));
}

RECT DeviceRect(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    return RECT{ClampDeviceCoord(left), ClampDeviceCoord(top), ClampDeviceCoord(right),
                ClampDeviceCoord(bottom)};
}

POINT DeviceContext::ToDevice(int x, int y) const {
    return POINT{ClampDeviceCoord(std::int64_t{x} + viewportOrigin.x),
                 ClampDeviceCoord(std::int64_t{y} + viewportOrigin.y)};
}

RECT DeviceContext::ToDevice(const RECT& r) const {
    const std::int64_t ox = viewportOrigin.x;
    const std::int64_t oy = viewportOrigin.y;
    return DeviceRect(r.left + ox, r.top + oy, r.right + ox, r.bottom + oy);
}

RECT DeviceContext::BoxToDevice(int x, int y, int width, int height) const {
    const std::int64_t left = std::int64_t{x} + viewportOrigin.x;
    const std::int64_t top = std::int64_t{y} + viewportOrigin.y;
    const std::int64_t right = left + width;
    const std::int64_t bottom = top + height;
    return DeviceRect(std::min(left, right), std::min(top, bottom), std::max(left, right),
                      std::max(top, bottom));
}

DeviceContext::DeviceContext() : GdiObject(kKind) {
    bitmap_ = &DefaultBitmap();
    pen_ = LookupObject<Pen>(GetStockObject(BLACK_PEN));
    brush_ = LookupObject<Brush>(GetStockObject(WHITE_BRUSH));
    font_ = LookupObject(GetStockObject(SYSTEM_FONT));
    for (GdiObject* object : {static_cast<GdiObject*>(bitmap_), static_cast<GdiObject*>(pen_),
                              static_cast<GdiObject*>(brush_), font_}) {
        if (object != nullptr) {
            RetainSelection(*object);
        }
    }
    UpdateClip();
}

DeviceContext::~DeviceContext() {
    // Selected objects are not deleted with the DC, but one whose deletion
    // was asked for while it was selected goes now.
    for (GdiObject* object : {static_cast<GdiObject*>(bitmap_), static_cast<GdiObject*>(pen_),
                              static_cast<GdiObject*>(brush_), font_}) {
        if (object != nullptr) {
            ReleaseSelection(*object);
        }
    }
}

template <class T>
HGDIOBJ DeviceContext::Replace(T*& slot, T& object) {
    HGDIOBJ previous = slot != nullptr ? slot->Handle() : nullptr;
    if (slot == &object) {
        return previous;
    }
    RetainSelection(object);
    T* old = slot;
    slot = &object;
    if (old != nullptr) {
        ReleaseSelection(*old);
    }
    return previous;
}

HGDIOBJ DeviceContext::Select(GdiObject& object) {
    switch (object.Kind()) {
        case ObjectKind::Bitmap: {
            auto& bitmap = static_cast<Bitmap&>(object);
            // A bitmap can be selected into one DC at a time.
            if (&bitmap != bitmap_ && bitmap.IsSelected() && !bitmap.IsStock()) {
                return nullptr;
            }
            HGDIOBJ previous = Replace(bitmap_, bitmap);
            UpdateClip();
            return previous;
        }
        case ObjectKind::Pen:
            return Replace(pen_, static_cast<Pen&>(object));
        case ObjectKind::Brush:
            return Replace(brush_, static_cast<Brush&>(object));
        case ObjectKind::Font:
            return Replace(font_, object);
        case ObjectKind::Region:
        case ObjectKind::MemoryDc:
        case ObjectKind::Icon:
            break;
    }
    return nullptr;
}

void DeviceContext::SetClipRegion(const RectList* region) {
    hasClipRegion_ = region != nullptr;
    region_ = hasClipRegion_ ? *region : RectList{};
    UpdateClip();
}

void DeviceContext::UpdateClip() {
    clip_.Clear();
    RECT bounds = bitmap_->Bounds();
    if (!hasClipRegion_) {
        clip_.Add(bounds);
        return;
    }
    for (const RECT& rect : region_.Rects()) {
        clip_.Add(Intersect(rect, bounds));
    }
}

DeviceContext* LookupDc(HDC hdc) { return LookupObject<DeviceContext>(hdc); }

}  // namespace vareko::gdi
