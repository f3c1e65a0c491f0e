// Test canvas implementation.
#include "testing/support/canvas.h"

#include <cstring>
#include <sstream>

#include "toolkit/threshold_bitmaps.h"

namespace vareko::test {

BitmapInfo256 MakeBitmapInfo(int width, int height, int bitsPerPixel, bool topDown) {
    BitmapInfo256 info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = topDown ? -height : height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.header.biCompression = BI_RGB;
    if (bitsPerPixel == 8) {
        info.header.biClrUsed = kThresholdColourCount;
        FillThresholdColours(info.colours);
    } else if (bitsPerPixel == 1) {
        info.header.biClrUsed = 2;
        info.colours[0] = RGBQUAD{0, 0, 0, 0};
        info.colours[1] = RGBQUAD{255, 255, 255, 0};
    }
    return info;
}

Canvas::Canvas(int width, int height, int bitsPerPixel, bool topDown)
    : width_(width),
      height_(height),
      bitsPerPixel_(bitsPerPixel),
      topDown_(topDown),
      stride_(((width * bitsPerPixel + 31) / 32) * 4) {
    BitmapInfo256 info = MakeBitmapInfo(width, height, bitsPerPixel, topDown);
    dc_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                               &bits, nullptr, 0);
    bits_ = static_cast<std::uint8_t*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
}

Canvas::~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

std::uint8_t* Canvas::Row(int y) const {
    int stored = topDown_ ? y : height_ - 1 - y;
    return bits_ + static_cast<std::ptrdiff_t>(stored) * stride_;
}

std::uint32_t Canvas::Pixel(int x, int y) const {
    const std::uint8_t* row = Row(y);
    switch (bitsPerPixel_) {
        case 1:
            return (row[x / 8] >> (7 - x % 8)) & 1u;
        case 8:
            return row[x];
        default: {
            std::uint32_t value;
            std::memcpy(&value, row + 4 * x, 4);
            return value;
        }
    }
}

bool Canvas::Lit(int x, int y) const {
    std::uint32_t value = Pixel(x, y);
    switch (bitsPerPixel_) {
        case 1:
            return value != 0;
        case 8:
            return value >= 129;
        default:
            return (value & 0xFFFFFF) != 0;
    }
}

std::vector<std::string> Canvas::Art() const {
    std::vector<std::string> rows;
    for (int y = 0; y < height_; ++y) {
        std::string row;
        for (int x = 0; x < width_; ++x) {
            row += Lit(x, y) ? '#' : '.';
        }
        rows.push_back(row);
    }
    return rows;
}

void Canvas::Set(int x, int y, std::uint32_t value) {
    std::uint8_t* row = Row(y);
    switch (bitsPerPixel_) {
        case 1: {
            const auto bit = static_cast<std::uint8_t>(0x80 >> (x % 8));  // leftmost pixel in the high bit
            row[x / 8] = static_cast<std::uint8_t>((value & 1) != 0 ? row[x / 8] | bit : row[x / 8] & ~bit);
            break;
        }
        case 8:
            row[x] = static_cast<std::uint8_t>(value);
            break;
        default:
            std::memcpy(row + 4 * x, &value, 4);
    }
}

void Canvas::Fill(std::uint32_t value) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) Set(x, y, value);
    }
}

void PaintArt(Canvas& canvas, const std::vector<std::string>& rows, std::uint32_t lit, std::uint32_t dark) {
    for (int y = 0; y < canvas.Height() && y < static_cast<int>(rows.size()); ++y) {
        const std::string& row = rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < canvas.Width() && x < static_cast<int>(row.size()); ++x) {
            canvas.Set(x, y, row[static_cast<std::size_t>(x)] == '#' ? lit : dark);
        }
    }
}

std::vector<std::string> ArtRows(const std::string& text) {
    std::vector<std::string> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        rows.push_back(line);
    }
    return rows;
}

}  // namespace vareko::test
