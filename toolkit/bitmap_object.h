// BitmapObject: copies an application's bitmap into its box with a raster
// operation, through a temporary memory DC on the surface's DC. The bitmap
// stays the application's. Depends on DisplayObject and the platform's
// DC and blit calls.
#pragma once

#include "toolkit/display_object.h"

namespace vareko {

class BitmapObject : public DisplayObject {
  public:
    BitmapObject() = default;
    ~BitmapObject() override;

    // Copies the box's size from the bitmap at the object's offset, so the
    // picture keeps its place in the box whatever the offset.
    void Draw(GraphicsSurface& surface) override;

    void SetBitmap(HBITMAP newBitmap);
    HBITMAP GetBitmap() const { return bitmap; }
    void SetRasterOp(DWORD rop);
    DWORD GetRasterOp() const { return rasterOp; }

  protected:
    // BitBlt of the box's size from the bitmap's point source to (0, 0).
    void CopyBitmap(GraphicsSurface& surface, POINT source) const;

    HBITMAP bitmap = nullptr;  // not owned
    DWORD rasterOp = SRCCOPY;
};

}  // namespace vareko
