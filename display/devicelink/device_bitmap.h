// DeviceBitmap: the finished 160 x 43 frame handed to the display-manager
// library. A plain record with a fixed layout: a little-endian format word
// (always 1) followed by one byte per pixel, rows top to bottom; a byte of
// 0..128 is a black pixel, 129..255 a white one. No dependencies.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vareko {

constexpr int kDisplayWidth = 160;
constexpr int kDisplayHeight = 43;
constexpr std::size_t kDevicePixelBytes = 6880;  // kDisplayWidth * kDisplayHeight
constexpr std::uint32_t kDeviceBitmapFormat = 1;
constexpr std::uint8_t kWhiteThreshold = 129;  // bytes >= 129 are white

struct DeviceBitmap {
    std::uint32_t format;
    std::uint8_t pixels[kDevicePixelBytes];
};

static_assert(sizeof(DeviceBitmap) == 6884, "DeviceBitmap is a 6,884-byte block");
static_assert(offsetof(DeviceBitmap, pixels) == 4, "pixels follow the format word");
static_assert(kDevicePixelBytes == static_cast<std::size_t>(kDisplayWidth) * kDisplayHeight);

inline bool IsWhitePixel(std::uint8_t value) { return value >= kWhiteThreshold; }

}  // namespace vareko
