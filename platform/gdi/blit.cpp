// BitBlt: any ternary raster operation between bitmaps of the same or of
// different formats. The source is first translated into destination pixel
// values (colour-table matching, or the DCs' text and background colours
// across a monochrome boundary), then combined as AND/XOR masks. Clipping
// happens once per clip rectangle, against the destination clip and the
// source bitmap; the row loops assume clipped input. Rows from a monochrome
// source go many pixels at a time (mono_blit.cpp): 64 into a monochrome
// bitmap, except for a copy within one row of one bitmap, which goes pixel by
// pixel away from the overlap; 8 into an 8-bit bitmap.
#include <algorithm>
#include <array>
#include <cassert>
#include <cstdint>
#include <cstring>

#include "platform/gdi/mono_blit.h"
#include "platform/gdi/painting.h"
#include "platform/gdi/raster.h"

namespace vareko::gdi {

namespace {

struct Identity {
    DWORD operator()(DWORD pixel) const { return pixel; }
};

// Indexed source: translated entries are computed on first use, so a blit
// pays only for the colours that it meets.
struct LazyTable {
    static constexpr DWORD kUnset = 0xFFFFFFFF;
    const Bitmap* source;
    const Bitmap* destination;
    COLORREF sourceBackground;
    bool toMonochrome;
    mutable std::array<DWORD, 256> entries;

    DWORD operator()(DWORD pixel) const {
        DWORD& entry = entries[pixel & 0xFF];
        if (entry == kUnset) {
            COLORREF colour = source->PixelToColour(pixel);
            entry = toMonochrome ? (colour == sourceBackground ? 1u : 0u)
                                 : destination->ColourToPixel(colour);
        }
        return entry;
    }
};

// Device-dependent monochrome source into a colour destination: 0 bits take
// the text colour and 1 bits the background colour of the destination DC.
struct MonoToColour {
    DWORD zero, one;
    DWORD operator()(DWORD pixel) const { return pixel ? one : zero; }
};

// 32-bit source into a 1-bit destination: white where it matches the source
// DC's background colour.
struct MatchBackground {
    DWORD background;
    DWORD operator()(DWORD pixel) const { return pixel == background ? 1u : 0u; }
};

// 32-bit source into an 8-bit destination.
struct NearestColour {
    const Bitmap* destination;
    DWORD operator()(DWORD pixel) const {
        return destination->ColourToPixel(RGB(static_cast<BYTE>(pixel >> 16),
                                              static_cast<BYTE>(pixel >> 8),
                                              static_cast<BYTE>(pixel)));
    }
};

struct BlitJob {
    Bitmap* destination;
    const Bitmap* source;
    RECT area;    // destination pixels, clipped to both bitmaps
    POINT delta;  // source = destination + delta
    SourceRop rop;
    bool plainCopy;  // SRCCOPY with an identity translation
};

// Callers clip: job.area lies inside the destination and, moved by delta,
// inside the source.
template <class Src, class Dst, class Translate>
void BlitArea(const BlitJob& job, const Translate& translate) {
    const RECT& a = job.area;
    assert(!IsEmptyRect(a) && a.left >= 0 && a.top >= 0 && a.right <= job.destination->Width() &&
           a.bottom <= job.destination->Height());
    assert(a.left + job.delta.x >= 0 && a.top + job.delta.y >= 0 &&
           a.right + job.delta.x <= job.source->Width() &&
           a.bottom + job.delta.y <= job.source->Height());
    // Within one bitmap, walk away from the overlap: bottom-up when moving
    // down, right-to-left when moving right along the same rows.
    bool sameBitmap = job.source == job.destination;
    bool upward = sameBitmap && job.delta.y < 0;
    bool leftward = sameBitmap && job.delta.y == 0 && job.delta.x < 0;
    // A 1-bit source into 8 bits meets only two translated values.
    [[maybe_unused]] RopMasks forZero{};
    [[maybe_unused]] RopMasks forOne{};
    if constexpr (Src::kBits == 1 && Dst::kBits == 8) {
        forZero = job.rop.For(translate(0));
        forOne = job.rop.For(translate(1));
    }
    int height = a.bottom - a.top;
    for (int k = 0; k < height; ++k) {
        int y = upward ? a.bottom - 1 - k : a.top + k;
        const std::uint8_t* sourceRow = job.source->Row(y + job.delta.y);
        std::uint8_t* row = job.destination->Row(y);
        if constexpr (Src::kBits == Dst::kBits && Src::kBits != 1 &&
                      std::is_same_v<Translate, Identity>) {
            if (job.plainCopy) {
                std::memmove(row + a.left * (Dst::kBits / 8),
                             sourceRow + (a.left + job.delta.x) * (Src::kBits / 8),
                             static_cast<std::size_t>(a.right - a.left) * (Dst::kBits / 8));
                continue;
            }
        }
        if constexpr (Src::kBits == 1 && Dst::kBits == 8) {
            BlitMonoToIndex8Span(row, sourceRow, job.source->StrideBytes(), a.left, a.right,
                                 job.delta.x, forZero, forOne);
            continue;
        }
        if constexpr (Src::kBits == 1 && Dst::kBits == 1) {
            if (!(sameBitmap && job.delta.y == 0)) {
                BlitMonoSpan(row, sourceRow, job.source->StrideBytes(), a.left, a.right,
                             job.delta.x, job.rop.For(0), job.rop.For(1));
                continue;
            }
        }
        int width = a.right - a.left;
        for (int j = 0; j < width; ++j) {
            int x = leftward ? a.right - 1 - j : a.left + j;
            RopMasks masks = job.rop.For(translate(Src::Get(sourceRow, x + job.delta.x)));
            Dst::Apply(row, x, masks.andMask, masks.xorMask);
        }
    }
}

bool SameColourTables(const Bitmap& a, const Bitmap& b) {
    return a.ColourCount() == b.ColourCount() &&
           std::memcmp(a.Colours(), b.Colours(),
                       static_cast<std::size_t>(a.ColourCount()) * sizeof(RGBQUAD)) == 0;
}

// Picks the translation for the pair of formats and runs the area.
void RunBlit(BlitJob& job, const DeviceContext& dc, const DeviceContext& sourceDc, BYTE rop3) {
    const Bitmap& source = *job.source;
    Bitmap& destination = *job.destination;
    WithFormat(source.Format(), [&](auto s) {
        WithFormat(destination.Format(), [&](auto d) {
            using Src = decltype(s);
            using Dst = decltype(d);
            if constexpr (Src::kBits == Dst::kBits && Src::kBits != 8) {
                job.plainCopy = rop3 == Rop3Index(SRCCOPY);
                BlitArea<Src, Dst>(job, Identity{});
            } else if constexpr (Src::kBits == 1) {
                if (source.IsDibSection()) {
                    // A 1-bit DIB section has colours of its own: only a
                    // device-dependent monochrome bitmap takes the DC's.
                    LazyTable table{&source, &destination, sourceDc.bkColor, false, {}};
                    table.entries.fill(LazyTable::kUnset);
                    BlitArea<Src, Dst>(job, table);
                    return;
                }
                BlitArea<Src, Dst>(job, MonoToColour{destination.ColourToPixel(dc.textColor),
                                                     destination.ColourToPixel(dc.bkColor)});
            } else if constexpr (Src::kBits == 8) {
                if (Dst::kBits == 8 && SameColourTables(source, destination)) {
                    job.plainCopy = rop3 == Rop3Index(SRCCOPY);
                    BlitArea<Src, Dst>(job, Identity{});
                    return;
                }
                LazyTable table{&source, &destination, sourceDc.bkColor, Dst::kBits == 1, {}};
                table.entries.fill(LazyTable::kUnset);
                BlitArea<Src, Dst>(job, table);
            } else if constexpr (Dst::kBits == 1) {
                BlitArea<Src, Dst>(job, MatchBackground{source.ColourToPixel(sourceDc.bkColor)});
            } else {
                BlitArea<Src, Dst>(job, NearestColour{&destination});
            }
        });
    });
}

}  // namespace

}  // namespace vareko::gdi

