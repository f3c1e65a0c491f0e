// The house fonts as the platform's GDI gives them for the house face name:
// on Linux through our text layer, on Windows as the private raster fonts
// that InstallHouseFonts adds. Metrics, advances and the pixels of every
// glyph must be the tables' own, so both builds draw the same text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "display/size_class_style.h"
#include "platform/text/house_font.h"
#include "platform/text/install_house_fonts.h"
#include "testing/support/canvas.h"
#include "toolkit/text_object.h"

namespace vareko {
namespace {

using text::HouseFont;
using text::HouseGlyph;

// What a toolkit text object asks for: the default GUI font's attributes
// with the house face name, the em height and the weight.
LOGFONTW HouseLogFont(const HouseFont& font) {
    LOGFONTW logFont{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    logFont.lfHeight = -font.emHeight;
    logFont.lfWidth = 0;
    logFont.lfWeight = font.weight;
    std::fill(std::begin(logFont.lfFaceName), std::end(logFont.lfFaceName), L'\0');
    std::copy(text::kHouseFaceName.begin(), text::kHouseFaceName.end(), logFont.lfFaceName);
    return logFont;
}

class FontOnCanvas {
public:
    FontOnCanvas(const HouseFont& font, int width)
        : canvas_(width, font.height), logFont_(HouseLogFont(font)), font_(CreateFontIndirectW(&logFont_)) {
        previous_ = SelectObject(canvas_.Dc(), font_);
        SetTextColor(canvas_.Dc(), RGB(255, 255, 255));
        SetBkMode(canvas_.Dc(), TRANSPARENT);
    }
    ~FontOnCanvas() {
        SelectObject(canvas_.Dc(), previous_);
        DeleteObject(font_);
    }
    FontOnCanvas(const FontOnCanvas&) = delete;
    FontOnCanvas& operator=(const FontOnCanvas&) = delete;

    test::Canvas& Canvas() { return canvas_; }

private:
    test::Canvas canvas_;
    LOGFONTW logFont_;
    HFONT font_;
    HGDIOBJ previous_ = nullptr;
};

// The fonts the display's size classes draw with.
std::vector<const HouseFont*> SizeClassHouseFonts() {
    std::vector<const HouseFont*> fonts;
    for (const SizeClassStyle& sc : kSizeClassStyles) {
        fonts.push_back(text::FindHouseFont(-PointsToHeight(sc.pointSize), sc.weight));
    }
    return fonts;
}

class InstalledHouseFonts : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(platform::InstallHouseFonts(), S_OK);
        fonts_ = SizeClassHouseFonts();
        for (const HouseFont* font : fonts_) ASSERT_NE(font, nullptr);
    }
    std::vector<const HouseFont*> fonts_;
};

TEST_F(InstalledHouseFonts, ReportTheTablesMetrics) {
    for (const HouseFont* size : fonts_) {
        const HouseFont& font = *size;
        SCOPED_TRACE(font.name);
        FontOnCanvas drawn(font, 8);
        TEXTMETRICW metrics{};
        ASSERT_TRUE(GetTextMetricsW(drawn.Canvas().Dc(), &metrics));
        EXPECT_EQ(metrics.tmHeight, font.height);
        EXPECT_EQ(metrics.tmAscent, font.ascent);
        EXPECT_EQ(metrics.tmDescent, font.descent);
        EXPECT_EQ(metrics.tmInternalLeading, font.internalLeading);
        EXPECT_EQ(metrics.tmExternalLeading, 0);
        EXPECT_EQ(metrics.tmWeight, font.weight);
    }
}

TEST_F(InstalledHouseFonts, DrawEveryGlyphAsItsTableBitmap) {
    constexpr int kCanvasWidth = 32;
    for (const HouseFont* size : fonts_) {
        const HouseFont& font = *size;
        SCOPED_TRACE(font.name);
        FontOnCanvas drawn(font, kCanvasWidth);
        test::Canvas& canvas = drawn.Canvas();
        // Every glyph of the table, and one code unit without a glyph of its own.
        std::vector<WCHAR> codes;
        for (std::size_t i = 0; i < font.glyphCount; ++i) codes.push_back(static_cast<WCHAR>(font.glyphs[i].code));
        codes.push_back(static_cast<WCHAR>(0x7F));
        int wrongGlyphs = 0;
        for (WCHAR code : codes) {
            const HouseGlyph& glyph = text::FindHouseGlyph(font, code);
            ASSERT_LE(glyph.width, kCanvasWidth);
            canvas.Fill(0);
            TextOutW(canvas.Dc(), 0, 0, &code, 1);
            GdiFlush();
            SIZE extent{};
            GetTextExtentPoint32W(canvas.Dc(), &code, 1, &extent);
            bool same = extent.cx == glyph.width && extent.cy == font.height;
            for (int y = 0; y < font.height; ++y) {
                for (int x = 0; x < kCanvasWidth; ++x) {
                    const bool wanted = font.IsLit(glyph, x, y);
                    same = same && canvas.Lit(x, y) == wanted;
                }
            }
            if (!same && ++wrongGlyphs <= 3) {
                std::string art;
                for (const std::string& row : canvas.Art()) art += row + "\n";
                ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(code) << std::dec << ": advance "
                              << extent.cx << " (table " << glyph.width << "), drawn:\n" << art;
            }
        }
        EXPECT_EQ(wrongGlyphs, 0);
    }
}

}  // namespace
}  // namespace vareko
