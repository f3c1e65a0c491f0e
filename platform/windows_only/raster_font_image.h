// Windows: turns one house bitmap font into the image of a raster font file
// (the system's version 2.0 bitmap font format), which the font installer
// hands to the system. Depends on platform/text/house_font.h only.
#pragma once

#include <vector>

#include "platform/text/house_font.h"

namespace vareko::platform {

// Fixed places of the version 2.0 header that the installer and its tests
// read back; the whole layout is written out in raster_font_image.cpp.
inline constexpr std::size_t kRasterFontHeaderBytes = 118;
inline constexpr std::size_t kRasterFontCharTableOffset = kRasterFontHeaderBytes;
inline constexpr int kRasterFontFirstChar = 0x00;
inline constexpr int kRasterFontLastChar = 0xFF;

// The font's cell, metrics and glyphs under the house face name, for the
// 8-bit codes 0-255 of the Western (ANSI) character set; codes the house font
// lacks carry its missing glyph, which is also the default character. Empty
// when the glyph data would not fit the format's 16-bit offsets.
std::vector<BYTE> BuildRasterFontImage(const text::HouseFont& font);

}  // namespace vareko::platform