using namespace vareko::gdi;

BOOL BitBlt(HDC hdc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            DWORD rop) {
    BYTE rop3 = Rop3Index(rop);
    if (!Rop3UsesSource(rop3)) {
        return PatBlt(hdc, x, y, width, height, rop);
    }
    DeviceContext* dc = LookupDc(hdc);
    DeviceContext* sourceDc = LookupDc(source);
    if (dc == nullptr || sourceDc == nullptr) {
        return FALSE;
    }
    if (width <= 0 || height <= 0) {
        return TRUE;
    }
    Bitmap& destination = dc->SelectedBitmap();
    const Bitmap& sourceBitmap = sourceDc->SelectedBitmap();
    DWORD pattern = 0;
    if (Rop3UsesPattern(rop3)) {
        BrushPixel(*dc, dc->SelectedBrush(), pattern);
    }
    // Device positions and the source offset in 64 bits. The area is the
    // part of the destination box whose source pixels exist; once it is
    // clipped to the destination as well, it and the offset fit in an int.
    const std::int64_t toX = std::int64_t{x} + dc->viewportOrigin.x;
    const std::int64_t toY = std::int64_t{y} + dc->viewportOrigin.y;
    const std::int64_t deltaX = std::int64_t{sourceX} + sourceDc->viewportOrigin.x - toX;
    const std::int64_t deltaY = std::int64_t{sourceY} + sourceDc->viewportOrigin.y - toY;
    RECT area = DeviceRect(std::max(toX, -deltaX), std::max(toY, -deltaY),
                           std::min(toX + width, sourceBitmap.Width() - deltaX),
                           std::min(toY + height, sourceBitmap.Height() - deltaY));
    POINT delta{static_cast<LONG>(deltaX), static_cast<LONG>(deltaY)};  // exact wherever used
    BlitJob job{&destination, &sourceBitmap, {}, delta,
                SourceRop(rop3, pattern, PixelMaskOf(destination)), false};
    for (const RECT& clip : dc->ClipRects()) {
        job.area = Intersect(area, clip);
        if (!IsEmptyRect(job.area)) {
            RunBlit(job, *dc, *sourceDc, rop3);
        }
    }
    return TRUE;
}
