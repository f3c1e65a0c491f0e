// FontFace rendered by FreeType from an installed face that fontconfig
// matches: monochrome rendering at the requested pixel height, glyph images
// cached per code unit. The only file that talks to FreeType and fontconfig.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/text/font_face.h"

namespace vareko::text {
namespace {

// The largest em in pixels that faces are rendered at; a glyph image then
// stays within 128 KiB.
constexpr LONG kMaxRenderedEm = 1024;

FT_Library Library() {
    // Process-wide, created on first use and never released: faces may be
    // held by stock fonts until the process ends.
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        return FT_Init_FreeType(&lib) == 0 ? lib : nullptr;
    }();
    return library;
}

// The fontconfig configuration, loaded on first use and released with all
// of fontconfig's caches when the process ends.
class FontconfigSession {
public:
    FontconfigSession() : config_(FcInitLoadConfigAndFonts()) {}
    ~FontconfigSession() {
        if (config_ != nullptr) FcConfigDestroy(config_);
        FcFini();
    }
    FontconfigSession(const FontconfigSession&) = delete;
    FontconfigSession& operator=(const FontconfigSession&) = delete;
    FcConfig* Config() const { return config_; }

private:
    FcConfig* config_;
};

FcConfig* Fontconfig() {
    static FontconfigSession session;
    return session.Config();
}

std::string ToUtf8(const WCHAR* name) {
    std::string out;
    for (int i = 0; i < LF_FACESIZE && name[i] != 0; ++i) {
        const auto c = static_cast<std::uint32_t>(name[i]) & 0xFFFF;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

struct FaceFile {
    std::string path;
    int index = 0;
};

bool MatchFace(const LOGFONTW& logFont, FaceFile& file) {
    FcConfig* config = Fontconfig();
    if (config == nullptr) return false;
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return false;
    const std::string family = ToUtf8(logFont.lfFaceName);
    if (!family.empty()) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    }
    const LONG weight = logFont.lfWeight == FW_DONTCARE ? FW_NORMAL : logFont.lfWeight;
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(static_cast<int>(weight)));
    FcPatternAddInteger(pattern, FC_SLANT, logFont.lfItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) return false;
    FcChar8* path = nullptr;
    int index = 0;
    const bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
    if (found) {
        file.path = reinterpret_cast<const char*>(path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) file.index = index;
    }
    FcPatternDestroy(match);
    return found;
}

class FreeTypeFace final : public FontFace {
public:
    ~FreeTypeFace() override {
        if (face_ != nullptr) FT_Done_Face(face_);
    }

    // Opens the file and sizes it; false leaves the object unusable.
    bool Open(const FaceFile& file, LONG lfHeight, LONG weight) {
        if (Library() == nullptr) return false;
        if (FT_New_Face(Library(), file.path.c_str(), file.index, &face_) != 0) {
            face_ = nullptr;
            return false;
        }
        if (!FT_IS_SCALABLE(face_) || face_->units_per_EM == 0) return false;
        // Windows-style metrics: the cell spans the OS/2 "win" ascent and
        // descent where the face has them.
        double ascentUnits = face_->ascender;
        double descentUnits = -face_->descender;
        if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
            os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
            ascentUnits = os2->usWinAscent;
            descentUnits = os2->usWinDescent;
        }
        const double upem = face_->units_per_EM;
        double wanted = lfHeight < 0 ? HeightMagnitude(lfHeight) : lfHeight == 0 ? kDefaultEmHeight : 0;
        if (wanted == 0) wanted = std::round(lfHeight * upem / (ascentUnits + descentUnits));
        // Glyph images grow with the square of the size: a LOGFONT asking
        // for millions of pixels gets the largest size we render instead.
        const LONG em = static_cast<LONG>(std::clamp(wanted, 1.0, static_cast<double>(kMaxRenderedEm)));
        if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(em)) != 0) return false;
        // Ascent and descent are rounded to the nearest pixel, as the
        // system's font mapper does; a glyph that reaches beyond them is
        // drawn all the same (the cell does not clip).
        metrics_.ascent = static_cast<LONG>(std::lround(ascentUnits * em / upem));
        metrics_.descent = static_cast<LONG>(std::lround(descentUnits * em / upem));
        metrics_.height = metrics_.ascent + metrics_.descent;
        metrics_.internalLeading = std::max<LONG>(0, metrics_.height - em);
        metrics_.weight = weight;
        metrics_.averageWidth = Glyph(L'x').advance;
        metrics_.maximumWidth = static_cast<LONG>(
            std::lround(static_cast<double>(face_->max_advance_width) * em / upem));
        return true;
    }

    const FaceMetrics& Metrics() const override { return metrics_; }

    GlyphImage Glyph(char32_t code) const override {
        auto it = cache_.find(code);
        if (it == cache_.end()) it = cache_.emplace(code, Render(code)).first;
        const Cached& g = it->second;
        return GlyphImage{g.bits.data(), g.width, g.height, g.strideBytes, g.left, g.top, g.advance};
    }

private:
    struct Cached {
        std::vector<BYTE> bits;
        int width = 0;
        int height = 0;
        int strideBytes = 0;
        int left = 0;
        int top = 0;
        int advance = 0;
    };

    Cached Render(char32_t code) const {
        Cached out;
        // A character the face lacks renders as the face's own glyph 0,
        // the missing-glyph box of TrueType faces.
        const FT_UInt index = FT_Get_Char_Index(face_, static_cast<FT_ULong>(code));
        if (FT_Load_Glyph(face_, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0) {
            return out;
        }
        const FT_GlyphSlot slot = face_->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        out.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO || bitmap.width == 0 || bitmap.rows == 0) {
            return out;
        }
        out.width = static_cast<int>(bitmap.width);
        out.height = static_cast<int>(bitmap.rows);
        out.strideBytes = (out.width + 7) / 8;
        out.left = slot->bitmap_left;
        out.top = metrics_.ascent - slot->bitmap_top;
        out.bits.resize(static_cast<std::size_t>(out.strideBytes) * static_cast<std::size_t>(out.height));
        const int pitch = bitmap.pitch;
        for (int y = 0; y < out.height; ++y) {
            const unsigned char* src = pitch >= 0 ? bitmap.buffer + y * pitch
                                                  : bitmap.buffer + (out.height - 1 - y) * -pitch;
            std::copy_n(src, out.strideBytes, out.bits.begin() + y * out.strideBytes);
        }
        return out;
    }

    FT_Face face_ = nullptr;
    FaceMetrics metrics_{};
    mutable std::unordered_map<char32_t, Cached> cache_;
};

}  // namespace

std::shared_ptr<const FontFace> OpenFreeTypeFace(const LOGFONTW& logFont) {
    FaceFile file;
    if (!MatchFace(logFont, file)) return nullptr;
    auto face = std::make_shared<FreeTypeFace>();
    const LONG weight = logFont.lfWeight == FW_DONTCARE ? FW_NORMAL : logFont.lfWeight;
    if (!face->Open(file, logFont.lfHeight, weight)) return nullptr;
    return face;
}

}  // namespace vareko::text
