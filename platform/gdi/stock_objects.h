// Stock objects: created on first use, never freed, left alone by
// DeleteObject. Internal to platform/.
#pragma once

#include "platform/gdi/bitmap_object.h"
#include "platform/gdi/object_calls.h"

namespace vareko::gdi {

// The 1 x 1 monochrome bitmap that a new memory DC holds.
Bitmap& DefaultBitmap();

}  // namespace vareko::gdi
