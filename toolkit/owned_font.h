// OwnedFont: the one font a text object draws with, created from a LOGFONT,
// kept and deleted by its holder. Until the first own font it may hold the
// platform's default GUI font, which it never deletes. A request for the
// attributes the held own font already has keeps that font: nothing is
// created, and the caller learns that nothing changed, so it rebuilds
// nothing. Depends on the platform's font calls.
#pragma once

#include "platform/win32.h"

namespace vareko {

class OwnedFont {
public:
    OwnedFont() = default;
    ~OwnedFont();
    OwnedFont(const OwnedFont&) = delete;
    OwnedFont& operator=(const OwnedFont&) = delete;

    // Releases the own font and holds the default GUI font instead;
    // E_OUTOFMEMORY when the platform has none (no font is held then).
    HRESULT HoldDefault();
    // Creates a font with these attributes in place of the held one and
    // returns true, unless the held own font has them already (false). A
    // font that cannot be created leaves no font held, which is a change.
    bool Set(const LOGFONTW& logFont);

    HFONT Get() const { return font; }
    // The held font's attributes, all zero when none is held.
    LOGFONTW Describe() const;
    // The held font's attributes with one of them replaced, for Set.
    LOGFONTW WithFaceName(const wchar_t* faceName) const;
    LOGFONTW WithPointSize(int points) const;
    LOGFONTW WithWeight(int weight) const;

private:
    void Release();

    HFONT font = nullptr;
    bool owned = false;
};

// The attributes of font, all zero when it is null.
LOGFONTW DescribeFont(HFONT font);
// True when both describe the same font: every field, and the face names
// up to their end or LF_FACESIZE code units.
bool SameFont(const LOGFONTW& a, const LOGFONTW& b);
// Copies at most LF_FACESIZE - 1 code units and always terminates, padding
// the rest with zeros, so a long name can never leave the field open.
void CopyFaceName(LOGFONTW& logFont, const wchar_t* faceName);
// The LOGFONT height of a point size at 96 pixels per inch.
LONG PointsToHeight(int points);

}  // namespace vareko
