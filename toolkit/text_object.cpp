// TextObject: font handling, lazy measuring and drawing of a static text.
#include "toolkit/text_object.h"

#include "toolkit/dc_state_guard.h"
#include "toolkit/graphics_surface.h"

namespace vareko {

TextObject::TextObject() = default;

TextObject::~TextObject() = default;

HRESULT TextObject::Initialize() {
    if (FAILED(font.HoldDefault())) return E_OUTOFMEMORY;
    SetPointSize(8);
    return S_OK;
}

void TextObject::SetFont(const LOGFONTW& logFont) {
    if (font.Set(logFont)) extentsDirty = TRUE;
}

void TextObject::SetFaceName(const wchar_t* faceName) {
    if (faceName == nullptr) return;
    SetFont(font.WithFaceName(faceName));
}

void TextObject::SetPointSize(int points) { SetFont(font.WithPointSize(points)); }

void TextObject::SetWeight(int weight) { SetFont(font.WithWeight(weight)); }

HFONT TextObject::GetFont() const { return font.Get(); }

void TextObject::SetText(const wchar_t* newText) {
    if (newText == nullptr || text == newText) return;
    text = newText;
    textLength = static_cast<int>(text.size());
    drawParams.iLeftMargin = 0;
    drawParams.iRightMargin = 0;
    extentsDirty = TRUE;
}

const wchar_t* TextObject::GetText() const { return text.c_str(); }

void TextObject::SetWordWrap(BOOL on) {
    const UINT wrapped = on ? (format | DT_WORDBREAK) : (format & ~DT_WORDBREAK);
    if (wrapped == format) return;
    format = wrapped;
    extentsDirty = TRUE;
}

const SIZE* TextObject::GetWrappedExtent() const { return &wrappedExtent; }
const SIZE* TextObject::GetTextExtent() const { return &textExtent; }

void TextObject::SetLeftMargin(int pixels) { drawParams.iLeftMargin = pixels; }
int TextObject::GetLeftMargin() const { return drawParams.iLeftMargin; }
void TextObject::SetRightMargin(int pixels) { drawParams.iRightMargin = pixels; }
int TextObject::GetRightMargin() const { return drawParams.iRightMargin; }

void TextObject::SetAlignment(UINT flags) {
    format = (format & ~alignment) | flags;
    alignment = flags;
}

void TextObject::MeasureExtents(HDC dc) {
    // Both passes start from the box, so wrapping happens at the box width.
    RECT rect{0, 0, GetWidth(), GetHeight()};
    DrawTextExW(dc, text.data(), textLength, &rect, format | DT_WORDBREAK | DT_CALCRECT, &drawParams);
    wrappedExtent = SIZE{rect.right, rect.bottom};
    rect = RECT{0, 0, GetWidth(), GetHeight()};
    DrawTextExW(dc, text.data(), textLength, &rect, format | DT_CALCRECT, &drawParams);
    textExtent = SIZE{rect.right, rect.bottom};
    extentsDirty = FALSE;
}

TextRunLook TextObject::RunLook() const {
    return TextRunLook{font.Get(), std::wstring_view(text), format, drawParams, textColor,
                       GetBackgroundMode(), size, extent,  IsVisible(), inverted};
}

void TextObject::Draw(GraphicsSurface& surface) {
    // Measuring has effects beyond the pixels, so a draw that measures is
    // never replayed.
    const bool measures = extentsDirty && textLength > 0;
    if (!measures && runCache.Replay(surface, RunLook(), drawParams)) return;
    const TextRunCache::Recording recording(runCache, surface, RunLook(), drawParams);
    HDC dc = surface.GetMemoryDC();
    if (GetBackgroundMode() == OPAQUE) {
        const auto black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        const RECT box{0, 0, size.cx, size.cy};
        FillRect(dc, &box, black);
        // The content usually is the box (SetSize sets both); only a larger
        // extent reaches pixels the box fill left.
        if (extent.cx > size.cx || extent.cy > size.cy) {
            const RECT content{0, 0, extent.cx, extent.cy};
            FillRect(dc, &content, black);
        }
    }
    if (textLength == 0) return;

    DcStateGuard state(dc);
    state.SetMapMode(MM_TEXT);
    state.SetBackgroundMode(GetBackgroundMode());
    // Without a font of its own the text takes the one the DC holds.
    if (font.Get() != nullptr) state.Select(font.Get());
    state.SetTextColour(textColor);

    if (extentsDirty) MeasureExtents(dc);
    if (IsVisible()) {
        RECT rect{0, 0, extent.cx, extent.cy};
        DrawTextExW(dc, text.data(), textLength, &rect, format, &drawParams);
        if (inverted) InvertRect(dc, &rect);
    }
}

}  // namespace vareko
