// BitmapObject: the copy through a temporary memory DC.
#include "toolkit/bitmap_object.h"

#include "toolkit/dc_state_guard.h"
#include "toolkit/graphics_surface.h"

namespace vareko {

BitmapObject::~BitmapObject() = default;

void BitmapObject::Draw(GraphicsSurface& surface) {
    if (bitmap != nullptr) {
        CopyBitmap(surface, offset);
    }
}

void BitmapObject::SetBitmap(HBITMAP newBitmap) {
    bitmap = newBitmap;
}

void BitmapObject::SetRasterOp(DWORD rop) {
    rasterOp = rop;
}

void BitmapObject::CopyBitmap(GraphicsSurface& surface, POINT source) const {
    HDC target = surface.GetMemoryDC();
    HDC temporary = CreateCompatibleDC(target);
    if (temporary == nullptr) {
        return;
    }
    {
        // A bitmap that another DC holds cannot be selected; then nothing is copied.
        DcStateGuard state(temporary);
        if (SUCCEEDED(state.Select(bitmap))) {
            BitBlt(target, 0, 0, size.cx, size.cy, temporary, source.x, source.y, rasterOp);
        }
    }
    DeleteDC(temporary);
}

}  // namespace vareko
