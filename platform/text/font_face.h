// A font face at one pixel size: its metrics and 1-bit glyph images. Two
// kinds exist: the house bitmap fonts and faces rendered by FreeType. The
// font objects of the graphics interface hold one; layout and drawing read
// glyphs only through this interface. Depends on platform/text/ only.
#pragma once

#include <limits>
#include <memory>
#include <string_view>

#include "platform/text/house_font.h"
#include "platform/text/text_layout.h"
#include "platform/text/text_types.h"

namespace vareko::text {

struct FaceMetrics {
    LONG height;  // cell rows: ascent + descent
    LONG ascent;  // rows above the baseline, internal leading included
    LONG descent;
    LONG internalLeading;  // height minus the em
    LONG averageWidth;
    LONG maximumWidth;
    LONG weight;
};

// A glyph's 1-bit image, placed relative to the pen: its top-left pixel lies
// `left` pixels right of the pen and `top` rows below the top of the cell.
// Rows are strideBytes apart, leftmost pixel in the most significant bit.
struct GlyphImage {
    const BYTE* rows;
    int width;
    int height;
    int strideBytes;
    int left;
    int top;
    int advance;
};

class FontFace : public RunMeasure {
public:
    virtual const FaceMetrics& Metrics() const = 0;
    // The image of a character (a Unicode code point); absent characters
    // give the face's missing-glyph image. Valid as long as the face lives.
    virtual GlyphImage Glyph(char32_t code) const = 0;

    LONG RunWidth(std::wstring_view run) const override;
    LONG LineHeight() const override { return Metrics().height; }
};

std::shared_ptr<const FontFace> MakeHouseFace(const HouseFont& font);

// FreeType rendering, 1 bit per pixel, of the installed face that fontconfig
// matches to the LOGFONT's name, weight and slant, at its height: a negative
// lfHeight is the em in pixels, a positive one the cell height. Null when no
// face can be found or opened.
std::shared_ptr<const FontFace> OpenFreeTypeFace(const LOGFONTW& logFont);

// The face a font object uses: a house font for the house face name (or no
// name) at a size the house fonts have, otherwise FreeType, and the house
// font nearest in size when FreeType has nothing. Faces are shared between
// fonts that ask for the same thing.
std::shared_ptr<const FontFace> ResolveFace(const LOGFONTW& logFont);

// Em height of the default GUI font (8 points at 96 pixels per inch).
inline constexpr LONG kDefaultEmHeight = 11;

// The size lfHeight asks for, without its sign. The most negative LONG has no
// positive counterpart and saturates.
constexpr LONG HeightMagnitude(LONG lfHeight) {
    if (lfHeight >= 0) return lfHeight;
    return lfHeight == std::numeric_limits<LONG>::min() ? std::numeric_limits<LONG>::max() : -lfHeight;
}

}  // namespace vareko::text
