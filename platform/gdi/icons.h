// Icons: an HICON made from an AND mask and a colour picture, and its
// drawing at any size. Icons are not GDI objects on the platform; here they
// live in the same handle table under a kind of their own, so DeleteObject
// and GetObjectType leave them alone.
#pragma once

#include "platform/gdi/gdi_types.h"

struct ICONINFO {
    BOOL fIcon;
    DWORD xHotspot;
    DWORD yHotspot;
    HBITMAP hbmMask;
    HBITMAP hbmColor;
};
using PICONINFO = ICONINFO*;

// DrawIconEx flags.
constexpr UINT DI_MASK = 0x0001;
constexpr UINT DI_IMAGE = 0x0002;
constexpr UINT DI_NORMAL = 0x0003;
constexpr UINT DI_COMPAT = 0x0004;
constexpr UINT DI_DEFAULTSIZE = 0x0008;
constexpr UINT DI_NOMIRROR = 0x0010;

// Copies the bitmaps, which stay the caller's. The mask must be 1-bit. With a
// colour bitmap (1, 8 or 32 bits) the icon has its size and the mask must be
// at least as large; without one the mask holds the AND mask in its top half
// and the XOR picture in its bottom half. A 32-bit colour bitmap with any
// non-zero alpha byte is blended by its alpha when drawn with DI_NORMAL.
HICON CreateIconIndirect(PICONINFO info);
// Fills info with new copies of the icon's bitmaps; the caller deletes them.
BOOL GetIconInfo(HICON icon, PICONINFO info);
BOOL DestroyIcon(HICON icon);
// Draws the icon with its top-left corner at the logical point (x, y),
// scaled to cx x cy (0 takes the icon's own width or height) by nearest
// pixel. DI_MASK applies the AND mask, DI_IMAGE the colour picture (as XOR
// after the mask); either one on its own is copied. A flicker-free brush fills the
// icon's rectangle before the icon is drawn. The animation step is ignored.
BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT step,
                HBRUSH flickerFreeBrush, UINT flags);
