// Rectangular regions and the clip region of a DC.
#pragma once

#include "platform/gdi/gdi_types.h"

HRGN CreateRectRgn(int left, int top, int right, int bottom);
// Makes an existing region the given rectangle (corners in either order), so
// a caller that clips often can keep one region instead of making new ones.
// Returns FALSE for a handle that is not a region.
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
// Makes a copy of the region the DC's clip region, in device coordinates
// (the viewport origin does not move it); a null region removes the clip.
// Returns the region's type (NULLREGION, SIMPLEREGION) or ERROR.
int SelectClipRgn(HDC hdc, HRGN region);
// The bounding rectangle of what can be painted, in logical coordinates.
int GetClipBox(HDC hdc, LPRECT rect);
