// The shape workloads through GDI calls, one call per shape as a display
// object would make them.
#include "bench/raster/engine_workloads.h"

#include <cstring>

namespace vareko::bench {
namespace {

struct BitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

BitmapInfo256 DescribeDib(int width, int height, int bitsPerPixel) {
    BitmapInfo256 info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = -height;  // top-down
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.header.biCompression = BI_RGB;
    const int colours = bitsPerPixel == 8 ? 256 : 2;
    info.header.biClrUsed = static_cast<DWORD>(colours);
    for (int i = 0; i < colours; ++i) {
        // 8 bits: the threshold table; 1 bit: index 0 black, 1 white.
        const bool white = bitsPerPixel == 8 ? i >= 129 : i == 1;
        const BYTE level = white ? 255 : 0;
        info.colours[i] = RGBQUAD{level, level, level, 0};
    }
    return info;
}

}  // namespace

DibTarget::DibTarget(int widthIn, int heightIn, int bitsPerPixelIn)
    : width(widthIn), height(heightIn), bitsPerPixel(bitsPerPixelIn),
      strideBytes(((widthIn * bitsPerPixelIn + 31) / 32) * 4) {
    BitmapInfo256 info = DescribeDib(width, height, bitsPerPixel);
    dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap = CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                              &bits, nullptr, 0);
    if (dc == nullptr || bitmap == nullptr || bits == nullptr) {
        return;
    }
    previous = SelectObject(dc, bitmap);
    pixels = static_cast<std::uint8_t*>(bits);
    Fill(0);
}

DibTarget::~DibTarget() {
    if (previous != nullptr) {
        SelectObject(dc, previous);
    }
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
    if (dc != nullptr) {
        DeleteDC(dc);
    }
}

bool DibTarget::Lit(int x, int y) const {
    const std::uint8_t* row = pixels + static_cast<std::ptrdiff_t>(y) * strideBytes;
    if (bitsPerPixel == 8) {
        return row[x] >= 129;
    }
    return ((row[x >> 3] >> (7 - (x & 7))) & 1) != 0;  // leftmost pixel in the top bit
}

void DibTarget::Fill(std::uint8_t index) {
    GdiFlush();
    const int value = bitsPerPixel == 8 ? index : ((index & 1) != 0 ? 0xFF : 0x00);
    std::memset(pixels, value, static_cast<std::size_t>(strideBytes) * static_cast<std::size_t>(height));
}

void DibTarget::Stripes() {
    Fill(0);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = pixels + static_cast<std::ptrdiff_t>(y) * strideBytes;
        for (int x = 0; x < width; x += 3) {
            if (bitsPerPixel == 8) {
                row[x] = 255;
            } else {
                row[x >> 3] = static_cast<std::uint8_t>(row[x >> 3] | (0x80u >> (x & 7)));
            }
        }
    }
}

void FillBoxesWhite(HDC dc) {
    auto* white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    for (const Box& box : FillBoxes()) {
        const RECT rect{box.x, box.y, box.x + box.cx, box.y + box.cy};
        FillRect(dc, &rect, white);
    }
}

void DrawLineSegments(HDC dc) {
    HGDIOBJ previous = SelectObject(dc, GetStockObject(WHITE_PEN));
    for (const Segment& line : LineSegments()) {
        MoveToEx(dc, line.x1, line.y1, nullptr);
        LineTo(dc, line.x2, line.y2);
    }
    SelectObject(dc, previous);
}

void CopyBlock(HDC target, HDC source, const BlitShape& shape) {
    BitBlt(target, shape.x, shape.y, shape.cx, shape.cy, source, shape.sx, shape.sy, SRCCOPY);
}

}  // namespace vareko::bench
