// LoadImageW: bitmap files of every supported depth as the bitmaps they
// become, icon files with image choice by size, and damaged or missing files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "testing/support/canvas.h"
#include "testing/support/temp_dir.h"

namespace {

using vareko::test::ArtRows;
using vareko::test::Canvas;

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A BITMAPINFOHEADER followed by its colour table or masks.
Bytes DibHeader(int width, int height, int bits, DWORD compression,
                const std::vector<std::uint32_t>& tableOrMasks) {
    Bytes out;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(bits));
    Put32(out, compression);
    Put32(out, 0);  // image size
    Put32(out, 0);  // pixels per metre, x and y
    Put32(out, 0);
    Put32(out, bits <= 8 ? static_cast<std::uint32_t>(tableOrMasks.size()) : 0);  // colours used
    Put32(out, 0);
    for (std::uint32_t entry : tableOrMasks) {
        Put32(out, entry);
    }
    return out;
}

Bytes BmpFile(int width, int height, int bits, const std::vector<std::uint32_t>& table,
              const Bytes& pixels, DWORD compression = 0) {
    Bytes header = DibHeader(width, height, bits, compression, table);
    Bytes out{'B', 'M'};
    Put32(out, static_cast<std::uint32_t>(14 + header.size() + pixels.size()));
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(14 + header.size()));
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

class ImageFileTest : public ::testing::Test {
  protected:
    std::wstring Write(const std::string& name, const Bytes& bytes) {
        std::string path = (dir_.Path() / name).string();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (!bytes.empty()) {
            std::fwrite(bytes.data(), 1, bytes.size(), file);
        }
        std::fclose(file);
        return std::wstring(path.begin(), path.end());
    }

    static HBITMAP LoadBitmapFile(const std::wstring& path, UINT flags = 0) {
        return static_cast<HBITMAP>(
            LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | flags));
    }

    // The bitmap's pixels as colours, read through a DC.
    static std::vector<COLORREF> Colours(HBITMAP bitmap, int width, int height) {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(dc, bitmap);
        std::vector<COLORREF> colours;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                colours.push_back(GetPixel(dc, x, y));
            }
        }
        SelectObject(dc, previous);
        DeleteDC(dc);
        return colours;
    }

    static BITMAP Describe(HBITMAP bitmap) {
        BITMAP record{};
        GetObjectW(bitmap, sizeof record, &record);
        return record;
    }

    vareko::testing::TempDir dir_;
};

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

TEST_F(ImageFileTest, BitmapsOfEveryDepthKeepTheirColoursAndOrientation) {
    struct Case {
        const char* name;
        int bits;
        int height;  // negative: stored top-down
        std::vector<std::uint32_t> table;
        Bytes pixels;
        int loadedBits;
        DWORD compression;
    };
    // Each picture is 2 x 2: red, green on the top row; blue, white below.
    const std::vector<std::uint32_t> table = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF};
    const Case cases[] = {
        {"indexed8", 8, 2, table, {2, 3, 0, 0, 0, 1, 0, 0}, 8, 0},
        {"indexed8_top_down", 8, -2, table, {0, 1, 0, 0, 2, 3, 0, 0}, 8, 0},
        {"indexed4", 4, 2, table, {0x23, 0, 0, 0, 0x01, 0, 0, 0}, 8, 0},
        {"rgb24", 24, 2, {}, {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0}, 32, 0},
        {"rgb32", 32, 2, {}, {255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0}, 32, 0},
        // 5-6-5 with explicit masks: blue 0x001F, white 0xFFFF, red 0xF800, green 0x07E0.
        {"rgb565",
         16,
         2,
         {0xF800, 0x07E0, 0x001F},
         {0x1F, 0x00, 0xFF, 0xFF, 0x00, 0xF8, 0xE0, 0x07},
         32,
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HBITMAP bitmap =
            LoadBitmapFile(Write(std::string(c.name) + ".bmp",
                                 BmpFile(2, c.height, c.bits, c.table, c.pixels, c.compression)));
        ASSERT_NE(bitmap, nullptr);
        BITMAP record = Describe(bitmap);
        EXPECT_EQ(record.bmWidth, 2);
        EXPECT_EQ(record.bmHeight, 2);
        EXPECT_EQ(record.bmBitsPixel, c.loadedBits);
        EXPECT_EQ(record.bmBits, nullptr);  // a device-dependent bitmap
        EXPECT_EQ(Colours(bitmap, 2, 2), (std::vector<COLORREF>{kRed, kGreen, kBlue, kWhite}));
        DeleteObject(bitmap);
    }
}

TEST_F(ImageFileTest, MonochromeFilesAndTheMonochromeFlag) {
    // 1-bit, 3 x 1: bits 1 0 1 with the table black, white.
    std::wstring mono = Write("mono.bmp", BmpFile(3, 1, 1, {0x000000, 0xFFFFFF}, {0xA0, 0, 0, 0}));
    HBITMAP bitmap = LoadBitmapFile(mono, LR_CREATEDIBSECTION);
    ASSERT_NE(bitmap, nullptr);
    BITMAP record = Describe(bitmap);
    EXPECT_EQ(record.bmBitsPixel, 1);
    EXPECT_NE(record.bmBits, nullptr);  // LR_CREATEDIBSECTION gives a DIB section
    EXPECT_EQ(Colours(bitmap, 3, 1), (std::vector<COLORREF>{kWhite, kBlack, kWhite}));
    DeleteObject(bitmap);

    // 24-bit dark grey, light grey, yellow: nearest of black and white.
    std::wstring colour = Write(
        "colour.bmp", BmpFile(3, 1, 24, {}, {60, 60, 60, 200, 200, 200, 0, 255, 255, 0, 0, 0}));
    bitmap = LoadBitmapFile(colour, LR_MONOCHROME);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(Describe(bitmap).bmBitsPixel, 1);
    EXPECT_EQ(Colours(bitmap, 3, 1), (std::vector<COLORREF>{kBlack, kWhite, kWhite}));
    DeleteObject(bitmap);
}

