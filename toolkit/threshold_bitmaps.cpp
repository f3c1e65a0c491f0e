// The threshold table and the bitmaps from ASCII art.
#include "toolkit/threshold_bitmaps.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vareko {
namespace {

int ArtWidth(std::span<const std::string> rows) {
    std::size_t width = 0;
    for (const std::string& row : rows) width = std::max(width, row.size());
    return static_cast<int>(width);
}

bool IsLitAt(std::span<const std::string> rows, int x, int y) {
    const std::string& row = rows[static_cast<std::size_t>(y)];
    return static_cast<std::size_t>(x) < row.size() && row[static_cast<std::size_t>(x)] == '#';
}

}  // namespace

void FillThresholdColours(RGBQUAD* colours) {
    for (int i = 0; i < kThresholdColourCount; ++i) {
        const BYTE level = i <= kLastBlackIndex ? 0 : 255;
        colours[i] = RGBQUAD{level, level, level, 0};
    }
}

ThresholdBitmapInfo MakeThresholdBitmapInfo(int width, int height) {
    ThresholdBitmapInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = -height;  // top-down
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = kThresholdColourCount;
    FillThresholdColours(info.colours);
    return info;
}

HBITMAP ThresholdBitmapFromArt(std::span<const std::string> rows, BYTE litIndex) {
    const int width = ArtWidth(rows);
    const int height = static_cast<int>(rows.size());
    if (width == 0) return nullptr;
    const ThresholdBitmapInfo info = MakeThresholdBitmapInfo(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                      &bits, nullptr, 0);
    if (bitmap == nullptr) return nullptr;
    const int stride = (width + 3) / 4 * 4;  // DIB rows are padded to four bytes
    auto* pixels = static_cast<std::uint8_t*>(bits);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels[y * stride + x] = IsLitAt(rows, x, y) ? litIndex : 0;
    }
    return bitmap;
}

HBITMAP MonoBitmapFromArt(std::span<const std::string> rows, bool setWhereLit) {
    const int width = ArtWidth(rows);
    const int height = static_cast<int>(rows.size());
    if (width == 0) return nullptr;
    const int stride = (width + 15) / 16 * 2;  // device-dependent rows are padded to words
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (IsLitAt(rows, x, y) != setWhereLit) continue;
            // Leftmost pixel in the most significant bit.
            const int at = y * stride + x / 8;
            bits[static_cast<std::size_t>(at)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    return CreateBitmap(width, height, 1, 1, bits.data());
}

}  // namespace vareko
