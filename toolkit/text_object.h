// TextObject: a piece of UTF-16 text in one font, drawn with DrawTextExW
// inside its box. Owns its text and its font; measures the text lazily (only
// after the text, the font or word wrap changed: a setter given the current
// value changes nothing and measures nothing again) and keeps both measured
// sizes for the moving text classes built on it. Depends on DisplayObject,
// GraphicsSurface, OwnedFont and the platform's text interface.
#pragma once

#include <string>

#include "platform/win32.h"
#include "toolkit/display_object.h"
#include "toolkit/owned_font.h"
#include "toolkit/text_run_cache.h"

namespace vareko {

class TextObject : public DisplayObject {
public:
    TextObject();
    ~TextObject() override;

    HRESULT Initialize() override;
    void Draw(GraphicsSurface& surface) override;

    virtual void SetFont(const LOGFONTW& logFont);
    virtual void SetFaceName(const wchar_t* faceName);
    virtual void SetPointSize(int points);
    virtual void SetWeight(int weight);
    virtual HFONT GetFont() const;
    virtual void SetText(const wchar_t* newText);
    virtual const wchar_t* GetText() const;
    virtual void SetWordWrap(BOOL on);
    virtual const SIZE* GetWrappedExtent() const;
    virtual const SIZE* GetTextExtent() const;
    virtual void SetLeftMargin(int pixels);
    virtual int GetLeftMargin() const;
    virtual void SetRightMargin(int pixels);
    virtual int GetRightMargin() const;
    virtual void SetAlignment(UINT flags);

protected:
    // Takes the measures of the text into wrappedExtent and textExtent.
    void MeasureExtents(HDC dc);
    // What a draw depends on, for the cache of drawn pixels.
    TextRunLook RunLook() const;

    std::wstring text;
    OwnedFont font;
    COLORREF textColor = RGB(255, 255, 255);
    int textLength = 0;
    UINT format = DT_NOPREFIX;
    BOOL extentsDirty = TRUE;
    DRAWTEXTPARAMS drawParams{sizeof(DRAWTEXTPARAMS), 0, 0, 0, 0};
    UINT alignment = 0;
    SIZE wrappedExtent{0, 0};
    SIZE textExtent{0, 0};
    TextRunCache runCache;  // the pixels of the last draw, for an unchanged redraw
};

}  // namespace vareko
