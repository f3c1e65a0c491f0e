// The dashboard frame: the flight page's rows from the program's own layout
// table, with figures as a cruising aircraft shows them, then the pictures.
#include "bench/raster/dashboard_frame.h"

#include <array>
#include <cstdint>

#include "app/dashboard_pages.h"

namespace vareko::bench {
namespace {

// The figures that the value rows show; labels come from the layout table.
// The low-fuel row stays blank, as it is while the warning is not raised.
constexpr std::array<const WCHAR*, kFlightRowCount> kFigures = {
    nullptr, L"428", L"-3", nullptr, L"1523", nullptr, L"120", nullptr,
    L"2850", L"1200", nullptr, L"NAV:", L"ILS", L"A-10C",
};

constexpr int Width(const RECT& r) { return r.right - r.left; }
constexpr int Height(const RECT& r) { return r.bottom - r.top; }

// A monochrome icon: the AND mask (upper 16 rows) keeps a one-pixel border
// transparent, the XOR picture (lower 16 rows) is a cross with a frame.
HICON MakeIcon() {
    constexpr int kSide = 16;
    std::array<std::uint16_t, 2 * kSide> rows{};
    for (int y = 0; y < kSide; ++y) {
        rows[y] = (y == 0 || y == kSide - 1) ? 0xFFFF : 0x8001;
        const bool frame = y == 1 || y == kSide - 2;
        const bool cross = y == 7 || y == 8;
        rows[kSide + y] = frame || cross ? 0x7FFE : 0x4182;
    }
    // CreateBitmap takes rows of bytes, leftmost pixel in the top bit.
    std::array<std::uint8_t, 4 * kSide> bytes{};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(rows[i] >> 8);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(rows[i] & 0xFF);
    }
    HBITMAP mask = CreateBitmap(kSide, 2 * kSide, 1, 1, bytes.data());
    if (mask == nullptr) {
        return nullptr;
    }
    ICONINFO info{TRUE, 0, 0, mask, nullptr};
    HICON made = CreateIconIndirect(&info);
    DeleteObject(mask);
    return made;
}

// A 32 x 16 monochrome bitmap of diagonal stripes.
HBITMAP MakePicture() {
    constexpr int kRowBytes = Width(DashboardFrame::kBitmapBox) / 8;
    std::array<std::uint8_t, kRowBytes * Height(DashboardFrame::kBitmapBox)> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto y = static_cast<unsigned>(i / kRowBytes);
        bytes[i] = static_cast<std::uint8_t>(0x11u << (y % 4));
    }
    return CreateBitmap(Width(DashboardFrame::kBitmapBox), Height(DashboardFrame::kBitmapBox), 1,
                        1, bytes.data());
}

}  // namespace

DashboardFrame::DashboardFrame() : page(this, 160, 43) {
    ready = page.Initialize() == S_OK && AddTexts() && AddPictures();
}

DashboardFrame::~DashboardFrame() {
    if (icon != nullptr) {
        DestroyIcon(icon);
    }
    if (picture != nullptr) {
        DeleteObject(picture);
    }
}

bool DashboardFrame::AddTexts() {
    for (std::size_t i = 0; i < kFlightPageRows.size(); ++i) {
        const PageObjectRow& row = kFlightPageRows[i];
        const auto kind = row.kind == kStreamingText ? TextKind::Streaming : TextKind::Static;
        ObjectHandle handle = page.CreateTextObject(kind, SizeClass::Small,
                                                    static_cast<UINT>(row.alignment), row.width);
        if (handle == nullptr) {
            return false;
        }
        page.SetObjectOrigin(handle, row.x, row.y);
        const WCHAR* text = row.label != nullptr ? row.label : kFigures[i];
        if (text != nullptr) {
            page.SetObjectText(handle, text);
        }
    }
    return true;
}

bool DashboardFrame::AddPictures() {
    ObjectHandle bar = page.CreateProgressBar(1);  // the page's style 1: a filled bar
    icon = MakeIcon();
    ObjectHandle iconObject = page.CreateIconObject(icon, Width(kIconBox), Height(kIconBox));
    picture = MakePicture();
    ObjectHandle bitmapObject = page.CreateBitmapObject();
    if (bar == nullptr || icon == nullptr || iconObject == nullptr || picture == nullptr ||
        bitmapObject == nullptr) {
        return false;
    }
    page.SetObjectOrigin(bar, kBarBox.left, kBarBox.top);
    page.SetProgressSize(bar, Width(kBarBox), Height(kBarBox));
    page.SetProgressPosition(bar, kBarPosition);
    page.SetObjectOrigin(iconObject, kIconBox.left, kIconBox.top);
    page.SetObjectOrigin(bitmapObject, kBitmapBox.left, kBitmapBox.top);
    page.FindObject(bitmapObject)->SetSize(Width(kBitmapBox), Height(kBitmapBox));
    return page.SetObjectBitmap(bitmapObject, picture) == S_OK;
}

const DeviceBitmap* DashboardFrame::Render() {
    if (page.Render() != S_OK) {
        return nullptr;
    }
    return page.GetDeviceBitmap();
}

}  // namespace vareko::bench
