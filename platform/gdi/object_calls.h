// Object entry points: stock objects, creation of pens and brushes,
// selection, deletion and description of any GDI object.
#pragma once

#include "platform/gdi/gdi_types.h"

// The stock object with the platform's index, or null for an unknown index.
HGDIOBJ GetStockObject(int index);
HBRUSH CreateSolidBrush(COLORREF colour);
// Styles PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL and
// PS_INSIDEFRAME; every pen draws one pixel wide.
HPEN CreatePen(int style, int width, COLORREF colour);
// Selects a bitmap, pen, brush or font and returns the replaced object;
// a region becomes the clip region (see SelectClipRgn) and the region type is
// returned. Null on failure.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
// Frees a pen, brush, bitmap, region or font; stock objects stay. An object
// still selected into a DC is freed when the DC lets go of it.
BOOL DeleteObject(HGDIOBJ object);
int GetObjectW(HGDIOBJ object, int size, LPVOID buffer);
DWORD GetObjectType(HGDIOBJ object);
