// TextRunCache: describing a DrawTextExW call, comparing it with the kept one
// and copying clip-box pixels between the surface and the cache. The surface
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

bool TextRunCache::SameCall(const Call& a, const Call& b) {
    return std::memcmp(&a.font, &b.font, sizeof a.font) == 0 && SameRect(a.rect, b.rect) &&
           a.format == b.format && a.tabLength == b.tabLength && a.leftMargin == b.leftMargin &&
           a.rightMargin == b.rightMargin && a.textColour == b.textColour &&
           a.backgroundColour == b.backgroundColour && a.backgroundMode == b.backgroundMode &&
           a.viewportOrigin.x == b.viewportOrigin.x && a.viewportOrigin.y == b.viewportOrigin.y &&
           SameRect(a.clip, b.clip) && a.pixels == b.pixels && a.surfaceWidth == b.surfaceWidth;
}

bool TextRunCache::Matches(const Call& call, const wchar_t* text, int length,
                           const GraphicsSurface& surface) const {
    return kept && SameCall(call, keptCall) &&
           std::wstring_view(keptText) == std::wstring_view(text, static_cast<std::size_t>(length)) &&
           SamePixels(surface, call.clip, before);
}

void TextRunCache::Keep(const Call& call, const wchar_t* text, int length, UINT lengthDrawn) {
    keptCall = call;
    keptText.assign(text, static_cast<std::size_t>(length));
    keptLengthDrawn = lengthDrawn;
    kept = true;
}

void TextRunCache::Draw(GraphicsSurface& surface, HFONT font, wchar_t* text, int length, RECT rect,
                        UINT format, DRAWTEXTPARAMS& params) {
    HDC dc = surface.GetMemoryDC();
    Call call{};
    call.rect = rect;
    call.format = format;
    call.tabLength = params.iTabLength;
    call.leftMargin = params.iLeftMargin;
    call.rightMargin = params.iRightMargin;
    const bool describable =
        cachingOn.load(std::memory_order_relaxed) && font != nullptr && length >= 0 &&
        (format & DT_CALCRECT) == 0 && surface.GetPixels() != nullptr &&
        GetMapMode(dc) == MM_TEXT && GetViewportOrgEx(dc, &call.viewportOrigin) &&
        DeviceClip(dc, call.viewportOrigin, surface, call.clip) &&
        GetObjectW(font, sizeof call.font, &call.font) == static_cast<int>(sizeof call.font);
    if (!describable) {
        kept = false;
        DrawTextExW(dc, text, length, &rect, format, &params);
        return;
    }
    call.textColour = GetTextColor(dc);
    call.backgroundColour = GetBkColor(dc);
    call.backgroundMode = GetBkMode(dc);
    call.pixels = surface.GetPixels();
    call.surfaceWidth = surface.GetWidth();
    GdiFlush();  // the pixels are read and written directly
    if (Matches(call, text, length, surface)) {
        CopyIn(surface, call.clip, after);
        params.uiLengthDrawn = keptLengthDrawn;
        return;
    }
    CopyOut(surface, call.clip, before);
    DrawTextExW(dc, text, length, &rect, format, &params);
    GdiFlush();
    CopyOut(surface, call.clip, after);
    Keep(call, text, length, params.uiLengthDrawn);
}

}  // namespace vareko
