// PNG pictures as bitmaps and icons.
#include "platform/image/png_picture.h"

#include <png.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace vareko::platform {

namespace {

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // BGRA, rows of 4 * width bytes
};

bool DecodePng(const char* path, Decoded& out) {
    if (path == nullptr) {
        return false;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path) == 0) {
        return false;
    }
    if (image.width == 0 || image.height == 0 || image.width > kMaxPngPictureSide ||
        image.height > kMaxPngPictureSide) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_BGRA;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.pixels.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return false;
    }
    return true;
}

HBITMAP MakeBitmap(const Decoded& picture) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) {
        // 32-bit rows need no padding, so the decoded rows fit as they are.
        std::memcpy(bits, picture.pixels.data(), picture.pixels.size());
    }
    return bitmap;
}

// 1-bit rows padded to 2 bytes; a set bit keeps the screen (transparent).
HBITMAP MakeMask(const Decoded& picture) {
    int stride = ((picture.width + 15) / 16) * 2;
    std::vector<std::uint8_t> bits(
        static_cast<std::size_t>(stride) * static_cast<std::size_t>(picture.height), 0);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            std::size_t pixel =
                (static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) +
                 static_cast<std::size_t>(x)) *
                4;
            if (picture.pixels[pixel + 3] < 128) {
                bits[static_cast<std::size_t>(y * stride + x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return CreateBitmap(picture.width, picture.height, 1, 1, bits.data());
}

}  // namespace

HBITMAP LoadPngBitmap(const char* path) {
    Decoded picture;
    return DecodePng(path, picture) ? MakeBitmap(picture) : nullptr;
}

HICON LoadPngIcon(const char* path) {
    Decoded picture;
    if (!DecodePng(path, picture)) {
        return nullptr;
    }
    HBITMAP colour = MakeBitmap(picture);
    HBITMAP mask = MakeMask(picture);
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = colour != nullptr && mask != nullptr ? CreateIconIndirect(&info) : nullptr;
    DeleteObject(colour);
    DeleteObject(mask);
    return icon;
}

}  // namespace vareko::platform
