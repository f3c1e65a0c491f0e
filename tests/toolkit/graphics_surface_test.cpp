// GraphicsSurface: header and colour table, the DeviceBitmap block, drawing
// state, refused sizes and repeated creation.
#include <gtest/gtest.h>

#include "platform/gdi/handle_table.h"
#include "testing/support/png_debug.h"
#include "toolkit/graphics_surface.h"

namespace {

using vareko::DeviceBitmap;
using vareko::GraphicsSurface;

TEST(GraphicsSurfaceTest, HeaderAndThresholdColourTable) {
    GraphicsSurface surface;
    ASSERT_EQ(surface.Create(160, 43), S_OK);
    const BITMAPINFO* info = surface.GetBitmapInfo();
    ASSERT_NE(info, nullptr);
    const BITMAPINFOHEADER& h = info->bmiHeader;
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 160);
    EXPECT_EQ(h.biHeight, -43);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 8);
    EXPECT_EQ(h.biCompression, BI_RGB);
    EXPECT_EQ(h.biSizeImage, 6880u);
    EXPECT_EQ(h.biXPelsPerMeter, 3200);
    EXPECT_EQ(h.biYPelsPerMeter, 3200);
    EXPECT_EQ(h.biClrUsed, 256u);
    EXPECT_EQ(h.biClrImportant, 256u);
    const RGBQUAD* colours = info->bmiColors;
    for (int i = 0; i < 256; ++i) {
        BYTE expected = i <= 128 ? 0 : 255;
        EXPECT_EQ(colours[i].rgbRed, expected) << i;
        EXPECT_EQ(colours[i].rgbGreen, expected) << i;
        EXPECT_EQ(colours[i].rgbBlue, expected) << i;
        EXPECT_EQ(colours[i].rgbReserved, 0) << i;
    }
    // The four bytes behind the 256th entry stay zero.
    const auto* tail = reinterpret_cast<const std::uint8_t*>(info) + 1064;
    EXPECT_EQ(tail[0] | tail[1] | tail[2] | tail[3], 0);
    BITMAP bitmap{};
    ASSERT_EQ(GetObjectW(surface.GetBitmapHandle(), sizeof bitmap, &bitmap),
              static_cast<int>(sizeof bitmap));
    EXPECT_EQ(bitmap.bmWidthBytes, 160);
}

TEST(GraphicsSurfaceTest, BlockBeforeAnyDrawingIsZeroPixelsAndFormatOne) {
    GraphicsSurface surface;
    ASSERT_EQ(surface.Create(160, 43), S_OK);
    DeviceBitmap* block = surface.GetDeviceBitmap();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->format, 1u);
    for (std::uint8_t value : block->pixels) {
        ASSERT_EQ(value, 0);
    }
}

TEST(GraphicsSurfaceTest, ClearedFrameIsAllBlack) {
    GraphicsSurface surface;
    ASSERT_EQ(surface.Create(160, 43), S_OK);
    surface.BeginDraw();
    surface.FillRectangle(0, 0, 160, 43);
    surface.Clear();
    surface.EndDraw();
    DeviceBitmap* block = surface.GetDeviceBitmap();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->format, 1u);
    for (std::uint8_t value : block->pixels) {
        ASSERT_LE(value, 128);
    }
}

TEST(GraphicsSurfaceTest, DrawingHelpersPaintWhiteAndRestoreTheDc) {
    GraphicsSurface surface;
    ASSERT_EQ(surface.Create(8, 4), S_OK);
    surface.BeginDraw();
    HDC dc = surface.GetMemoryDC();
    EXPECT_EQ(GetTextColor(dc), RGB(255, 255, 255));
    EXPECT_EQ(GetBkColor(dc), RGB(0, 0, 0));
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    HBRUSH brush = CreateSolidBrush(0);
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    surface.Clear();
    surface.DrawLine(0, 0, 4, 0);         // end point excluded
    surface.FillRectangle(5, 1, 2, 2);    // right and bottom excluded
    surface.PlotPixel(0, 3, true);
    surface.PlotPixel(1, 3, true);
    surface.PlotPixel(1, 3, false);
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), pen);
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), brush);
    surface.EndDraw();
    DeviceBitmap* block = surface.GetDeviceBitmap();
    ASSERT_NE(block, nullptr);
    std::string art;
    for (int i = 0; i < 32; ++i) {
        art += vareko::IsWhitePixel(block->pixels[i]) ? '#' : '.';
        if (i % 8 == 7) {
            art += '\n';
        }
    }
    EXPECT_EQ(art, "####....\n.....##.\n.....##.\n#.......\n");
    DeleteObject(pen);
    DeleteObject(brush);
}

TEST(GraphicsSurfaceTest, DrawStringPaintsTransparentlyAndRestoresTheModes) {
    GraphicsSurface surface;
    ASSERT_EQ(surface.Create(160, 43), S_OK);
    surface.BeginDraw();
    surface.Clear();
    HDC dc = surface.GetMemoryDC();
    SetBkMode(dc, OPAQUE);
    surface.DrawString(2, 2, L"H");
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(GetMapMode(dc), MM_TEXT);
    surface.EndDraw();
    DeviceBitmap* block = surface.GetDeviceBitmap();
    int lit = 0;
    for (std::uint8_t value : block->pixels) {
        lit += vareko::IsWhitePixel(value) ? 1 : 0;
    }
    EXPECT_GT(lit, 5);
    EXPECT_LT(lit, 200);  // a transparent background lights only the glyph
}

