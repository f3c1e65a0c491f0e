// Device-context state: selection of objects and the clip computation.
#include "platform/gdi/device_context.h"

#include "platform/gdi/stock_objects.h"

namespace vareko::gdi {

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
