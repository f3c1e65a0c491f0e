// Rectangular regions and DC clipping.
#include "platform/gdi/regions.h"

#include <algorithm>
#include <memory>

#include "platform/gdi/dc_state.h"
#include "platform/gdi/drawing_objects.h"

using namespace vareko::gdi;

namespace {

// The platform accepts the corners in either order.
RECT OrderedRect(int left, int top, int right, int bottom) {
    return RECT{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    return static_cast<HRGN>(RegisterObject(std::make_unique<Region>(OrderedRect(left, top, right, bottom))));
}

BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
    Region* found = LookupObject<Region>(region);
    if (found == nullptr) {
        return FALSE;
    }
    found->rects.Clear();
    found->rects.Add(OrderedRect(left, top, right, bottom));
    return TRUE;
}

int SelectClipRgn(HDC hdc, HRGN region) {
    DeviceContext* dc = LookupDc(hdc);
    if (dc == nullptr) {
        return ERROR;
    }
    if (region == nullptr) {
        dc->SetClipRegion(nullptr);
        return SIMPLEREGION;
    }
    Region* found = LookupObject<Region>(region);
    if (found == nullptr) {
        return ERROR;
    }
    dc->SetClipRegion(&found->rects);
    return found->rects.Empty() ? NULLREGION : SIMPLEREGION;
}

int GetClipBox(HDC hdc, LPRECT rect) {
    DeviceContext* dc = LookupDc(hdc);
    if (dc == nullptr || rect == nullptr) {
        return ERROR;
    }
    RECT box{0, 0, 0, 0};
    for (const RECT& r : dc->ClipRects()) {
        box = IsEmptyRect(box) ? r
                               : RECT{std::min(box.left, r.left), std::min(box.top, r.top),
                                      std::max(box.right, r.right), std::max(box.bottom, r.bottom)};
    }
    if (IsEmptyRect(box)) {
        *rect = RECT{0, 0, 0, 0};
        return NULLREGION;
    }
    // Back to logical coordinates; an origin near the int range's ends
    // saturates the result instead of overflowing.
    *rect = RECT{SaturatedSum(box.left, -std::int64_t{dc->viewportOrigin.x}),
                 SaturatedSum(box.top, -std::int64_t{dc->viewportOrigin.y}),
                 SaturatedSum(box.right, -std::int64_t{dc->viewportOrigin.x}),
                 SaturatedSum(box.bottom, -std::int64_t{dc->viewportOrigin.y})};
    return dc->ClipRects().size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
