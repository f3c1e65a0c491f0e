// FontFace over the generated house-font tables: every glyph is a full cell
// at the pen, so images need no bearings. The first 256 characters, all the
// dashboard shows, are looked up in a table made with the face; the rest by
// a search of the font's glyph list.
#include <array>

#include "platform/text/characters.h"
#include "platform/text/font_face.h"

namespace vareko::text {
namespace {

class HouseFace final : public FontFace {
public:
    explicit HouseFace(const HouseFont& font)
        : font_(font),
          metrics_{font.height,          font.ascent,       font.descent, font.internalLeading,
                   font.averageWidth,    font.maximumWidth, font.weight} {
        for (std::size_t code = 0; code < firstPage_.size(); ++code) {
            firstPage_[code] = &FindHouseGlyph(font, static_cast<WCHAR>(code));
        }
    }

    const FaceMetrics& Metrics() const override { return metrics_; }

    GlyphImage Glyph(char32_t code) const override {
        const HouseGlyph& g = Find(code);
        return GlyphImage{font_.bits + g.bitsOffset,
                          g.width,
                          static_cast<int>(font_.height),
                          HouseFont::StrideBytes(g.width),
                          0,
                          0,
                          g.width};
    }

private:
    const HouseGlyph& Find(char32_t code) const {
        if (code < firstPage_.size()) return *firstPage_[code];
        // The fonts hold characters of the basic plane only.
        return code > 0xFFFF ? font_.missing : FindHouseGlyph(font_, static_cast<WCHAR>(code));
    }

    const HouseFont& font_;
    FaceMetrics metrics_;
    std::array<const HouseGlyph*, 256> firstPage_{};
};

}  // namespace

LONG FontFace::RunWidth(std::wstring_view run) const {
    LONG width = 0;
    for (std::size_t i = 0; i < run.size();) {
        const Character c = CharacterAt(run, i);
        width += Glyph(c.code).advance;
        i += c.units;
    }
    return width;
}

std::shared_ptr<const FontFace> MakeHouseFace(const HouseFont& font) {
    return std::make_shared<HouseFace>(font);
}

}  // namespace vareko::text
