// Handle table, stock objects, selection and description of GDI objects.
#include <gtest/gtest.h>

#include "platform/gdi/dc_state.h"
#include "platform/gdi/handle_table.h"
#include "platform/win32.h"
#include "testing/support/canvas.h"

namespace {

using vareko::gdi::LiveObjectCount;

TEST(GdiObjectsTest, LookupIsTypeCheckedAndStaleHandlesFindNothing) {
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    ASSERT_NE(pen, nullptr);
    EXPECT_NE(vareko::gdi::LookupObject<vareko::gdi::Pen>(pen), nullptr);
    EXPECT_EQ(vareko::gdi::LookupObject<vareko::gdi::Brush>(pen), nullptr);
    EXPECT_EQ(GetObjectType(pen), OBJ_PEN);
    ASSERT_TRUE(DeleteObject(pen));
    EXPECT_EQ(GetObjectType(pen), 0u);
    EXPECT_FALSE(DeleteObject(pen));
    // The slot is reused, but the old handle does not find the newcomer.
    HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
    EXPECT_EQ(vareko::gdi::LookupObject(pen), nullptr);
    EXPECT_EQ(GetObjectType(brush), OBJ_BRUSH);
    DeleteObject(brush);
    EXPECT_EQ(GetObjectType(nullptr), 0u);
    EXPECT_EQ(GetObjectType(HGDI_ERROR), 0u);
}

TEST(GdiObjectsTest, StockObjectsSurviveDeleteObject) {
    const int indices[] = {WHITE_BRUSH, LTGRAY_BRUSH, GRAY_BRUSH, DKGRAY_BRUSH,
                           BLACK_BRUSH, NULL_BRUSH,   WHITE_PEN,  BLACK_PEN, NULL_PEN};
    for (int index : indices) {
        HGDIOBJ stock = GetStockObject(index);
        ASSERT_NE(stock, nullptr) << index;
        EXPECT_EQ(GetStockObject(index), stock);
        EXPECT_TRUE(DeleteObject(stock));
        EXPECT_NE(GetObjectType(stock), 0u) << index;
    }
    EXPECT_EQ(GetStockObject(-1), nullptr);
    EXPECT_EQ(GetStockObject(999), nullptr);
    LOGBRUSH brush{};
    ASSERT_EQ(GetObjectW(GetStockObject(BLACK_BRUSH), sizeof brush, &brush),
              static_cast<int>(sizeof brush));
    EXPECT_EQ(brush.lbColor, RGB(0, 0, 0));
    LOGPEN pen{};
    ASSERT_EQ(GetObjectW(GetStockObject(WHITE_PEN), sizeof pen, &pen), static_cast<int>(sizeof pen));
    EXPECT_EQ(pen.lopnColor, RGB(255, 255, 255));
}

TEST(GdiObjectsTest, SelectObjectReturnsWhatItReplaces) {
    HDC dc = CreateCompatibleDC(nullptr);
    HPEN pen = CreatePen(PS_DOT, 1, RGB(255, 255, 255));
    EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_PEN)), pen);
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
    EXPECT_EQ(SelectObject(nullptr, pen), nullptr);
    DeleteObject(pen);
    DeleteDC(dc);
}

TEST(GdiObjectsTest, BitmapIsSelectableIntoOneDcAtATime) {
    vareko::test::Canvas canvas(8, 2);
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, canvas.Bitmap()), nullptr);
    HGDIOBJ defaultBitmap = SelectObject(canvas.Dc(), GetStockObject(BLACK_BRUSH));
    EXPECT_NE(defaultBitmap, nullptr);
    DeleteDC(other);
}

TEST(GdiObjectsTest, DeletingASelectedObjectIsDeferredUntilReleased) {
    std::size_t before = LiveObjectCount();
    HDC dc = CreateCompatibleDC(nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(255, 255, 255));
    SelectObject(dc, brush);
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(GetObjectType(brush), OBJ_BRUSH);  // still in use by the DC
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(GetObjectType(brush), 0u);

    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    SelectObject(dc, pen);
    DeleteObject(pen);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_EQ(GetObjectType(pen), 0u);
    EXPECT_EQ(LiveObjectCount(), before);
}

