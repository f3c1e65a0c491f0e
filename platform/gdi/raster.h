// Clipped span work shared by the painting entry points. Callers pass device
// coordinates; these routines intersect with the DC's clip rectangles and
// hand only clipped spans to the per-format loops.
#pragma once

#include "platform/gdi/dc_state.h"
#include "platform/gdi/raster_ops.h"

namespace vareko::gdi {

// Applies the masks to every pixel of the device rectangle that lies inside
// the DC's clip.
void ApplyToDeviceRect(DeviceContext& dc, const RECT& deviceRect, RopMasks masks);

// True if the device point lies inside the DC's clip.
bool IsInsideClip(const DeviceContext& dc, POINT device);

// The pixel value of the selected brush in the DC's bitmap, or false for a
// hollow brush.
bool BrushPixel(const DeviceContext& dc, const Brush& brush, DWORD& pixel);

DWORD PixelMaskOf(const Bitmap& bitmap);

}  // namespace vareko::gdi
