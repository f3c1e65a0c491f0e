// DcStateGuard: each change keeps the value it replaced; the destructor
// puts the values back, the selections last and in reverse order.
#include "toolkit/dc_state_guard.h"

namespace vareko {

DcStateGuard::~DcStateGuard() {
    if (clipSet) SelectClipRgn(dc, nullptr);
    if (originSaved) SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
    if (textColour != CLR_INVALID) SetTextColor(dc, textColour);
    if (mapMode != 0) ::SetMapMode(dc, mapMode);
    if (backgroundMode != 0) SetBkMode(dc, backgroundMode);
    while (selections > 0) SelectObject(dc, replaced[--selections]);
}

HRESULT DcStateGuard::Select(HGDIOBJ object) {
    if (object == nullptr) return E_FAIL;
    if (GetObjectType(object) == OBJ_REGION) return E_INVALIDARG;
    if (selections == kMaxSelections) return E_OUTOFMEMORY;
    const HGDIOBJ previous = SelectObject(dc, object);
    if (previous == nullptr || previous == HGDI_ERROR) return E_FAIL;
    replaced[selections++] = previous;
    return S_OK;
}

HRESULT DcStateGuard::SetBackgroundMode(int mode) {
    const int previous = SetBkMode(dc, mode);
    if (previous == 0) return E_FAIL;
    if (backgroundMode == 0) backgroundMode = previous;
    return S_OK;
}

HRESULT DcStateGuard::SetMapMode(int mode) {
    const int previous = ::SetMapMode(dc, mode);
    if (previous == 0) return E_FAIL;
    if (mapMode == 0) mapMode = previous;
    return S_OK;
}

HRESULT DcStateGuard::SetTextColour(COLORREF colour) {
    const COLORREF previous = SetTextColor(dc, colour);
    if (previous == CLR_INVALID) return E_FAIL;
    if (textColour == CLR_INVALID) textColour = previous;
    return S_OK;
}

HRESULT DcStateGuard::SetClip(HRGN region) {
    if (SelectClipRgn(dc, region) == ERROR) return E_FAIL;
    clipSet = true;
    return S_OK;
}

HRESULT DcStateGuard::SetViewportOrigin(int x, int y) {
    POINT previous{0, 0};
    const BOOL moved = SetViewportOrgEx(dc, x, y, &previous);
    return KeepOrigin(moved, previous);
}

HRESULT DcStateGuard::OffsetViewportOrigin(int dx, int dy) {
    POINT previous{0, 0};
    const BOOL moved = OffsetViewportOrgEx(dc, dx, dy, &previous);
    return KeepOrigin(moved, previous);
}

HRESULT DcStateGuard::KeepOrigin(BOOL moved, POINT previous) {
    if (!moved) return E_FAIL;
    if (!originSaved) origin = previous;
    originSaved = true;
    return S_OK;
}

}  // namespace vareko