TEST(GdiObjectsTest, DeleteObjectRefusesDcs) {
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(DeleteObject(dc));
    EXPECT_EQ(GetObjectType(dc), OBJ_MEMDC);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
}

TEST(GdiObjectsTest, GetObjectDescribesBitmaps) {
    struct Case {
        int width, height, bits;
        bool topDown;
        LONG widthBytes;
    };
    const Case cases[] = {
        {160, 43, 8, true, 160}, {5, 3, 8, false, 8}, {9, 2, 1, true, 4}, {3, 3, 32, true, 12},
    };
    for (const Case& c : cases) {
        auto info = vareko::test::MakeBitmapInfo(c.width, c.height, c.bits, c.topDown);
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                                          DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(bitmap, nullptr);
        ASSERT_NE(bits, nullptr);
        BITMAP record{};
        EXPECT_EQ(GetObjectW(bitmap, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
        EXPECT_EQ(GetObjectW(bitmap, sizeof record - 1, &record), 0);
        ASSERT_EQ(GetObjectW(bitmap, sizeof record, &record), static_cast<int>(sizeof(BITMAP)));
        EXPECT_EQ(record.bmWidth, c.width);
        EXPECT_EQ(record.bmHeight, c.height);
        EXPECT_EQ(record.bmWidthBytes, c.widthBytes);
        EXPECT_EQ(record.bmBitsPixel, c.bits);
        EXPECT_EQ(record.bmPlanes, 1);
        EXPECT_EQ(record.bmBits, bits);
        DeleteObject(bitmap);
    }
    const BYTE rows[] = {0xA0, 0x00, 0x50, 0x00};
    HBITMAP mono = CreateBitmap(4, 2, 1, 1, rows);
    BITMAP record{};
    ASSERT_EQ(GetObjectW(mono, sizeof record, &record), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(record.bmWidthBytes, 2);
    EXPECT_EQ(record.bmBits, nullptr);
    DeleteObject(mono);
}

TEST(GdiObjectsTest, CreateDibSectionRefusesWhatItCannotHold) {
    auto info = vareko::test::MakeBitmapInfo(4, 4, 8, true);
    auto create = [](const vareko::test::BitmapInfo256& i, UINT usage = DIB_RGB_COLORS) {
        void* bits = reinterpret_cast<void*>(1);
        HBITMAP bitmap =
            CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&i), usage, &bits, nullptr, 0);
        bool ok = bitmap != nullptr;
        EXPECT_EQ(ok, bits != nullptr);
        DeleteObject(bitmap);
        return ok;
    };
    EXPECT_TRUE(create(info));
    EXPECT_FALSE(create(info, DIB_PAL_COLORS));
    for (WORD bits : {2, 4, 16, 24}) {
        auto odd = info;
        odd.header.biBitCount = bits;
        EXPECT_FALSE(create(odd)) << bits;
    }
    for (LONG width : {0, -4}) {
        auto bad = info;
        bad.header.biWidth = width;
        EXPECT_FALSE(create(bad));
    }
    auto flat = info;
    flat.header.biHeight = 0;
    EXPECT_FALSE(create(flat));
    auto compressed = info;
    compressed.header.biCompression = 1;
    EXPECT_FALSE(create(compressed));
}

TEST(GdiObjectsTest, LiveCountIsFlatAfterCreateAndDeleteOfEveryKind) {
    std::size_t before = LiveObjectCount();
    {
        vareko::test::Canvas canvas(16, 4);
        HRGN region = CreateRectRgn(0, 0, 2, 2);
        HPEN pen = CreatePen(PS_DOT, 1, 0);
        HBRUSH brush = CreateSolidBrush(0);
        EXPECT_EQ(LiveObjectCount(), before + 5);
        DeleteObject(region);
        DeleteObject(pen);
        DeleteObject(brush);
    }
    EXPECT_EQ(LiveObjectCount(), before);
}

}  // namespace
