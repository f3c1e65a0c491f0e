// FontFace over the generated house-font tables: every glyph is a full cell
// at the pen, so images need no bearings.
#include "platform/text/font_face.h"

namespace vareko::text {
namespace {

class HouseFace final : public FontFace {
public:
    explicit HouseFace(const HouseFont& font)
        : font_(font),
          metrics_{font.height,          font.ascent,       font.descent, font.internalLeading,
                   font.averageWidth,    font.maximumWidth, font.weight} {}

    const FaceMetrics& Metrics() const override { return metrics_; }

    GlyphImage Glyph(WCHAR code) const override {
        const HouseGlyph& g = FindHouseGlyph(font_, code);
        return GlyphImage{font_.bits + g.bitsOffset,
                          g.width,
                          static_cast<int>(font_.height),
                          HouseFont::StrideBytes(g.width),
                          0,
                          0,
                          g.width};
    }

private:
    const HouseFont& font_;
    FaceMetrics metrics_;
};

}  // namespace

LONG FontFace::RunWidth(std::wstring_view run) const {
    LONG width = 0;
    for (WCHAR c : run) width += Glyph(c).advance;
    return width;
}

std::shared_ptr<const FontFace> MakeHouseFace(const HouseFont& font) {
    return std::make_shared<HouseFace>(font);
}

}  // namespace vareko::text
