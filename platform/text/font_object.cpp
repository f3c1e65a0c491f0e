// Font objects: creation, description and the stock fonts that the
// graphics layer's GetStockObject asks for.
#include "platform/text/font_object.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/gdi/stock_font.h"
#include "platform/text/text_api.h"

namespace vareko::text {

int FontObject::Describe(int size, void* buffer) const {
    constexpr int full = static_cast<int>(sizeof(LOGFONTW));
    if (buffer == nullptr) return full;
    const int copied = std::clamp(size, 0, full);
    std::memcpy(buffer, &logFont, static_cast<std::size_t>(copied));
    return copied;
}

HFONT MakeFont(const LOGFONTW& logFont) {
    auto face = ResolveFace(logFont);
    if (!face) return nullptr;
    return static_cast<HFONT>(gdi::RegisterObject(std::make_unique<FontObject>(logFont, std::move(face))));
}

LOGFONTW DefaultGuiLogFont() {
    LOGFONTW lf{};
    lf.lfHeight = -kDefaultEmHeight;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    std::copy(kHouseFaceName.begin(), kHouseFaceName.end(), lf.lfFaceName);
    return lf;
}

const FontFace& SelectedFace(const gdi::DeviceContext& dc) {
    const gdi::GdiObject* selected = dc.SelectedFont();
    if (selected != nullptr && selected->Kind() == FontObject::kKind) {
        return *static_cast<const FontObject*>(selected)->face;
    }
    static const std::shared_ptr<const FontFace> fallback = ResolveFace(DefaultGuiLogFont());
    return *fallback;
}

}  // namespace vareko::text

namespace vareko::gdi {

HGDIOBJ StockFont(int index) {
    // Every variable-pitch stock font is the house face at 8 points; the
    // fixed-pitch ones are the installed monospace face at the same size.
    constexpr int kFirst = OEM_FIXED_FONT;
    constexpr int kLast = DEFAULT_GUI_FONT;
    if (index < kFirst || index > kLast || index == DEFAULT_PALETTE) return nullptr;
    static std::array<HGDIOBJ, kLast - kFirst + 1> fonts{};
    HGDIOBJ& slot = fonts[static_cast<std::size_t>(index - kFirst)];
    if (slot == nullptr) {
        LOGFONTW lf = text::DefaultGuiLogFont();
        const bool fixed = index == OEM_FIXED_FONT || index == ANSI_FIXED_FONT || index == SYSTEM_FIXED_FONT;
        if (fixed) {
            constexpr std::wstring_view kMono = L"monospace";
            std::fill(std::begin(lf.lfFaceName), std::end(lf.lfFaceName), L'\0');
            std::copy(kMono.begin(), kMono.end(), lf.lfFaceName);
            lf.lfPitchAndFamily = 1;  // FIXED_PITCH
        }
        auto face = text::ResolveFace(lf);
        if (face) slot = RegisterStockObject(std::make_unique<text::FontObject>(lf, std::move(face)));
    }
    return slot;
}

}  // namespace vareko::gdi
