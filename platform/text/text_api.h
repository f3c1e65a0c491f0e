// The text entry points of the graphics interface, with the platform's names
// and signatures: font creation, text drawing and measuring. Included by
// platform/win32.h on non-Windows builds. Coordinates are logical; drawing
// is clipped to the DC's clip region and bitmap.
#pragma once

#include "platform/gdi/gdi_types.h"
#include "platform/text/text_types.h"

using LPSIZE = SIZE*;
using LPDRAWTEXTPARAMS = DRAWTEXTPARAMS*;

// Null for a null LOGFONT. Any face name and height gives a font: the house
// bitmap face where it has the size, else an installed face.
HFONT CreateFontIndirectW(const LOGFONTW* logFont);

// Draws or, with DT_CALCRECT, measures text in a rectangle with the selected
// font, the text colour and, in OPAQUE mode, the background colour behind
// each line. cchText -1 means zero-terminated. Supported flags: DT_CENTER,
// DT_RIGHT, DT_VCENTER, DT_BOTTOM (with DT_SINGLELINE), DT_WORDBREAK,
// DT_SINGLELINE, DT_NOCLIP, DT_CALCRECT, DT_NOPREFIX. Margins of params are
// in pixels. Returns the text height (see text_layout.h), 0 on failure.
int DrawTextExW(HDC hdc, LPWSTR text, int cchText, LPRECT rect, UINT format, LPDRAWTEXTPARAMS params);
int DrawTextW(HDC hdc, LPCWSTR text, int cchText, LPRECT rect, UINT format);

// Draws one line with its cell's top-left corner at (x, y); line ends and
// '&' are drawn as characters.
BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count);
BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, LPSIZE size);
BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* metrics);
