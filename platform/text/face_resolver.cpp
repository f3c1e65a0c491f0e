// Chooses the face behind a LOGFONT: house bitmap font, FreeType face, or
// the nearest house font as the last resort; shares faces between fonts.
#include <cstdlib>
#include <cwctype>
#include <map>
#include <tuple>

#include "platform/text/font_face.h"

namespace vareko::text {
namespace {

std::wstring FaceName(const LOGFONTW& logFont) {
    std::wstring name;
    for (int i = 0; i < LF_FACESIZE && logFont.lfFaceName[i] != 0; ++i) {
        name.push_back(static_cast<wchar_t>(std::towlower(static_cast<wint_t>(logFont.lfFaceName[i]))));
    }
    return name;
}

bool IsHouseName(const std::wstring& lowerName) {
    if (lowerName.empty()) return true;
    std::wstring house;
    for (wchar_t c : kHouseFaceName) house.push_back(static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))));
    return lowerName == house;
}

LONG Weight(const LOGFONTW& logFont) {
    return logFont.lfWeight == FW_DONTCARE ? FW_NORMAL : logFont.lfWeight;
}

const HouseFont* ExactHouseFont(const LOGFONTW& logFont) {
    if (logFont.lfHeight < 0) return FindHouseFont(HeightMagnitude(logFont.lfHeight), Weight(logFont));
    if (logFont.lfHeight > 0) return FindHouseFontByCell(logFont.lfHeight, Weight(logFont));
    return FindHouseFont(kDefaultEmHeight, Weight(logFont));
}

const HouseFont& NearestHouseFont(const LOGFONTW& logFont) {
    const LONG wanted = logFont.lfHeight == 0 ? kDefaultEmHeight : std::labs(logFont.lfHeight);
    const bool bold = Weight(logFont) >= 600;
    const HouseFont* best = &HouseFonts().front();
    for (const HouseFont& font : HouseFonts()) {
        const LONG size = logFont.lfHeight > 0 ? font.height : font.emHeight;
        const LONG bestSize = logFont.lfHeight > 0 ? best->height : best->emHeight;
        const bool weightFits = (font.weight >= 600) == bold;
        const bool bestWeightFits = (best->weight >= 600) == bold;
        if (std::tuple(!weightFits, std::labs(size - wanted)) <
            std::tuple(!bestWeightFits, std::labs(bestSize - wanted))) {
            best = &font;
        }
    }
    return *best;
}

std::shared_ptr<const FontFace> HouseFace(const HouseFont& font) {
    // House faces are few and cheap; one per table, kept for the process.
    static std::map<const HouseFont*, std::shared_ptr<const FontFace>> faces;
    auto& face = faces[&font];
    if (!face) face = MakeHouseFace(font);
    return face;
}

}  // namespace

std::shared_ptr<const FontFace> ResolveFace(const LOGFONTW& logFont) {
    const std::wstring name = FaceName(logFont);
    if (IsHouseName(name)) {
        if (const HouseFont* font = ExactHouseFont(logFont)) return HouseFace(*font);
    }
    // FreeType faces are shared while some font uses them.
    using Key = std::tuple<std::wstring, LONG, LONG, bool>;
    static std::map<Key, std::weak_ptr<const FontFace>> cache;
    const Key key{name, logFont.lfHeight, Weight(logFont), logFont.lfItalic != 0};
    if (auto face = cache[key].lock()) return face;
    if (auto face = OpenFreeTypeFace(logFont)) {
        cache[key] = face;
        return face;
    }
    return HouseFace(NearestHouseFont(logFont));
}

}  // namespace vareko::text