TEST_F(ImageFileTest, RefusesDamagedMissingAndUnsupportedFiles) {
    Bytes good = BmpFile(2, 2, 24, {}, Bytes(16, 0));
    Bytes truncated(good.begin(), good.end() - 1);
    Bytes badMagic = good;
    badMagic[0] = 'X';
    Bytes badOffset = good;
    badOffset[10] = 0xF0;  // pixels beyond the end of the file
    Bytes compressed = BmpFile(2, 2, 8, {0, 0xFFFFFF}, Bytes(8, 0), 1);  // run-length coded
    Bytes zeroWidth = BmpFile(0, 2, 24, {}, Bytes(16, 0));
    Bytes hugeTable = good;
    hugeTable[14 + 14] = 8;     // 8 bits per pixel
    hugeTable[14 + 32] = 0xFF;  // biClrUsed: 255 entries that are not there
    for (const Bytes* bytes :
         {&truncated, &badMagic, &badOffset, &compressed, &zeroWidth, &hugeTable}) {
        EXPECT_EQ(LoadBitmapFile(Write("bad.bmp", *bytes)), nullptr);
    }
    EXPECT_EQ(LoadBitmapFile(Write("empty.bmp", {})), nullptr);
    EXPECT_EQ(LoadBitmapFile(L"/nonexistent/picture.bmp"), nullptr);

    std::wstring path = Write("good.bmp", good);
    EXPECT_EQ(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, 0), nullptr);  // no resources
    EXPECT_EQ(LoadImageW(nullptr, path.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
    HBITMAP bitmap = LoadBitmapFile(path);
    EXPECT_NE(bitmap, nullptr);
    DeleteObject(bitmap);
}

// An icon image: header with doubled height, table, picture rows, mask rows.
Bytes IconImage(int size, int bits, const std::vector<std::uint32_t>& table, const Bytes& picture,
                const Bytes& mask) {
    Bytes out = DibHeader(size, 2 * size, bits, 0, table);
    out.insert(out.end(), picture.begin(), picture.end());
    out.insert(out.end(), mask.begin(), mask.end());
    return out;
}

Bytes IcoFile(const std::vector<std::pair<int, Bytes>>& images) {
    Bytes out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(images.size()));
    std::size_t offset = 6 + 16 * images.size();
    for (const auto& [size, image] : images) {
        out.push_back(static_cast<std::uint8_t>(size));
        out.push_back(static_cast<std::uint8_t>(size));
        out.push_back(0);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 0);
        Put32(out, static_cast<std::uint32_t>(image.size()));
        Put32(out, static_cast<std::uint32_t>(offset));
        offset += image.size();
    }
    for (const auto& entry : images) {
        out.insert(out.end(), entry.second.begin(), entry.second.end());
    }
    return out;
}

TEST_F(ImageFileTest, IconFilesPickTheNearestSizeAndKeepTheirMask) {
    // 2 x 2, 8-bit: white, black / black, white, bottom row stored first;
    // the mask makes the top-right pixel transparent.
    Bytes small = IconImage(2, 8, {0x000000, 0xFFFFFF}, {0, 1, 0, 0, 1, 0, 0, 0},
                            {0x00, 0, 0, 0, 0x40, 0, 0, 0});
    // 4 x 4, 32-bit: all white, no alpha, opaque.
    Bytes large = IconImage(4, 32, {}, Bytes(64, 0xFF), Bytes(16, 0));
    for (int i = 0; i < 16; ++i) {
        large[40 + static_cast<std::size_t>(i) * 4 + 3] = 0;
    }
    std::wstring path = Write("two.ico", IcoFile({{2, small}, {4, large}}));

    HICON icon =
        static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
    ASSERT_NE(icon, nullptr);  // size 0: the first image's size
    Canvas screen(4, 2);
    vareko::test::PaintArt(screen, ArtRows("####\n####\n"), 129, 0);
    DrawIconEx(screen.Dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(screen.Art(), ArtRows("####\n.###\n"));
    DestroyIcon(icon);

    icon = static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 3, 3, LR_LOADFROMFILE));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP record{};
    GetObjectW(info.hbmColor, sizeof record, &record);
    EXPECT_EQ(record.bmWidth, 4);  // 3 is nearer 4 than 2; more colours break the tie
    EXPECT_EQ(record.bmBitsPixel, 32);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(icon);

    Bytes damaged = IcoFile({{2, small}});
    damaged.resize(damaged.size() - 2);  // the mask is cut short
    EXPECT_EQ(
        LoadImageW(nullptr, Write("cut.ico", damaged).c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE),
        nullptr);
}

}  // namespace
