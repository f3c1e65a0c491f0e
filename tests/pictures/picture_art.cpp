// Test helpers for pictures.
#include "tests/pictures/picture_art.h"

#include <cstring>

namespace vareko::test {

HBITMAP MonoBitmapFromArt(const std::vector<std::string>& rows) {
    int height = static_cast<int>(rows.size());
    int width = height > 0 ? static_cast<int>(rows[0].size()) : 0;
    int stride = ((width + 15) / 16) * 2;
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride * height), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '#') {
                bits[static_cast<std::size_t>(y * stride + x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return CreateBitmap(width, height, 1, 1, bits.data());
}

HBITMAP ThresholdBitmapFromArt(const std::vector<std::string>& rows) {
    int height = static_cast<int>(rows.size());
    int width = height > 0 ? static_cast<int>(rows[0].size()) : 0;
    BitmapInfo256 info = MakeBitmapInfo(width, height, 8, true);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) {
        return nullptr;
    }
    int stride = ((width + 3) / 4) * 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            static_cast<std::uint8_t*>(bits)[y * stride + x] =
                rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '#' ? 129 : 0;
        }
    }
    return bitmap;
}

void PaintArt(Canvas& canvas, int bitsPerPixel, const std::vector<std::string>& rows,
              std::uint32_t lit, std::uint32_t dark) {
    for (int y = 0; y < canvas.Height() && y < static_cast<int>(rows.size()); ++y) {
        const std::string& row = rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < canvas.Width() && x < static_cast<int>(row.size()); ++x) {
            std::uint32_t value = row[static_cast<std::size_t>(x)] == '#' ? lit : dark;
            std::uint8_t* line = canvas.Row(y);
            switch (bitsPerPixel) {
                case 1:
                    if (value != 0) {
                        line[x / 8] = static_cast<std::uint8_t>(line[x / 8] | (0x80 >> (x % 8)));
                    } else {
                        line[x / 8] = static_cast<std::uint8_t>(line[x / 8] & ~(0x80 >> (x % 8)));
                    }
                    break;
                case 8:
                    line[x] = static_cast<std::uint8_t>(value);
                    break;
                default:
                    std::memcpy(line + 4 * x, &value, 4);
                    break;
            }
        }
    }
}

}  // namespace vareko::test
