// IconObject: DrawIconEx with a transparent background mode, restored after.
#include "toolkit/icon_object.h"

#include "toolkit/graphics_surface.h"

namespace vareko {

IconObject::~IconObject() = default;

void IconObject::Draw(GraphicsSurface& surface) {
    HDC dc = surface.GetMemoryDC();
    int previousMode = SetBkMode(dc, TRANSPARENT);
    if (icon != nullptr) {
        DrawIconEx(dc, 0, 0, icon, iconWidth, iconHeight, 0, nullptr, DI_NORMAL);
    }
    if (previousMode != 0) {
        SetBkMode(dc, previousMode);
    }
}

void IconObject::SetIcon(HICON newIcon, int cx, int cy) {
    icon = newIcon;
    iconWidth = cx;
    iconHeight = cy;
}

}  // namespace vareko
