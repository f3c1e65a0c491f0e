// TextObject: font handling, lazy measuring and drawing of a static text.
#include "toolkit/text_object.h"

#include <cwchar>

#include "toolkit/graphics_surface.h"

namespace vareko {

LOGFONTW DescribeFont(HFONT font) {
    LOGFONTW logFont{};
    if (font != nullptr) GetObjectW(font, sizeof(logFont), &logFont);
    return logFont;
}

void CopyFaceName(LOGFONTW& logFont, const wchar_t* faceName) {
    int i = 0;
    for (; i < LF_FACESIZE - 1 && faceName[i] != L'\0'; ++i) logFont.lfFaceName[i] = faceName[i];
    for (; i < LF_FACESIZE; ++i) logFont.lfFaceName[i] = L'\0';
}

LONG PointsToHeight(int points) { return -MulDiv(points, 96, 72); }

TextObject::TextObject() = default;

TextObject::~TextObject() {
    if (font != nullptr) DeleteObject(font);
}

HRESULT TextObject::Initialize() {
    if (font != nullptr) DeleteObject(font);
    font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (font == nullptr) return E_OUTOFMEMORY;
    SetPointSize(8);
    return S_OK;
}

void TextObject::SetFont(const LOGFONTW& logFont) {
    // Deleting the stock font that Initialize took has no effect.
    if (font != nullptr) DeleteObject(font);
    font = CreateFontIndirectW(&logFont);
    extentsDirty = TRUE;
}

void TextObject::SetFaceName(const wchar_t* faceName) {
    if (faceName == nullptr) return;
    LOGFONTW logFont = DescribeFont(font);
    CopyFaceName(logFont, faceName);
    SetFont(logFont);
}

void TextObject::SetPointSize(int points) {
    LOGFONTW logFont = DescribeFont(font);
    logFont.lfHeight = PointsToHeight(points);
    SetFont(logFont);
}

void TextObject::SetWeight(int weight) {
    LOGFONTW logFont = DescribeFont(font);
    logFont.lfWeight = weight;
    SetFont(logFont);
}

HFONT TextObject::GetFont() const { return font; }

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
    format = on ? (format | DT_WORDBREAK) : (format & ~DT_WORDBREAK);
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
    return TextRunLook{font,      std::wstring_view(text), format, drawParams, textColor,
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
        const RECT content{0, 0, extent.cx, extent.cy};
        FillRect(dc, &content, black);
    }
    if (textLength == 0) return;

    const int previousMapMode = SetMapMode(dc, MM_TEXT);
    const int previousBkMode = SetBkMode(dc, GetBackgroundMode());
    const HGDIOBJ previousFont = font != nullptr ? SelectObject(dc, font) : nullptr;
    const COLORREF previousColor = SetTextColor(dc, textColor);

    if (extentsDirty) MeasureExtents(dc);
    if (IsVisible()) {
        RECT rect{0, 0, extent.cx, extent.cy};
        DrawTextExW(dc, text.data(), textLength, &rect, format, &drawParams);
        if (inverted) InvertRect(dc, &rect);
    }

    SetMapMode(dc, previousMapMode);
    SetTextColor(dc, previousColor);
    SetBkMode(dc, previousBkMode);
    if (previousFont != nullptr) SelectObject(dc, previousFont);
}

}  // namespace vareko
