// Painting entry points: rectangles, pixels, lines and blits. Coordinates are
// logical; every call is clipped to the DC's clip region and its bitmap.
#pragma once

#include "platform/gdi/gdi_types.h"

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL InvertRect(HDC hdc, const RECT* rect);
// Returns the colour actually set, or CLR_INVALID outside the clip.
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF colour);
COLORREF GetPixel(HDC hdc, int x, int y);

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT previous);
// Draws with the selected pen from the current position up to, but not
// including, (x, y), which becomes the current position.
BOOL LineTo(HDC hdc, int x, int y);

// Raster operations that use no source.
BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop);
// Any ternary raster operation, with a solid brush as pattern. A 1-bit source
// drawn into a colour bitmap takes the destination DC's text colour for 0
// bits and its background colour for 1 bits; a colour source drawn into a
// 1-bit bitmap gives 1 where it matches the source DC's background colour.
BOOL BitBlt(HDC hdc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            DWORD rop);
