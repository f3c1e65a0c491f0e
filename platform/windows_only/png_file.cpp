// PNG writing on Windows, where there is no libpng: 8-bit grey, one zlib
// stream (the static zlib of the MinGW-w64 build) in a single IDAT chunk.
// Reading PNG files is for the Linux tests only and is not built here.
#include <zlib.h>

#include <cstdio>
#include <cstring>

#include "platform/image/png_file.h"

namespace vareko::platform {
namespace {

constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kGreyType = 0;
constexpr std::uint8_t kNoFilter = 0;

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char (&type)[5], const std::vector<std::uint8_t>& data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(4 + data.size()));
    PutBigEndian(out, static_cast<std::uint32_t>(crc));
}

// The image's rows as PNG filters them: a filter byte, then the pixels, each
// source pixel repeated `scale` times across and each row `scale` times down.
std::vector<std::uint8_t> ScaledRows(const std::uint8_t* pixels, int width, int height, int strideBytes, int scale) {
    const auto rowBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(scale);
    std::vector<std::uint8_t> rows;
    rows.reserve((rowBytes + 1) * static_cast<std::size_t>(height) * static_cast<std::size_t>(scale));
    for (int y = 0; y < height * scale; ++y) {
        const std::uint8_t* source = pixels + static_cast<std::ptrdiff_t>(y / scale) * strideBytes;
        rows.push_back(kNoFilter);
        for (std::size_t x = 0; x < rowBytes; ++x) rows.push_back(source[x / static_cast<std::size_t>(scale)]);
    }
    return rows;
}

}  // namespace

PngResult EncodeGreyPng(std::vector<std::uint8_t>& out, const std::uint8_t* pixels, int width, int height,
                        int strideBytes, int scale) {
    const bool usable = pixels != nullptr && width > 0 && height > 0 && strideBytes >= width && scale >= 1 &&
                        scale <= kMaxPngScale && width <= 65535 / scale && height <= 65535 / scale;
    if (!usable) return PngResult::kBadArguments;
    const std::vector<std::uint8_t> rows = ScaledRows(pixels, width, height, strideBytes, scale);
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), Z_BEST_COMPRESSION) !=
        Z_OK) {
        return PngResult::kWriteFailed;
    }
    packed.resize(packedSize);
    std::vector<std::uint8_t> header;
    PutBigEndian(header, static_cast<std::uint32_t>(width * scale));
    PutBigEndian(header, static_cast<std::uint32_t>(height * scale));
    header.insert(header.end(), {8, kGreyType, 0, 0, 0});  // depth, type, deflate, filters, no interlace
    out.assign(std::begin(kSignature), std::end(kSignature));
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", {});
    return PngResult::kOk;
}

PngResult WriteGreyPng(const char* path, const std::uint8_t* pixels, int width, int height, int strideBytes,
                       int scale) {
    if (path == nullptr) return PngResult::kBadArguments;
    std::vector<std::uint8_t> png;
    if (const PngResult r = EncodeGreyPng(png, pixels, width, height, strideBytes, scale); r != PngResult::kOk) {
        return r;
    }
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return PngResult::kWriteFailed;
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && written ? PngResult::kOk : PngResult::kWriteFailed;
}

}  // namespace vareko::platform
