// TextObject: fonts it owns, lazy measuring, alignment bits, margins, and
// what its Draw paints (opaque fills, visibility, inversion, whole glyphs in
// the dashboard's size classes).
#include <gtest/gtest.h>

#include <string>

#include "display/size_class_style.h"
#include "platform/text/house_font.h"
#include "tests/toolkit/text_test_frames.h"
#include "toolkit/text_object.h"

namespace vareko {
namespace {

using test::TextPage;

// Exposes the protected state that the behaviour is about.
class ProbeText : public TextObject {
public:
    using TextObject::extentsDirty;
    using TextObject::format;
};

LOGFONTW FontOf(const TextObject& object) { return DescribeFont(object.GetFont()); }

// Configured as the manager page's static text of a size class.
void Configure(TextObject& object, const SizeClassStyle& sc, int width, const wchar_t* text) {
    object.Initialize();
    object.SetFaceName(text::kHouseFaceName.data());
    object.SetBackgroundMode(OPAQUE);
    object.SetText(text);
    if (sc.weight != 0) object.SetWeight(sc.weight);
    object.SetSize(width, sc.lineHeight);
    object.SetPointSize(sc.pointSize);
    object.SetOffset(0, sc.offsetY);
}

TEST(TextObject, PointSizesBecomePixelHeightsAt96Dpi) {
    const struct {
        int points;
        LONG height;
    } cases[] = {{7, -9}, {8, -11}, {12, -16}, {0, 0}, {10, -13}};
    for (const auto& c : cases) EXPECT_EQ(PointsToHeight(c.points), c.height) << c.points;
}

TEST(TextObject, InitializeTakesAnOwnFontAtEightPoints) {
    TextObject object;
    EXPECT_EQ(object.Initialize(), S_OK);
    ASSERT_NE(object.GetFont(), nullptr);
    EXPECT_NE(static_cast<HGDIOBJ>(object.GetFont()), GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(FontOf(object).lfHeight, -11);
    EXPECT_EQ(std::wstring(FontOf(object).lfFaceName), text::kHouseFaceName);
}

TEST(TextObject, FontSettersKeepTheOtherAttributes) {
    TextObject object;
    object.Initialize();
    object.SetFaceName(L"DejaVu Sans");
    object.SetWeight(FW_BOLD);
    object.SetPointSize(12);
    const LOGFONTW lf = FontOf(object);
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"DejaVu Sans");
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfHeight, -16);
    object.SetFaceName(nullptr);
    EXPECT_EQ(std::wstring(FontOf(object).lfFaceName), L"DejaVu Sans");
}

TEST(TextObject, LongFaceNamesAreCutAndStayTerminated) {
    const struct {
        std::wstring name;
        std::wstring stored;
    } cases[] = {
        {std::wstring(31, L'a'), std::wstring(31, L'a')},
        {std::wstring(32, L'b'), std::wstring(31, L'b')},
        {std::wstring(40, L'c'), std::wstring(31, L'c')},
        {L"Short", L"Short"},
    };
    for (const auto& c : cases) {
        LOGFONTW lf{};
        std::fill(std::begin(lf.lfFaceName), std::end(lf.lfFaceName), L'x');
        CopyFaceName(lf, c.name.c_str());
        EXPECT_EQ(lf.lfFaceName[LF_FACESIZE - 1], L'\0');
        EXPECT_EQ(std::wstring(lf.lfFaceName), c.stored);
        for (int i = static_cast<int>(c.stored.size()); i < LF_FACESIZE; ++i) EXPECT_EQ(lf.lfFaceName[i], L'\0');
    }
    TextObject object;
    object.Initialize();
    object.SetFaceName(std::wstring(40, L'z').c_str());
    EXPECT_EQ(std::wstring(FontOf(object).lfFaceName), std::wstring(31, L'z'));
}

TEST(TextObject, AnyInstalledFaceAndSizeDraws) {
    const struct {
        const wchar_t* face;
        int points;
    } cases[] = {{L"DejaVu Sans", 8}, {text::kHouseFaceName.data(), 10}, {L"Liberation Sans", 12}};
    for (const auto& c : cases) {
        TextPage page;
        TextObject object;
        object.Initialize();
        object.SetFaceName(c.face);
        object.SetPointSize(c.points);
        object.SetText(L"Cap: 270");
        object.SetSize(160, 30);
        page.AddObject(&object);
        EXPECT_GT(test::WhiteCount(page.Frame()), 20) << c.points;
        EXPECT_GE(object.GetTextExtent()->cy, -PointsToHeight(c.points)) << c.points;
    }
}

TEST(TextObject, AlignmentReplacesOnlyItsOwnBits) {
    ProbeText object;
    object.SetWordWrap(TRUE);
    object.SetAlignment(DT_CENTER);
    EXPECT_EQ(object.format, DT_NOPREFIX | DT_WORDBREAK | DT_CENTER);
    object.SetAlignment(DT_RIGHT);
    EXPECT_EQ(object.format, DT_NOPREFIX | DT_WORDBREAK | DT_RIGHT);
    object.SetAlignment(0);
    EXPECT_EQ(object.format, DT_NOPREFIX | DT_WORDBREAK);
    object.SetWordWrap(FALSE);
    EXPECT_EQ(object.format, DT_NOPREFIX);
}

TEST(TextObject, NewTextResetsTheMarginsTheSameTextKeepsThem) {
    TextObject object;
    object.SetText(L"abc");
    object.SetLeftMargin(4);
    object.SetRightMargin(5);
    object.SetText(L"abc");
    EXPECT_EQ(object.GetLeftMargin(), 4);
    EXPECT_EQ(object.GetRightMargin(), 5);
    object.SetText(nullptr);
    EXPECT_STREQ(object.GetText(), L"abc");
    object.SetText(L"abcd");
    EXPECT_EQ(object.GetLeftMargin(), 0);
    EXPECT_EQ(object.GetRightMargin(), 0);
}

TEST(TextObject, MeasuresOnlyAfterAChange) {
    TextPage page;
    ProbeText object;
    Configure(object, StyleOf(SizeClass::Medium), 60, L"Altitude: 12345");
    page.AddObject(&object);
    page.Frame();
    const SIZE single = *object.GetTextExtent();
    const SIZE wrapped = *object.GetWrappedExtent();
    EXPECT_FALSE(object.extentsDirty);
    EXPECT_GT(single.cx, 60);  // one line, wider than the box
    EXPECT_EQ(single.cy, 13);
    EXPECT_LE(wrapped.cx, 60);  // wrapped at the box width
    EXPECT_EQ(wrapped.cy, 26);

    // Unchanged frames do not measure again: a new box width would give
    // other extents if they were measured.
    object.SetSize(200, 13);
    object.SetText(L"Altitude: 12345");
    object.SetLeftMargin(3);
    object.SetAlignment(DT_RIGHT);
    page.Frame();
    EXPECT_EQ(object.GetWrappedExtent()->cy, 26);
    EXPECT_EQ(object.GetTextExtent()->cx, single.cx);

    // Each of these changes measures once more, at the new width.
    const struct {
        const char* change;
        void (*apply)(ProbeText&);
    } changes[] = {
        {"text", [](ProbeText& o) { o.SetText(L"Altitude: 12346"); }},
        {"word wrap", [](ProbeText& o) { o.SetWordWrap(TRUE); }},
        {"font", [](ProbeText& o) {
             LOGFONTW other = FontOf(o);
             other.lfQuality = other.lfQuality == 0 ? 1 : 0;  // same metrics, another font
             o.SetFont(other);
         }},
    };
    for (const auto& c : changes) {
        object.SetSize(60, 13);
        page.Frame();
        object.SetSize(200, 13);
        c.apply(object);
        EXPECT_TRUE(object.extentsDirty) << c.change;
        page.Frame();
        EXPECT_EQ(object.GetWrappedExtent()->cy, 13) << c.change;
    }
}

TEST(TextObject, SettersGivenTheCurrentValueKeepTheFontAndTheMeasures) {
    TextPage page;
    ProbeText object;
    Configure(object, StyleOf(SizeClass::Large), 60, L"Cap 270");
    page.AddObject(&object);
    page.Frame();
    ASSERT_FALSE(object.extentsDirty);
    const struct {
        const char* setter;
        void (*apply)(ProbeText&);
    } unchanged[] = {
        {"text", [](ProbeText& o) { o.SetText(L"Cap 270"); }},
        {"word wrap", [](ProbeText& o) { o.SetWordWrap(FALSE); }},
        {"point size", [](ProbeText& o) { o.SetPointSize(StyleOf(SizeClass::Large).pointSize); }},
        {"weight", [](ProbeText& o) { o.SetWeight(FW_BOLD); }},
        {"face name", [](ProbeText& o) { o.SetFaceName(text::kHouseFaceName.data()); }},
        {"font", [](ProbeText& o) { o.SetFont(FontOf(o)); }},
        {"null face name", [](ProbeText& o) { o.SetFaceName(nullptr); }},
    };
    const HFONT font = object.GetFont();
    for (const auto& c : unchanged) {
        c.apply(object);
        EXPECT_EQ(object.GetFont(), font) << c.setter;
        EXPECT_FALSE(object.extentsDirty) << c.setter;
    }
    object.SetWeight(FW_NORMAL);
    EXPECT_NE(object.GetFont(), font);
    EXPECT_TRUE(object.extentsDirty);
}

TEST(TextObject, EmptyTextOnlyFillsAndKeepsTheExtents) {
    TextPage page;
    ProbeText object;
    Configure(object, StyleOf(SizeClass::Small), 50, L"abc");
    page.AddObject(&object);
    page.Frame();
    const SIZE measured = *object.GetTextExtent();
    object.SetText(L"");
    EXPECT_EQ(test::WhiteCount(page.Frame()), 0);
    EXPECT_TRUE(object.extentsDirty);
    EXPECT_EQ(object.GetTextExtent()->cx, measured.cx);
}

TEST(TextObject, OpaqueBackgroundBlanksTheBox) {
    TextPage page;
    TextObject under, over;
    Configure(under, StyleOf(SizeClass::Small), 80, L"WWWWWWWWWWWW");
    Configure(over, StyleOf(SizeClass::Small), 80, L" ");
    page.AddObject(&under);
    page.AddObject(&over);
    EXPECT_EQ(test::WhiteCount(page.Frame()), 0);
    over.SetBackgroundMode(TRANSPARENT);
    EXPECT_GT(test::WhiteCount(page.Frame()), 0);
}

TEST(TextObject, InvisibleObjectFillsAndMeasuresButDrawsNoText) {
    TextPage page;
    ProbeText object;
    Configure(object, StyleOf(SizeClass::Small), 80, L"abc");
    object.SetVisible(FALSE);
    GraphicsSurface& surface = page.Surface();
    surface.BeginDraw();
    surface.Clear();
    const RECT whole{0, 0, kDisplayWidth, kDisplayHeight};
    FillRect(surface.GetMemoryDC(), &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    object.Draw(surface);
    surface.EndDraw();
    const DeviceBitmap& frame = *page.GetDeviceBitmap();
    EXPECT_EQ(test::WhiteCount(frame, 0, 0, 80, 12), 0);  // blanked, no glyphs
    EXPECT_EQ(test::WhiteCount(frame, 80, 12, 160, 43), 80 * 31);
    EXPECT_FALSE(object.extentsDirty);
    EXPECT_GT(object.GetTextExtent()->cx, 0);
}

TEST(TextObject, InvertedObjectInvertsItsWholeRectangle) {
    TextPage page;
    TextObject object;
    Configure(object, StyleOf(SizeClass::Medium), 40, L"i");
    object.SetOffset(0, 0);
    page.AddObject(&object);
    const int plain = test::WhiteCount(page.Frame());
    object.SetInverted(TRUE);
    EXPECT_EQ(test::WhiteCount(page.Frame()), 40 * 13 - plain);
}

// Every glyph of the house fonts, drawn as the dashboard draws its texts,
// shows whole: each lit pixel of the font appears in the frame.
TEST(TextObject, SizeClassBoxesShowEveryGlyphWhole) {
    for (const SizeClassStyle& sc : kSizeClassStyles) {
        const text::HouseFont* font = text::FindHouseFont(-PointsToHeight(sc.pointSize), sc.weight);
        ASSERT_NE(font, nullptr);
        std::wstring all;
        for (std::size_t i = 0; i < font->glyphCount; ++i) all.push_back(static_cast<wchar_t>(font->glyphs[i].code));
        // Lay the glyphs out in runs that fit the display's width.
        std::size_t start = 0;
        while (start < all.size()) {
            std::wstring run;
            int width = 0;
            int lit = 0;
            while (start < all.size()) {
                const text::HouseGlyph& g = text::FindHouseGlyph(*font, all[start]);
                if (width + g.width > kDisplayWidth) break;
                width += g.width;
                for (int y = 0; y < font->height; ++y)
                    for (int x = 0; x < g.width; ++x)
                        lit += font->IsLit(g, x, y);
                run.push_back(all[start++]);
            }
            TextPage page;
            TextObject object;
            Configure(object, sc, kDisplayWidth, run.c_str());
            object.SetOrigin(0, 5);
            page.AddObject(&object);
            const DeviceBitmap& frame = page.Frame();
            EXPECT_EQ(test::WhiteCount(frame, 0, 5, kDisplayWidth, 5 + sc.lineHeight), lit)
                << "size class " << sc.lineHeight << " run starting U+" << std::hex << static_cast<int>(run[0]);
            EXPECT_EQ(test::WhiteCount(frame), lit);
        }
    }
}

}  // namespace
}  // namespace vareko