TEST(GraphicsSurfaceTest, BeginAndEndDrawAreIdempotent) {
    GraphicsSurface surface;
    ASSERT_EQ(surface.Create(8, 2), S_OK);
    HDC dc = surface.GetMemoryDC();
    surface.EndDraw();  // without BeginDraw: nothing happens
    surface.BeginDraw();
    SetTextColor(dc, RGB(1, 2, 3));
    surface.BeginDraw();  // already drawing: colours are not set again
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
    // While drawing, the DIB section is selected and cannot go elsewhere.
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, surface.GetBitmapHandle()), nullptr);
    surface.EndDraw();
    HGDIOBJ previous = SelectObject(other, surface.GetBitmapHandle());
    EXPECT_NE(previous, nullptr);
    SelectObject(other, previous);
    DeleteDC(other);
}

TEST(GraphicsSurfaceTest, EmptySurfaceHasNoBlock) {
    GraphicsSurface surface;
    EXPECT_EQ(surface.GetDeviceBitmap(), nullptr);
    EXPECT_EQ(surface.GetMemoryDC(), nullptr);
    ASSERT_EQ(surface.Create(160, 43), S_OK);
    surface.Destroy();
    EXPECT_EQ(surface.GetDeviceBitmap(), nullptr);
    EXPECT_EQ(surface.GetBitmapHandle(), nullptr);
    EXPECT_EQ(surface.GetBitmapInfo(), nullptr);
    surface.Destroy();
    EXPECT_EQ(surface.GetMemoryDC(), nullptr);
}

TEST(GraphicsSurfaceTest, RefusesSizesTheDeviceBitmapCannotHold) {
    struct Case {
        int width, height;
        HRESULT expected;
    };
    const Case cases[] = {
        {160, 43, S_OK},   {4, 1720, S_OK},   {16, 4, S_OK},     {0, 43, E_FAIL},
        {160, 0, E_FAIL},  {-4, 43, E_FAIL},  {160, -43, E_FAIL}, {161, 43, E_FAIL},
        {162, 43, E_FAIL}, {164, 43, E_FAIL}, {160, 44, E_FAIL},  {8, 861, E_FAIL},
        {0x40000000, 0x40000000, E_FAIL},
    };
    std::size_t before = vareko::gdi::LiveObjectCount();
    for (const Case& c : cases) {
        GraphicsSurface surface;
        EXPECT_EQ(surface.Create(c.width, c.height), c.expected) << c.width << " x " << c.height;
        bool built = c.expected == S_OK;
        EXPECT_EQ(surface.GetMemoryDC() != nullptr, built);
        EXPECT_EQ(surface.GetBitmapHandle() != nullptr, built);
        EXPECT_EQ(surface.GetDeviceBitmap() != nullptr, built);
    }
    EXPECT_EQ(vareko::gdi::LiveObjectCount(), before);
}

TEST(GraphicsSurfaceTest, CreateOverAnExistingSetReleasesItFirst) {
    GraphicsSurface surface;
    ASSERT_EQ(surface.Create(160, 43), S_OK);
    std::size_t afterFirst = vareko::gdi::LiveObjectCount();
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(surface.Create(160, 43), S_OK);
    }
    surface.BeginDraw();  // also while the DIB section is selected
    ASSERT_EQ(surface.Create(160, 43), S_OK);
    EXPECT_EQ(vareko::gdi::LiveObjectCount(), afterFirst);
    // A refused size leaves the surface empty, the old set released.
    EXPECT_EQ(surface.Create(161, 43), E_FAIL);
    EXPECT_EQ(surface.GetDeviceBitmap(), nullptr);
    EXPECT_EQ(vareko::gdi::LiveObjectCount(), afterFirst - 2);
}

TEST(GraphicsSurfaceTest, FramesCanBeWrittenAsPng) {
    GraphicsSurface surface;
    ASSERT_EQ(surface.Create(160, 43), S_OK);
    surface.BeginDraw();
    surface.Clear();
    surface.FillRectangle(10, 10, 20, 5);
    surface.EndDraw();
    DeviceBitmap* block = surface.GetDeviceBitmap();
    std::string path = vareko::test::ArtifactPath("graphics_surface_frame.png");
    ASSERT_TRUE(vareko::test::WriteThresholdPng(path, block->pixels, 160, 43, 160));
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    unsigned char signature[8] = {};
    EXPECT_EQ(std::fread(signature, 1, 8, file), 8u);
    std::fclose(file);
    std::remove(path.c_str());
    EXPECT_EQ(signature[1], 'P');
    EXPECT_EQ(signature[2], 'N');
    EXPECT_EQ(signature[3], 'G');
}

}  // namespace
