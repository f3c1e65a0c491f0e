// IconObject: DrawIconEx with a transparent background mode, restored after.
#include "toolkit/icon_object.h"

#include "toolkit/dc_state_guard.h"
#include "toolkit/graphics_surface.h"

namespace vareko {

IconObject::~IconObject() = default;

void IconObject::Draw(GraphicsSurface& surface) {
    HDC dc = surface.GetMemoryDC();
    DcStateGuard state(dc);
    state.SetBackgroundMode(TRANSPARENT);
    if (icon != nullptr) {
        DrawIconEx(dc, 0, 0, icon, iconWidth, iconHeight, 0, nullptr, DI_NORMAL);
    }
}

void IconObject::SetIcon(HICON newIcon, int cx, int cy) {
    icon = newIcon;
    iconWidth = cx;
    iconHeight = cy;
}

}  // namespace vareko
