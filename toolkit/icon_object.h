// IconObject: draws an application's icon at its own size (16 x 16 unless
// set) at the object's content origin. The icon stays the application's.
// Depends on DisplayObject and the platform's icon drawing.
#pragma once

#include "toolkit/display_object.h"

namespace vareko {

class IconObject : public DisplayObject {
  public:
    IconObject() = default;
    ~IconObject() override;

    void Draw(GraphicsSurface& surface) override;

    void SetIcon(HICON newIcon, int cx, int cy);
    HICON GetIcon() const { return icon; }

  protected:
    HICON icon = nullptr;  // not owned
    int iconWidth = 16;
    int iconHeight = 16;
};

}  // namespace vareko
