// The entry points that create bitmaps: DIB sections and 1-bit
// device-dependent bitmaps.
#include "platform/gdi/bitmap_calls.h"

#include <cstring>
#include <utility>

#include "platform/gdi/bitmap_object.h"

using vareko::gdi::Bitmap;
using vareko::gdi::BitmapLayout;

HBITMAP CreateDIBSection(HDC /*hdc*/, const BITMAPINFO* info, UINT usage, void** bits,
                         HANDLE section, DWORD offset) {
    if (bits != nullptr) {
        *bits = nullptr;
    }
    if (info == nullptr || usage != DIB_RGB_COLORS || section != nullptr || offset != 0) {
        return nullptr;
    }
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 ||
        header.biCompression != BI_RGB || header.biHeight == 0 ||
        header.biHeight == static_cast<LONG>(0x80000000u)) {
        return nullptr;
    }
    BitmapLayout layout;
    layout.width = header.biWidth;
    layout.height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    layout.bitsPerPixel = header.biBitCount;
    layout.topDown = header.biHeight < 0;
    layout.dibSection = true;
    int colourCount = 0;
    if (header.biBitCount <= 8) {
        colourCount = header.biClrUsed != 0 && header.biClrUsed < (1u << header.biBitCount)
                          ? static_cast<int>(header.biClrUsed)
                          : 1 << header.biBitCount;
    }
    // The colour table follows the header, whose size biSize gives.
    const auto* colours = reinterpret_cast<const RGBQUAD*>(
        reinterpret_cast<const std::uint8_t*>(info) + header.biSize);
    std::unique_ptr<Bitmap> bitmap = Bitmap::Create(layout, colours, colourCount);
    if (bitmap == nullptr) {
        return nullptr;
    }
    void* memory = bitmap->Memory();
    HGDIOBJ handle = vareko::gdi::RegisterObject(std::move(bitmap));
    if (handle != nullptr && bits != nullptr) {
        *bits = memory;
    }
    return static_cast<HBITMAP>(handle);
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    if (planes != 1 || bitsPerPixel != 1) {
        return nullptr;
    }
    BitmapLayout layout{width, height, 1, true, false};
    std::unique_ptr<Bitmap> bitmap = Bitmap::Create(layout, nullptr, 0);
    if (bitmap == nullptr) {
        return nullptr;
    }
    if (bits != nullptr) {
        // Caller rows are padded to 2 bytes, ours to 4.
        int sourceStride = ((width + 15) / 16) * 2;
        const auto* source = static_cast<const std::uint8_t*>(bits);
        for (int y = 0; y < height; ++y) {
            std::memcpy(bitmap->Row(y), source + static_cast<std::ptrdiff_t>(y) * sourceStride,
                        static_cast<std::size_t>(sourceStride));
        }
    }
    return static_cast<HBITMAP>(vareko::gdi::RegisterObject(std::move(bitmap)));
}
