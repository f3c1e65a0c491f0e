// Bitmap creation: DIB sections of 1, 8 and 32 bits per pixel and 1-bit
// device-dependent bitmaps.
#pragma once

#include "platform/gdi/gdi_types.h"

// Only DIB_RGB_COLORS, BI_RGB and 1, 8 or 32 bits per pixel are supported;
// section and offset must be null and 0. *bits receives the pixel memory.
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits,
                         HANDLE section, DWORD offset);
// A 1-bit bitmap (planes 1, bitsPerPixel 1): 0 bits black, 1 bits white;
// bits, if given, holds rows padded to 2 bytes, top row first.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
