// TextRunCache: describing a text object's draw, comparing it with the kept
// one and copying clip-box pixels between the surface and the cache. The surface
// is 8-bit with unpadded rows, so a box is a run of row slices.
#include "toolkit/text_run_cache.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string_view>

#include "toolkit/graphics_surface.h"

namespace vareko {
namespace {

std::atomic<bool> cachingOn{true};

// The box's pixels row after row; the box lies inside the surface.
template <class Visit>
void ForEachRow(const GraphicsSurface& surface, const RECT& box, Visit visit) {
    const auto width = static_cast<std::size_t>(box.right - box.left);
    std::size_t at = 0;
    for (int y = box.top; y < box.bottom; ++y, at += width) {
        std::uint8_t* row = surface.GetPixels() +
                            static_cast<std::ptrdiff_t>(y) * surface.GetWidth() + box.left;
        if (!visit(row, at, width)) return;
    }
}

void CopyOut(const GraphicsSurface& surface, const RECT& box, std::vector<std::uint8_t>& out) {
    out.resize(static_cast<std::size_t>(box.right - box.left) * static_cast<std::size_t>(box.bottom - box.top));
    ForEachRow(surface, box, [&](const std::uint8_t* row, std::size_t at, std::size_t width) {
        std::memcpy(out.data() + at, row, width);
        return true;
    });
}

void CopyIn(const GraphicsSurface& surface, const RECT& box, const std::vector<std::uint8_t>& in) {
    ForEachRow(surface, box, [&](std::uint8_t* row, std::size_t at, std::size_t width) {
        std::memcpy(row, in.data() + at, width);
        return true;
    });
}

bool SamePixels(const GraphicsSurface& surface, const RECT& box, const std::vector<std::uint8_t>& kept) {
    bool same = true;
    ForEachRow(surface, box, [&](const std::uint8_t* row, std::size_t at, std::size_t width) {
        same = std::memcmp(row, kept.data() + at, width) == 0;
        return same;
    });
    return same;
}

// The DC's clip box in device pixels, cut to the surface; false when the clip
// is not one rectangle or nothing of it is on the surface.
bool DeviceClip(HDC dc, POINT origin, const GraphicsSurface& surface, RECT& clip) {
    RECT logical{};
    if (GetClipBox(dc, &logical) != SIMPLEREGION) return false;
    auto toDevice = [](LONG value, LONG offset, int limit) {
        return static_cast<LONG>(std::clamp<std::int64_t>(std::int64_t{value} + offset, 0, limit));
    };
    clip = RECT{toDevice(logical.left, origin.x, surface.GetWidth()),
                toDevice(logical.top, origin.y, surface.GetHeight()),
                toDevice(logical.right, origin.x, surface.GetWidth()),
                toDevice(logical.bottom, origin.y, surface.GetHeight())};
    return clip.left < clip.right && clip.top < clip.bottom;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

void SetTextRunCaching(bool on) { cachingOn.store(on, std::memory_order_relaxed); }

bool TextRunCache::Describe(const GraphicsSurface& surface, const TextRunLook& look, Draw& draw) {
    HDC dc = surface.GetMemoryDC();
    draw.look = look;
    draw.look.text = {};
    draw.pixels = surface.GetPixels();
    draw.surfaceWidth = surface.GetWidth();
    // In MM_TEXT a logical position is the device position less the origin.
    return cachingOn.load(std::memory_order_relaxed) && look.font != nullptr &&
           (look.format & DT_CALCRECT) == 0 && draw.pixels != nullptr &&
           GetMapMode(dc) == MM_TEXT && GetViewportOrgEx(dc, &draw.viewportOrigin) &&
           DeviceClip(dc, draw.viewportOrigin, surface, draw.clip) &&
           GetObjectW(look.font, sizeof draw.font, &draw.font) == static_cast<int>(sizeof draw.font) &&
           (draw.backgroundColour = GetBkColor(dc)) != CLR_INVALID;
}

bool TextRunCache::SameDraw(const Draw& a, const Draw& b) {
    const TextRunLook& x = a.look;
    const TextRunLook& y = b.look;
    return std::memcmp(&a.font, &b.font, sizeof a.font) == 0 &&
           x.format == y.format && x.params.iTabLength == y.params.iTabLength &&
           x.params.iLeftMargin == y.params.iLeftMargin &&
           x.params.iRightMargin == y.params.iRightMargin && x.textColour == y.textColour &&
           x.backgroundMode == y.backgroundMode && x.size.cx == y.size.cx &&
           x.size.cy == y.size.cy && x.extent.cx == y.extent.cx && x.extent.cy == y.extent.cy &&
           x.visible == y.visible && x.inverted == y.inverted &&
           a.backgroundColour == b.backgroundColour && a.viewportOrigin.x == b.viewportOrigin.x &&
           a.viewportOrigin.y == b.viewportOrigin.y && SameRect(a.clip, b.clip) &&
           a.pixels == b.pixels && a.surfaceWidth == b.surfaceWidth;
}

bool TextRunCache::Replay(GraphicsSurface& surface, const TextRunLook& look, DRAWTEXTPARAMS& params) {
    Draw draw{};
    if (!kept || !Describe(surface, look, draw) || !SameDraw(draw, keptDraw) ||
        std::wstring_view(keptText) != look.text) {
        return false;
    }
    GdiFlush();  // the pixels are read and written directly
    if (!SamePixels(surface, draw.clip, before)) return false;
    CopyIn(surface, draw.clip, after);
    params.uiLengthDrawn = keptLengthDrawn;
    return true;
}

TextRunCache::Recording::Recording(TextRunCache& cacheIn, GraphicsSurface& surfaceIn,
                                   const TextRunLook& look, const DRAWTEXTPARAMS& paramsIn)
    : cache(cacheIn), surface(surfaceIn), params(paramsIn) {
    cache.kept = false;
    keeping = Describe(surface, look, cache.keptDraw);
    if (keeping) {
        cache.keptText.assign(look.text);
        GdiFlush();
        CopyOut(surface, cache.keptDraw.clip, cache.before);
    }
}

TextRunCache::Recording::~Recording() {
    if (!keeping) return;
    GdiFlush();
    CopyOut(surface, cache.keptDraw.clip, cache.after);
    cache.keptLengthDrawn = params.uiLengthDrawn;
    cache.kept = true;
}

}  // namespace vareko
