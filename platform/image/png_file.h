// PNG files for tools and tests: write an 8-bit grey image, optionally
// enlarged by an integer factor (each pixel becomes a scale x scale block),
// to a file or to memory, and read any PNG back as 8-bit grey. On Linux
// through libpng's simplified interface; on Windows writing only, with zlib
// (windows_only/png_file.cpp). Results are status values, never exceptions.
#pragma once

#include <cstdint>
#include <vector>

namespace vareko::platform {

enum class PngResult { kOk, kBadArguments, kWriteFailed, kReadFailed };

constexpr int kMaxPngScale = 64;

// `pixels` holds `height` rows of `width` bytes, `strideBytes` apart.
PngResult WriteGreyPng(const char* path, const std::uint8_t* pixels, int width, int height,
                       int strideBytes, int scale = 1);
PngResult EncodeGreyPng(std::vector<std::uint8_t>& out, const std::uint8_t* pixels, int width,
                        int height, int strideBytes, int scale = 1);

// Any PNG, converted to 8-bit grey, rows packed without padding.
PngResult ReadGreyPng(const char* path, std::vector<std::uint8_t>& pixels, int& width, int& height);

}  // namespace vareko::platform
