// LoadImageW for picture files: Windows bitmap (.bmp) files as HBITMAP and
// icon (.ico) files as HICON. Only LR_LOADFROMFILE is supported: there are
// no resources to load from.
#pragma once

#include "platform/gdi/gdi_types.h"

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT IMAGE_CURSOR = 2;

constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_MONOCHROME = 0x0001;
constexpr UINT LR_LOADFROMFILE = 0x0010;
constexpr UINT LR_DEFAULTSIZE = 0x0040;
constexpr UINT LR_CREATEDIBSECTION = 0x2000;

// Bitmaps: uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel, and 16 and
// 32 bits with BI_BITFIELDS masks. 1-bit files give 1-bit bitmaps, 4- and
// 8-bit files 8-bit bitmaps with their colour table, deeper files 32-bit
// bitmaps; LR_MONOCHROME gives a 1-bit bitmap of the nearest of black and
// white; LR_CREATEDIBSECTION a DIB section, else a device-dependent bitmap.
// cx and cy are ignored for bitmaps.
// Icons: the image whose size is nearest to cx x cy (0 means the first
// image's size; LR_DEFAULTSIZE means 32 x 32), preferring more colours; it
// keeps its own size. Images stored as PNG inside an icon file are refused.
// Returns null for anything else: no file, a damaged file, another type.
HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags);
