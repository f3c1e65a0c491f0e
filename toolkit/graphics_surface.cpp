// GraphicsSurface: creation, release and the drawing helpers.
#include "toolkit/graphics_surface.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "toolkit/dc_state_guard.h"
#include "toolkit/threshold_bitmaps.h"

namespace vareko {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr LONG kPixelsPerMeter = 3200;

// The far edge of a span, saturated to the int range as the raster engine
// saturates the coordinates it is given.
LONG SaturatedEnd(int start, int length) {
    return static_cast<LONG>(std::clamp<std::int64_t>(std::int64_t{start} + length, std::numeric_limits<int>::min(),
                                                      std::numeric_limits<int>::max()));
}

// The DeviceBitmap copy assumes unpadded rows and at most 6,880 bytes.
bool FitsDeviceBitmap(int width, int height) {
    return width > 0 && height > 0 && width % 4 == 0 &&
           static_cast<std::int64_t>(width) * height <= static_cast<std::int64_t>(kDevicePixelBytes);
}

void FillHeader(BITMAPINFO& info, int width, int height) {
    BITMAPINFOHEADER& header = info.bmiHeader;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = -height;  // top-down
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(width * height);
    header.biXPelsPerMeter = kPixelsPerMeter;
    header.biYPelsPerMeter = kPixelsPerMeter;
    header.biClrUsed = 256;
    header.biClrImportant = 256;
    FillThresholdColours(info.bmiColors);
}

}  // namespace

GraphicsSurface::~GraphicsSurface() { Destroy(); }

HRESULT GraphicsSurface::Create(int newWidth, int newHeight) {
    Destroy();
    if (!FitsDeviceBitmap(newWidth, newHeight)) {
        return E_FAIL;
    }
    width = newWidth;
    height = newHeight;
    memoryDC = CreateCompatibleDC(nullptr);
    if (memoryDC == nullptr) {
        Destroy();
        return E_FAIL;
    }
    bitmapInfo.reset(new (std::nothrow) std::uint8_t[kBitmapInfoBytes]());
    if (bitmapInfo == nullptr) {
        Destroy();
        return E_OUTOFMEMORY;
    }
    FillHeader(*GetBitmapInfo(), width, height);
    void* bits = nullptr;
    dibSection = CreateDIBSection(memoryDC, GetBitmapInfo(), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dibSection == nullptr) {
        Destroy();
        return E_FAIL;
    }
    pixels = static_cast<std::uint8_t*>(bits);
    // Zeroed, so a frame sent before the first refresh carries no stale bytes.
    deviceBitmap.reset(new (std::nothrow) DeviceBitmap());
    if (deviceBitmap == nullptr) {
        Destroy();
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

void GraphicsSurface::Destroy() {
    deviceBitmap.reset();
    if (dibSection != nullptr) {
        DeleteObject(dibSection);
        dibSection = nullptr;
        pixels = nullptr;
    }
    previousBitmap = nullptr;
    bitmapInfo.reset();
    if (memoryDC != nullptr) {
        DeleteDC(memoryDC);
        memoryDC = nullptr;
    }
    width = 0;
    height = 0;
}

void GraphicsSurface::BeginDraw() {
    if (previousBitmap != nullptr) {
        return;
    }
    previousBitmap = SelectObject(memoryDC, dibSection);
    SetTextColor(memoryDC, kWhite);
    SetBkColor(memoryDC, kBlack);
}

void GraphicsSurface::Clear() {
    RECT all{0, 0, width, height};
    FillRect(memoryDC, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

void GraphicsSurface::PlotPixel(int x, int y, bool on) {
    SetPixel(memoryDC, x, y, on ? kWhite : kBlack);
}

void GraphicsSurface::DrawLine(int x1, int y1, int x2, int y2) {
    DcStateGuard state(memoryDC);
    state.Select(GetStockObject(WHITE_PEN));
    MoveToEx(memoryDC, x1, y1, nullptr);
    LineTo(memoryDC, x2, y2);
}

// FillRect takes its brush as an argument, so nothing is selected.
void GraphicsSurface::FillRectangle(int x, int y, int cx, int cy) {
    RECT rect{x, y, SaturatedEnd(x, cx), SaturatedEnd(y, cy)};
    FillRect(memoryDC, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

void GraphicsSurface::DrawString(int x, int y, const WCHAR* text) {
    DcStateGuard state(memoryDC);
    state.SetMapMode(MM_TEXT);
    state.SetBackgroundMode(TRANSPARENT);
    int length = 0;
    while (text != nullptr && text[length] != 0) {
        ++length;
    }
    TextOutW(memoryDC, x, y, text, length);
}

void GraphicsSurface::EndDraw() {
    if (previousBitmap == nullptr) {
        return;
    }
    GdiFlush();
    SelectObject(memoryDC, previousBitmap);
    previousBitmap = nullptr;
}

DeviceBitmap* GraphicsSurface::GetDeviceBitmap() {
    if (deviceBitmap == nullptr) {
        return nullptr;
    }
    deviceBitmap->format = kDeviceBitmapFormat;
    std::memcpy(deviceBitmap->pixels, pixels, static_cast<std::size_t>(width) * height);
    return deviceBitmap.get();
}

}  // namespace vareko
