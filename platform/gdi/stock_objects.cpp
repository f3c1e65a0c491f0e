// The stock pens, brushes and the default bitmap, in a table by index.
#include "platform/gdi/stock_objects.h"

#include <array>
#include <memory>

#include "platform/gdi/drawing_objects.h"
#include "platform/gdi/stock_font.h"

namespace vareko::gdi {

namespace {

enum class StockKind { None, Brush, Pen, Font };

struct StockEntry {
    StockKind kind;
    int style;  // BS_* or PS_*
    COLORREF colour;
};

constexpr std::array<StockEntry, 20> kStockTable = {{
    {StockKind::Brush, BS_SOLID, RGB(255, 255, 255)},  // WHITE_BRUSH
    {StockKind::Brush, BS_SOLID, RGB(192, 192, 192)},  // LTGRAY_BRUSH
    {StockKind::Brush, BS_SOLID, RGB(128, 128, 128)},  // GRAY_BRUSH
    {StockKind::Brush, BS_SOLID, RGB(64, 64, 64)},     // DKGRAY_BRUSH
    {StockKind::Brush, BS_SOLID, RGB(0, 0, 0)},        // BLACK_BRUSH
    {StockKind::Brush, BS_NULL, RGB(0, 0, 0)},         // NULL_BRUSH
    {StockKind::Pen, PS_SOLID, RGB(255, 255, 255)},    // WHITE_PEN
    {StockKind::Pen, PS_SOLID, RGB(0, 0, 0)},          // BLACK_PEN
    {StockKind::Pen, PS_NULL, RGB(0, 0, 0)},           // NULL_PEN
    {StockKind::None, 0, 0},                           // 9: unused
    {StockKind::Font, 0, 0},                           // OEM_FIXED_FONT
    {StockKind::Font, 0, 0},                           // ANSI_FIXED_FONT
    {StockKind::Font, 0, 0},                           // ANSI_VAR_FONT
    {StockKind::Font, 0, 0},                           // SYSTEM_FONT
    {StockKind::Font, 0, 0},                           // DEVICE_DEFAULT_FONT
    {StockKind::None, 0, 0},                           // DEFAULT_PALETTE: no palettes
    {StockKind::Font, 0, 0},                           // SYSTEM_FIXED_FONT
    {StockKind::Font, 0, 0},                           // DEFAULT_GUI_FONT
    {StockKind::None, 0, 0},                           // DC_BRUSH: not supported
    {StockKind::None, 0, 0},                           // DC_PEN: not supported
}};

HGDIOBJ MakeStock(int index, const StockEntry& entry) {
    switch (entry.kind) {
        case StockKind::Brush:
            return RegisterStockObject(
                std::make_unique<Brush>(static_cast<UINT>(entry.style), entry.colour));
        case StockKind::Pen:
            return RegisterStockObject(std::make_unique<Pen>(entry.style, 1, entry.colour));
        case StockKind::Font:
            // Fonts belong to the text layer (stock_font.h).
            return StockFont(index);
        case StockKind::None:
            break;
    }
    return nullptr;
}

}  // namespace

Bitmap& DefaultBitmap() {
    static Bitmap* bitmap = [] {
        std::unique_ptr<Bitmap> made = Bitmap::Create(BitmapLayout{1, 1, 1, true, false}, nullptr, 0);
        Bitmap* raw = made.get();
        RegisterStockObject(std::move(made));
        return raw;
    }();
    return *bitmap;
}

}  // namespace vareko::gdi

HGDIOBJ GetStockObject(int index) {
    using vareko::gdi::kStockTable;
    if (index < 0 || static_cast<std::size_t>(index) >= kStockTable.size()) {
        return nullptr;
    }
    static std::array<HGDIOBJ, kStockTable.size()> made{};
    HGDIOBJ& handle = made[static_cast<std::size_t>(index)];
    if (handle == nullptr) {
        handle = vareko::gdi::MakeStock(index, kStockTable[static_cast<std::size_t>(index)]);
    }
    return handle;
}
