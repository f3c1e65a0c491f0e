// vareko-text-snapshot OUTPUT_DIR: writes two pictures of the house fonts.
//   text-size-classes.png  a 160 x 43 frame, 4x enlarged, with one static
//                          text in each of the dashboard's size classes,
//                          drawn through the toolkit as the pages draw them;
//   house-fonts.png        every glyph of the six house fonts, 3x enlarged.
// Exits 1 when a file cannot be written.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "display/size_class_style.h"
#include "platform/image/png_file.h"
#include "platform/text/house_font.h"
#include "toolkit/page_base.h"
#include "toolkit/text_object.h"

namespace {

using vareko::TextObject;

using vareko::SizeClass;

struct Sample {
    int y;
    SizeClass sizeClass;
    const wchar_t* text;
};

constexpr Sample kSamples[] = {
    {0, SizeClass::Small, L"Vitesse: 123  Réserve: 4521 ç"},
    {12, SizeClass::Medium, L"Altitude: 10250 É è à ô ü"},
    {25, SizeClass::Large, L"WARNING Éjgy 09"},
};

std::vector<std::uint8_t> SizeClassFrame() {
    vareko::PageBase page;
    page.Initialize();
    std::vector<TextObject> objects(std::size(kSamples));
    for (std::size_t i = 0; i < std::size(kSamples); ++i) {
        const Sample& s = kSamples[i];
        const vareko::SizeClassStyle& style = vareko::StyleOf(s.sizeClass);
        TextObject& object = objects[i];
        object.Initialize();
        object.SetFaceName(vareko::text::kHouseFaceName.data());
        object.SetBackgroundMode(OPAQUE);
        object.SetText(s.text);
        if (style.weight != 0) object.SetWeight(style.weight);
        object.SetSize(vareko::kDisplayWidth, style.lineHeight);
        object.SetPointSize(style.pointSize);
        object.SetOffset(0, style.offsetY);
        object.SetOrigin(0, s.y);
        page.AddObject(&object);
    }
    page.Render();
    const vareko::DeviceBitmap& frame = *page.GetDeviceBitmap();
    std::vector<std::uint8_t> grey(frame.pixels, frame.pixels + vareko::kDevicePixelBytes);
    for (auto& p : grey) p = vareko::IsWhitePixel(p) ? 255 : 0;
    return grey;
}

// All glyphs of every house font, 32 per line, light cells on a dark sheet
// with a grey line between fonts.
std::vector<std::uint8_t> FontSheet(int& width, int& height) {
    constexpr int kPerLine = 32;
    width = 0;
    height = 0;
    for (const auto& font : vareko::text::HouseFonts()) {
        const int lines = static_cast<int>((font.glyphCount + kPerLine - 1) / kPerLine);
        height += lines * font.height + 2;
        for (std::size_t i = 0; i < font.glyphCount; i += kPerLine) {
            int w = 0;
            for (std::size_t j = i; j < std::min(font.glyphCount, i + kPerLine); ++j) w += font.glyphs[j].width + 1;
            width = std::max(width, w);
        }
    }
    std::vector<std::uint8_t> sheet(static_cast<std::size_t>(width) * height, 0);
    int top = 0;
    for (const auto& font : vareko::text::HouseFonts()) {
        for (std::size_t i = 0; i < font.glyphCount; i += kPerLine) {
            int x = 0;
            for (std::size_t j = i; j < std::min(font.glyphCount, i + kPerLine); ++j) {
                const auto& g = font.glyphs[j];
                for (int y = 0; y < font.height; ++y) {
                    for (int col = 0; col < g.width; ++col) {
                        const bool lit = font.IsLit(g, col, y);
                        // The internal-leading rows are shaded to show that no glyph enters them.
                        const std::uint8_t dark = y < font.internalLeading ? 40 : 0;
                        sheet[static_cast<std::size_t>(top + y) * width + x + col] = lit ? 255 : dark;
                    }
                }
                x += g.width + 1;
            }
            top += font.height;
        }
        for (int x = 0; x < width; ++x) sheet[static_cast<std::size_t>(top) * width + x] = 128;
        top += 2;
    }
    return sheet;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    const std::string frame = dir + "/text-size-classes.png";
    using vareko::platform::PngResult;
    using vareko::platform::WriteGreyPng;
    const std::vector<std::uint8_t> picture = SizeClassFrame();
    if (WriteGreyPng(frame.c_str(), picture.data(), vareko::kDisplayWidth, vareko::kDisplayHeight,
                     vareko::kDisplayWidth, 4) != PngResult::kOk) {
        std::fprintf(stderr, "vareko-text-snapshot: cannot write %s\n", frame.c_str());
        return 1;
    }
    int width = 0;
    int height = 0;
    const std::vector<std::uint8_t> sheet = FontSheet(width, height);
    const std::string fonts = dir + "/house-fonts.png";
    if (WriteGreyPng(fonts.c_str(), sheet.data(), width, height, width, 3) != PngResult::kOk) {
        std::fprintf(stderr, "vareko-text-snapshot: cannot write %s\n", fonts.c_str());
        return 1;
    }
    return 0;
}
