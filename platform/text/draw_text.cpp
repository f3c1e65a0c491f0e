// Text drawing and measuring entry points. Glyphs reach the bitmap only
// through the graphics layer's mask-painting seam; lines come from the pure
// layout in text_layout.cpp.
#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <string>

#include "platform/gdi/dc_state.h"
#include "platform/text/characters.h"
#include "platform/text/font_object.h"
#include "platform/text/text_api.h"
#include "platform/text/text_layout.h"

namespace {

using vareko::gdi::DeviceContext;
using vareko::text::FontFace;
using vareko::text::GlyphImage;

bool Intersect(const RECT& a, const RECT& b, RECT& out) {
    out = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    return out.left < out.right && out.top < out.bottom;
}

// Paints a glyph image at logical (x, y), cut to `clip` when one is given.
void PaintGlyph(DeviceContext& dc, int x, int y, const GlyphImage& g, COLORREF colour,
                const RECT* clip) {
    if (g.width <= 0 || g.height <= 0) return;
    vareko::gdi::PaintMask(dc, x, y, {g.rows, g.width, g.height, g.strideBytes}, colour, clip);
}

// Nothing is drawn beyond this many logical units from the origin: no bitmap
// reaches that far, and the bound keeps the device arithmetic (logical plus a
// viewport origin of the same range) inside int for any text position.
constexpr std::int64_t kDrawableLimit = std::int64_t{1} << 27;

int ClampDrawable(std::int64_t v) { return static_cast<int>(std::clamp(v, -kDrawableLimit, kDrawableLimit)); }

bool Drawable(std::int64_t v) { return v >= -kDrawableLimit && v <= kDrawableLimit; }

// One line of text with its pen starting at (x, y), the top of the cell.
// The pen moves in 64 bits, so lines that start near the ends of the int
// range are cut rather than overflowing.
void PaintLine(DeviceContext& dc, const FontFace& face, int x, int y, std::wstring_view line,
               const RECT* clip) {
    const LONG height = face.Metrics().height;
    if (dc.bkMode == OPAQUE) {
        const std::int64_t right = std::int64_t{x} + face.RunWidth(line);
        const RECT cell{ClampDrawable(x), ClampDrawable(y), ClampDrawable(right), ClampDrawable(std::int64_t{y} + height)};
        RECT fill = cell;
        if (clip == nullptr || Intersect(cell, *clip, fill)) {
            vareko::gdi::FillLogicalRect(dc, fill, dc.bkColor);
        }
    }
    std::int64_t pen = x;
    for (std::size_t i = 0; i < line.size();) {
        const vareko::text::Character c = vareko::text::CharacterAt(line, i);
        i += c.units;
        const GlyphImage g = face.Glyph(c.code);
        const std::int64_t left = pen + g.left;
        const std::int64_t top = std::int64_t{y} + g.top;
        if (Drawable(left) && Drawable(left + g.width) && Drawable(top) && Drawable(top + g.height)) {
            PaintGlyph(dc, static_cast<int>(left), static_cast<int>(top), g, dc.textColor, clip);
        }
        pen += g.advance;
    }
}

bool TextLength(LPCWSTR text, int count, std::size_t& length) {
    length = 0;
    if (text == nullptr) return count == 0;
    if (count == -1) {
        length = std::wcslen(text);
        return true;
    }
    if (count < 0) return false;
    length = static_cast<std::size_t>(count);
    return true;
}

}  // namespace

HFONT CreateFontIndirectW(const LOGFONTW* logFont) {
    return logFont == nullptr ? nullptr : vareko::text::MakeFont(*logFont);
}

