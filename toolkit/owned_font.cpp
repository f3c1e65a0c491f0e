// OwnedFont: the unchanged check, creation and release of the held font.
#include "toolkit/owned_font.h"

#include <cwchar>

namespace vareko {

LOGFONTW DescribeFont(HFONT font) {
    LOGFONTW logFont{};
    if (font != nullptr) GetObjectW(font, sizeof(logFont), &logFont);
    return logFont;
}

bool SameFont(const LOGFONTW& a, const LOGFONTW& b) {
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfOutPrecision == b.lfOutPrecision && a.lfClipPrecision == b.lfClipPrecision &&
           a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           std::wcsncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

void CopyFaceName(LOGFONTW& logFont, const wchar_t* faceName) {
    int i = 0;
    for (; i < LF_FACESIZE - 1 && faceName[i] != L'\0'; ++i) logFont.lfFaceName[i] = faceName[i];
    for (; i < LF_FACESIZE; ++i) logFont.lfFaceName[i] = L'\0';
}

LONG PointsToHeight(int points) { return -MulDiv(points, 96, 72); }

OwnedFont::~OwnedFont() { Release(); }

void OwnedFont::Release() {
    if (owned) DeleteObject(font);
    font = nullptr;
    owned = false;
}

HRESULT OwnedFont::HoldDefault() {
    Release();
    font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return font != nullptr ? S_OK : E_OUTOFMEMORY;
}

bool OwnedFont::Set(const LOGFONTW& logFont) {
    if (owned && SameFont(Describe(), logFont)) return false;
    Release();
    font = CreateFontIndirectW(&logFont);
    owned = font != nullptr;
    return true;
}

LOGFONTW OwnedFont::Describe() const { return DescribeFont(font); }

LOGFONTW OwnedFont::WithFaceName(const wchar_t* faceName) const {
    LOGFONTW logFont = Describe();
    CopyFaceName(logFont, faceName);
    return logFont;
}

LOGFONTW OwnedFont::WithPointSize(int points) const {
    LOGFONTW logFont = Describe();
    logFont.lfHeight = PointsToHeight(points);
    return logFont;
}

LOGFONTW OwnedFont::WithWeight(int weight) const {
    LOGFONTW logFont = Describe();
    logFont.lfWeight = weight;
    return logFont;
}

}  // namespace vareko
