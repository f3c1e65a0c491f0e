// PNG pictures as bitmaps and icons: colours and alpha come through, the
// icon's mask follows the alpha channel, and unreadable files give null.
#include "platform/image/png_picture.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>

#include "testing/support/canvas.h"
#include "testing/support/temp_dir.h"

namespace {

using vareko::test::ArtRows;
using vareko::test::Canvas;

// Writes RGBA pixels, 4 bytes each, as a PNG.
std::string WritePng(const vareko::testing::TempDir& dir, const char* name, int width, int height,
                     const std::vector<std::uint8_t>& rgba) {
    std::string path = (dir.Path() / name).string();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    EXPECT_NE(png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr), 0);
    return path;
}

TEST(PngPictureTest, BitmapKeepsColoursAndAlpha) {
    vareko::testing::TempDir dir;
    std::string path = WritePng(dir, "two.png", 2, 1, {255, 0, 0, 255, 0, 0, 255, 64});
    HBITMAP bitmap = vareko::platform::LoadPngBitmap(path.c_str());
    ASSERT_NE(bitmap, nullptr);
    BITMAP record{};
    ASSERT_EQ(GetObjectW(bitmap, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_EQ(record.bmWidth, 2);
    EXPECT_EQ(record.bmHeight, 1);
    EXPECT_EQ(record.bmBitsPixel, 32);
    const auto* bits = static_cast<const std::uint8_t*>(record.bmBits);
    EXPECT_EQ(std::vector<std::uint8_t>(bits, bits + 8),
              (std::vector<std::uint8_t>{0, 0, 255, 255, 255, 0, 0, 64}));
    DeleteObject(bitmap);
}

TEST(PngPictureTest, IconIsTransparentWhereThePictureIs) {
    vareko::testing::TempDir dir;
    // Opaque white, transparent white, opaque black.
    std::string path =
        WritePng(dir, "icon.png", 3, 1, {255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 0, 255});
    HICON icon = vareko::platform::LoadPngIcon(path.c_str());
    ASSERT_NE(icon, nullptr);
    for (const char* before : {"...", "###"}) {
        Canvas screen(3, 1);
        vareko::test::PaintArt(screen, ArtRows(before), 129, 0);
        DrawIconEx(screen.Dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
        EXPECT_EQ(screen.Art()[0], std::string("#") + before[1] + ".");
    }
    DestroyIcon(icon);
}

TEST(PngPictureTest, UnreadableFilesGiveNull) {
    vareko::testing::TempDir dir;
    std::string garbage = (dir.Path() / "garbage.png").string();
    std::FILE* file = std::fopen(garbage.c_str(), "wb");
    std::fputs("not a picture", file);
    std::fclose(file);
    for (const char* path : {garbage.c_str(), "/nonexistent/picture.png"}) {
        EXPECT_EQ(vareko::platform::LoadPngBitmap(path), nullptr);
        EXPECT_EQ(vareko::platform::LoadPngIcon(path), nullptr);
    }
    EXPECT_EQ(vareko::platform::LoadPngBitmap(nullptr), nullptr);
}

}  // namespace
