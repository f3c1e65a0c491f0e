// Device-context entry points: memory DCs and their attributes.
#pragma once

#include "platform/gdi/gdi_types.h"

// A memory DC holding a 1 x 1 monochrome bitmap; the reference DC is ignored.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);

COLORREF SetTextColor(HDC hdc, COLORREF colour);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF colour);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
// Only MM_TEXT exists; any other mode fails with 0.
int SetMapMode(HDC hdc, int mode);
int GetMapMode(HDC hdc);

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT previous);
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT previous);
BOOL GetViewportOrgEx(HDC hdc, LPPOINT origin);

// Drawing is never deferred, so there is nothing to flush.
BOOL GdiFlush();
