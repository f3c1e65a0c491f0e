// PNG debug helper (libpng).
#include "testing/support/png_debug.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace vareko::test {

bool WriteThresholdPng(const std::string& path, const std::uint8_t* pixels, int width, int height,
                       int strideBytes) {
    if (pixels == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    std::vector<png_byte> row(static_cast<std::size_t>(width));
    // libpng reports errors by longjmp; nothing with a destructor is created
    // between here and the end of the block.
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* source = pixels + static_cast<std::ptrdiff_t>(y) * strideBytes;
            for (int x = 0; x < width; ++x) {
                row[static_cast<std::size_t>(x)] = source[x] >= 129 ? 255 : 0;
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    std::fclose(file);
    return ok;
}

std::string ArtifactPath(const std::string& name) {
    const char* directory = std::getenv("VAREKO_TEST_ARTIFACTS");
    return (directory != nullptr && *directory != '\0' ? std::string(directory) + "/" : std::string()) +
           name;
}

}  // namespace vareko::test
