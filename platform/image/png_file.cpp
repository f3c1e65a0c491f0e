// PNG writing and reading through libpng's simplified (png_image) interface,
// which reports errors by return value instead of longjmp.
#include "platform/image/png_file.h"

#include <png.h>

#include <cstring>

namespace vareko::platform {
namespace {

bool ValidArguments(const std::uint8_t* pixels, int width, int height, int strideBytes, int scale) {
    return pixels != nullptr && width > 0 && height > 0 && strideBytes >= width && scale >= 1 &&
           scale <= kMaxPngScale && width <= 65535 / scale && height <= 65535 / scale;
}

std::vector<std::uint8_t> Enlarge(const std::uint8_t* pixels, int width, int height, int strideBytes,
                                  int scale) {
    const auto outWidth = static_cast<std::size_t>(width) * static_cast<std::size_t>(scale);
    std::vector<std::uint8_t> out(outWidth * static_cast<std::size_t>(height) * static_cast<std::size_t>(scale));
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = pixels + static_cast<std::ptrdiff_t>(y) * strideBytes;
        std::uint8_t* first = out.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(scale) * outWidth;
        for (int x = 0; x < width; ++x) {
            std::memset(first + static_cast<std::size_t>(x) * static_cast<std::size_t>(scale), src[x],
                        static_cast<std::size_t>(scale));
        }
        for (int r = 1; r < scale; ++r) std::memcpy(first + static_cast<std::size_t>(r) * outWidth, first, outWidth);
    }
    return out;
}

png_image GreyImage(int width, int height) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_GRAY;
    return image;
}

}  // namespace

PngResult WriteGreyPng(const char* path, const std::uint8_t* pixels, int width, int height,
                       int strideBytes, int scale) {
    if (path == nullptr || !ValidArguments(pixels, width, height, strideBytes, scale)) {
        return PngResult::kBadArguments;
    }
    const auto big = Enlarge(pixels, width, height, strideBytes, scale);
    png_image image = GreyImage(width * scale, height * scale);
    const int ok = png_image_write_to_file(&image, path, 0, big.data(), width * scale, nullptr);
    png_image_free(&image);
    return ok != 0 ? PngResult::kOk : PngResult::kWriteFailed;
}

PngResult EncodeGreyPng(std::vector<std::uint8_t>& out, const std::uint8_t* pixels, int width, int height,
                        int strideBytes, int scale) {
    if (!ValidArguments(pixels, width, height, strideBytes, scale)) return PngResult::kBadArguments;
    const auto big = Enlarge(pixels, width, height, strideBytes, scale);
    png_image image = GreyImage(width * scale, height * scale);
    png_alloc_size_t size = 0;
    // The first call only measures; the second writes into the sized buffer.
    if (png_image_write_to_memory(&image, nullptr, &size, 0, big.data(), width * scale, nullptr) == 0) {
        png_image_free(&image);
        return PngResult::kWriteFailed;
    }
    out.resize(size);
    const int ok = png_image_write_to_memory(&image, out.data(), &size, 0, big.data(), width * scale, nullptr);
    png_image_free(&image);
    if (ok == 0) return PngResult::kWriteFailed;
    out.resize(size);
    return PngResult::kOk;
}

PngResult ReadGreyPng(const char* path, std::vector<std::uint8_t>& pixels, int& width, int& height) {
    if (path == nullptr) return PngResult::kBadArguments;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path) == 0) return PngResult::kReadFailed;
    image.format = PNG_FORMAT_GRAY;
    pixels.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return PngResult::kReadFailed;
    }
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    return PngResult::kOk;
}

}  // namespace vareko::platform