int DrawTextExW(HDC hdc, LPWSTR text, int cchText, LPRECT rect, UINT format, LPDRAWTEXTPARAMS params) {
    DeviceContext* dc = vareko::gdi::LookupDc(hdc);
    std::size_t length = 0;
    if (dc == nullptr || rect == nullptr || !TextLength(text, cchText, length)) return 0;
    if (params != nullptr && params->cbSize != sizeof(DRAWTEXTPARAMS)) return 0;
    const LONG leftMargin = params != nullptr ? params->iLeftMargin : 0;
    const LONG rightMargin = params != nullptr ? params->iRightMargin : 0;

    const std::wstring_view given(text == nullptr ? L"" : text, length);
    // A copy is made only when there are prefixes to resolve.
    std::wstring stripped;
    std::wstring_view shown = given;
    if (!(format & DT_NOPREFIX) && given.find(L'&') != std::wstring_view::npos) {
        stripped = vareko::text::StripPrefixes(given);
        shown = stripped;
    }
    const FontFace& face = vareko::text::SelectedFace(*dc);
    // One layout per thread, reused, so drawing and measuring allocate only
    // when a text has more lines than any before it; nothing below calls
    // DrawTextExW again while it is in use.
    thread_local vareko::text::TextLayout layout;
    vareko::text::LayoutText(shown, *rect, format, leftMargin, rightMargin, face, layout);
    if (params != nullptr) params->uiLengthDrawn = static_cast<UINT>(length);

    if (format & DT_CALCRECT) {
        *rect = layout.bounds;
        return layout.result;
    }
    const RECT* clip = (format & DT_NOCLIP) ? nullptr : rect;
    for (const vareko::text::LaidLine& line : layout.lines) {
        PaintLine(*dc, face, line.x, line.y, shown.substr(line.start, line.length), clip);
    }
    return layout.result;
}

int DrawTextW(HDC hdc, LPCWSTR text, int cchText, LPRECT rect, UINT format) {
    // DrawTextExW never writes to the text; the platform's signature is not const.
    return DrawTextExW(hdc, const_cast<LPWSTR>(text), cchText, rect, format, nullptr);
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count) {
    DeviceContext* dc = vareko::gdi::LookupDc(hdc);
    if (dc == nullptr || count < 0 || (text == nullptr && count > 0)) return FALSE;
    if (count == 0) return TRUE;
    PaintLine(*dc, vareko::text::SelectedFace(*dc), x, y,
              std::wstring_view(text, static_cast<std::size_t>(count)), nullptr);
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, LPSIZE size) {
    DeviceContext* dc = vareko::gdi::LookupDc(hdc);
    if (dc == nullptr || size == nullptr || count < 0 || (text == nullptr && count > 0)) return FALSE;
    const FontFace& face = vareko::text::SelectedFace(*dc);
    // No text has no size at all, not even a line's height.
    size->cx = count == 0 ? 0 : face.RunWidth(std::wstring_view(text, static_cast<std::size_t>(count)));
    size->cy = count == 0 ? 0 : face.Metrics().height;
    return TRUE;
}

BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* metrics) {
    DeviceContext* dc = vareko::gdi::LookupDc(hdc);
    if (dc == nullptr || metrics == nullptr) return FALSE;
    const vareko::text::FaceMetrics& m = vareko::text::SelectedFace(*dc).Metrics();
    *metrics = TEXTMETRICW{};
    metrics->tmHeight = m.height;
    metrics->tmAscent = m.ascent;
    metrics->tmDescent = m.descent;
    metrics->tmInternalLeading = m.internalLeading;
    metrics->tmAveCharWidth = m.averageWidth;
    metrics->tmMaxCharWidth = m.maximumWidth;
    metrics->tmWeight = m.weight;
    metrics->tmDigitizedAspectX = 96;
    metrics->tmDigitizedAspectY = 96;
    metrics->tmFirstChar = L' ';
    metrics->tmLastChar = L'\xFF';
    metrics->tmDefaultChar = L'?';
    metrics->tmBreakChar = L' ';
    // In TEXTMETRIC the low bit set means variable pitch.
    metrics->tmPitchAndFamily = FF_SWISS | 0x01;
    metrics->tmCharSet = DEFAULT_CHARSET;
    return TRUE;
}
