// BitmapObject: the copy through a temporary memory DC.
#include "toolkit/bitmap_object.h"

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
    // A bitmap that another DC holds cannot be selected; then nothing is copied.
    HGDIOBJ previous = SelectObject(temporary, bitmap);
    if (previous != nullptr) {
        BitBlt(target, 0, 0, size.cx, size.cy, temporary, source.x, source.y, rasterOp);
        SelectObject(temporary, previous);
    }
    DeleteDC(temporary);
}

}  // namespace vareko
