// Object entry points: stock objects, creation of pens and brushes,
// selection, deletion and description of any GDI object.
#include "platform/gdi/object_calls.h"

#include <memory>

#include "platform/gdi/dc_state.h"
#include "platform/gdi/drawing_objects.h"
#include "platform/gdi/regions.h"

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
