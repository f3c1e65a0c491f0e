// TextRunCache: what one text object's DrawTextExW call left in the pixels of
// its clip box, kept with everything the call depends on, so that a redraw
// with nothing changed copies those pixels back instead of laying out and
// painting the glyphs again. Depends on GraphicsSurface and the platform's
// drawing calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace vareko {

class GraphicsSurface;

class TextRunCache {
public:
    // Has the effect of DrawTextExW(surface's DC, text, length, &rect,
    // format, &params) with the DC's current attributes. The call's result
    // depends only on its arguments, the font, the DC's text and background
    // colours, background mode, viewport origin and clip, and the pixels
    // already inside the clip box; when all of these equal the kept ones, the
    // kept pixels are exactly what the call would paint. Calls whose clip is
    // not one rectangle, or that only measure, are passed straight on. The
    // toolkit's formats never let DrawTextExW modify the text.
    void Draw(GraphicsSurface& surface, HFONT font, wchar_t* text, int length, RECT rect,
              UINT format, DRAWTEXTPARAMS& params);

private:
    struct Call {
        LOGFONTW font;
        RECT rect;
        UINT format;
        int tabLength, leftMargin, rightMargin;
        COLORREF textColour, backgroundColour;
        int backgroundMode;
        POINT viewportOrigin;
        RECT clip;  // device pixels, inside the surface
        const std::uint8_t* pixels;
        int surfaceWidth;
    };

    static bool SameCall(const Call& a, const Call& b);
    bool Matches(const Call& call, const wchar_t* text, int length, const GraphicsSurface& surface) const;
    void Keep(const Call& call, const wchar_t* text, int length, UINT lengthDrawn);

    bool kept = false;
    Call keptCall{};
    std::wstring keptText;
    UINT keptLengthDrawn = 0;
    std::vector<std::uint8_t> before;  // the clip box's pixels before the call
    std::vector<std::uint8_t> after;   // and after it
};

// On at start. Off, every text object lays out and paints its text on each
// draw: tests compare frames drawn both ways, and it rules the cache out
// when a drawing fault is looked for.
void SetTextRunCaching(bool on);

}  // namespace vareko
