// Pictures from PNG files for callers of the display manager: a PNG becomes
// a 32-bit bitmap with its alpha channel, or an icon whose mask is clear
// where the picture is at least half opaque. Uses libpng's simplified
// reading interface and the graphics layer's public calls only.
#pragma once

#include "platform/win32.h"

namespace vareko::platform {

// The largest picture either call accepts, in pixels per side.
constexpr int kMaxPngPictureSide = 4096;

// A 32-bit top-down DIB section (blue, green, red, alpha bytes per pixel),
// or null when the file cannot be read or decoded. The caller deletes it
// with DeleteObject.
HBITMAP LoadPngBitmap(const char* path);

// An icon of the picture's size; the caller destroys it with DestroyIcon.
HICON LoadPngIcon(const char* path);

}  // namespace vareko::platform
