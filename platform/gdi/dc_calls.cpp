// Memory DCs and their attributes.
#include "platform/gdi/dc_calls.h"

#include <memory>

#include "platform/gdi/dc_state.h"

using vareko::gdi::DeviceContext;
using vareko::gdi::LookupDc;
using vareko::gdi::SaturatedSum;

namespace {

// Sets one attribute of the DC and returns the previous value, or failure
// when the handle names no DC.
template <class T>
T Exchange(HDC hdc, T DeviceContext::*field, T value, T failure) {
    DeviceContext* dc = LookupDc(hdc);
    if (dc == nullptr) {
        return failure;
    }
    T previous = dc->*field;
    dc->*field = value;
    return previous;
}

template <class T>
T Read(HDC hdc, T DeviceContext::*field, T failure) {
    DeviceContext* dc = LookupDc(hdc);
    return dc == nullptr ? failure : dc->*field;
}

}  // namespace

HDC CreateCompatibleDC(HDC /*hdc*/) {
    return static_cast<HDC>(vareko::gdi::RegisterObject(std::make_unique<DeviceContext>()));
}

BOOL DeleteDC(HDC hdc) {
    return LookupDc(hdc) != nullptr && vareko::gdi::DestroyObject(hdc) ? TRUE : FALSE;
}

COLORREF SetTextColor(HDC hdc, COLORREF colour) {
    return Exchange(hdc, &DeviceContext::textColor, colour & 0xFFFFFF, CLR_INVALID);
}

COLORREF GetTextColor(HDC hdc) { return Read(hdc, &DeviceContext::textColor, CLR_INVALID); }

COLORREF SetBkColor(HDC hdc, COLORREF colour) {
    return Exchange(hdc, &DeviceContext::bkColor, colour & 0xFFFFFF, CLR_INVALID);
}

COLORREF GetBkColor(HDC hdc) { return Read(hdc, &DeviceContext::bkColor, CLR_INVALID); }

int SetBkMode(HDC hdc, int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) {
        return 0;
    }
    return Exchange(hdc, &DeviceContext::bkMode, mode, 0);
}

int GetBkMode(HDC hdc) { return Read(hdc, &DeviceContext::bkMode, 0); }

int SetMapMode(HDC hdc, int mode) {
    if (mode != MM_TEXT) {
        return 0;
    }
    return Exchange(hdc, &DeviceContext::mapMode, mode, 0);
}

int GetMapMode(HDC hdc) { return Read(hdc, &DeviceContext::mapMode, 0); }

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
    DeviceContext* dc = LookupDc(hdc);
    if (dc == nullptr) {
        return FALSE;
    }
    if (previous != nullptr) {
        *previous = dc->viewportOrigin;
    }
    dc->viewportOrigin = POINT{x, y};
    return TRUE;
}

BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT previous) {
    DeviceContext* dc = LookupDc(hdc);
    if (dc == nullptr) {
        return FALSE;
    }
    if (previous != nullptr) {
        *previous = dc->viewportOrigin;
    }
    // Saturates rather than wraps: an origin pushed past the int range stays
    // as far off every bitmap as it can be.
    dc->viewportOrigin.x = SaturatedSum(dc->viewportOrigin.x, dx);
    dc->viewportOrigin.y = SaturatedSum(dc->viewportOrigin.y, dy);
    return TRUE;
}

BOOL GetViewportOrgEx(HDC hdc, LPPOINT origin) {
    DeviceContext* dc = LookupDc(hdc);
    if (dc == nullptr || origin == nullptr) {
        return FALSE;
    }
    *origin = dc->viewportOrigin;
    return TRUE;
}

BOOL GdiFlush() { return TRUE; }
