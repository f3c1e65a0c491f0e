// TextRunCache: what one text object's last draw left in the pixels of its
// clip box (the opaque background, the glyphs, the inversion), kept with
// everything that draw depended on, so that a redraw with nothing changed
// copies those pixels back instead of filling, laying out and painting
// again. Depends on GraphicsSurface and the platform's drawing calls.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32.h"

namespace vareko {

class GraphicsSurface;

// What a text object's draw depends on besides the DC: its own attributes.
struct TextRunLook {
    HFONT font;
    std::wstring_view text;
    UINT format;
    DRAWTEXTPARAMS params;  // tab length and margins; the drawn length is a result
    COLORREF textColour;
    int backgroundMode;
    SIZE size;
    SIZE extent;
    BOOL visible;
    BOOL inverted;
};

class TextRunCache {
public:
    // Copies the kept pixels back and returns true when the look, the DC's
    // background colour, map mode, viewport origin and clip, and the pixels
    // inside the clip box all equal those of the kept draw: the draw would
    // then paint exactly the kept pixels. Also gives back the kept draw's
    // uiLengthDrawn. Returns false otherwise, and the caller draws.
    bool Replay(GraphicsSurface& surface, const TextRunLook& look, DRAWTEXTPARAMS& params);

    // Keeps the result of a draw made while it is alive: it notes the clip
    // box's pixels when made and again when destroyed. A draw that cannot
    // be described (no font of its own, a clip of several rectangles, only
    // measuring) is not kept.
    class Recording {
    public:
        Recording(TextRunCache& cache, GraphicsSurface& surface, const TextRunLook& look,
                  const DRAWTEXTPARAMS& params);
        ~Recording();
        Recording(const Recording&) = delete;
        Recording& operator=(const Recording&) = delete;

    private:
        TextRunCache& cache;
        GraphicsSurface& surface;
        const DRAWTEXTPARAMS& params;
        bool keeping;
    };

private:
    struct Draw {
        LOGFONTW font;
        TextRunLook look;  // its text view is not kept: see keptText
        COLORREF backgroundColour;
        POINT viewportOrigin;
        RECT clip;  // device pixels, inside the surface
        const std::uint8_t* pixels;
        int surfaceWidth;
    };

    static bool Describe(const GraphicsSurface& surface, const TextRunLook& look, Draw& draw);
    static bool SameDraw(const Draw& a, const Draw& b);

    bool kept = false;
    Draw keptDraw{};
    std::wstring keptText;
    UINT keptLengthDrawn = 0;
    std::vector<std::uint8_t> before;  // the clip box's pixels before the draw
    std::vector<std::uint8_t> after;   // and after it
};

// On at start. Off, every text object fills, lays out and paints its text on
// each draw: tests compare frames drawn both ways, and it rules the cache
// out when a drawing fault is looked for.
void SetTextRunCaching(bool on);

}  // namespace vareko
