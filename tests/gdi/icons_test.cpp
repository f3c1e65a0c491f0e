// Icons: creation from mask and colour bitmaps, drawing with the mask and
// picture at the icon's size and scaled, alpha pictures, clipping, and the
// ownership of the bitmaps involved.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/handle_table.h"
#include "platform/win32.h"
#include "testing/support/canvas.h"
#include "toolkit/threshold_bitmaps.h"

namespace {

using vareko::test::ArtRows;
using vareko::test::Canvas;
using vareko::MonoBitmapFromArt;
using vareko::test::PaintArt;

constexpr std::uint32_t kWhite8 = 129;  // first white entry of the threshold table
constexpr std::uint32_t kWhite32 = 0x00FFFFFF;

HICON MakeIcon(HBITMAP mask, HBITMAP colour) {
    ICONINFO info{TRUE, 0, 0, mask, colour};
    return CreateIconIndirect(&info);
}

TEST(IconTest, MaskKeepsTheBackgroundAndColourShowsWhereTheMaskIsClear) {
    for (int bits : {1, 8, 32}) {
        SCOPED_TRACE(bits);
        Canvas picture(4, 2, bits);
        std::uint32_t white = bits == 1 ? 1 : bits == 8 ? kWhite8 : kWhite32;
        PaintArt(picture, ArtRows("#..#\n....\n"), white, 0);
        HBITMAP mask = MonoBitmapFromArt(ArtRows(".##.\n#..#\n"));
        HICON icon = MakeIcon(mask, picture.Bitmap());
        ASSERT_NE(icon, nullptr);

        Canvas screen(6, 2);
        PaintArt(screen, ArtRows("#.#.#.\n#.#.#.\n"), kWhite8, 0);
        EXPECT_TRUE(DrawIconEx(screen.Dc(), 1, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
        EXPECT_EQ(screen.Art(), ArtRows("###.#.\n#...#.\n"));
        DestroyIcon(icon);
        DeleteObject(mask);
    }
}

TEST(IconTest, MonochromeIconAndsTheTopHalfAndXorsTheBottomHalf) {
    // AND / XOR per column: 0/1 white, 0/0 black, 1/1 inverted, 1/0 unchanged.
    HBITMAP mask = MonoBitmapFromArt(ArtRows("..##\n#.#.\n"));
    HICON icon = MakeIcon(mask, nullptr);
    ASSERT_NE(icon, nullptr);
    Canvas screen(4, 2);
    PaintArt(screen, ArtRows("....\n####\n"), kWhite8, 0);
    DrawIconEx(screen.Dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    DrawIconEx(screen.Dc(), 0, 1, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(screen.Art(), ArtRows("#.#.\n#..#\n"));
    DestroyIcon(icon);
    DeleteObject(mask);
}

TEST(IconTest, FlagsSelectMaskPictureOrBoth) {
    Canvas picture(2, 1, 8);
    PaintArt(picture, ArtRows("#.\n"), kWhite8, 0);
    HBITMAP mask = MonoBitmapFromArt(ArtRows(".#\n"));
    HICON icon = MakeIcon(mask, picture.Bitmap());
    struct Case {
        UINT flags;
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {DI_MASK, "##", ".#"},    // the clear mask bit blackens, the set one keeps
        {DI_IMAGE, ".#", "#."},   // the picture is copied, mask ignored
        {DI_NORMAL, "##", "##"},  // mask then picture
        {0, "#.", "#."},          // nothing at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        Canvas screen(2, 1);
        PaintArt(screen, ArtRows(c.before), kWhite8, 0);
        EXPECT_TRUE(DrawIconEx(screen.Dc(), 0, 0, icon, 0, 0, 0, nullptr, c.flags));
        EXPECT_EQ(screen.Art(), ArtRows(c.after));
    }
    DestroyIcon(icon);
    DeleteObject(mask);
}

TEST(IconTest, DrawsScaledToTheRequestedSize) {
    Canvas picture(2, 2, 32);
    PaintArt(picture, ArtRows("#.\n.#\n"), kWhite32, 0);
    HBITMAP mask = MonoBitmapFromArt(ArtRows("..\n..\n"));
    HICON icon = MakeIcon(mask, picture.Bitmap());
    Canvas screen(5, 4);
    DrawIconEx(screen.Dc(), 0, 0, icon, 4, 4, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(screen.Art(), ArtRows("##...\n##...\n..##.\n..##.\n"));

    Canvas shrunk(2, 1);
    DrawIconEx(shrunk.Dc(), 0, 0, icon, 1, 1, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(shrunk.Art(), ArtRows("#.\n"));
    DestroyIcon(icon);
    DeleteObject(mask);
}

TEST(IconTest, AlphaPictureIsBlendedAndTheMaskIgnored) {
    Canvas picture(3, 1, 32);
    // Opaque white, fully transparent white, half-transparent white.
    std::uint32_t pixels[3] = {0xFFFFFFFF, 0x00FFFFFF, 0x80FFFFFF};
    std::memcpy(picture.Row(0), pixels, sizeof pixels);
    HBITMAP mask = MonoBitmapFromArt(ArtRows("...\n"));
    HICON icon = MakeIcon(mask, picture.Bitmap());
    Canvas screen(3, 1, 32);
    DrawIconEx(screen.Dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(screen.Pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(screen.Pixel(1, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(screen.Pixel(2, 0) & 0xFFFFFF, 0x808080u);
    DestroyIcon(icon);
    DeleteObject(mask);
}

TEST(IconTest, ClipsToTheBitmapTheClipRegionAndFollowsTheViewport) {
    Canvas picture(3, 3, 1);
    PaintArt(picture, ArtRows("###\n###\n###\n"), 1, 0);
    HBITMAP mask = MonoBitmapFromArt(ArtRows("...\n...\n...\n"));
    HICON icon = MakeIcon(mask, picture.Bitmap());

    Canvas corner(4, 4, 1);
    DrawIconEx(corner.Dc(), -1, -1, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(corner.Art(), ArtRows("##..\n##..\n....\n....\n"));

    Canvas clipped(4, 4);
    HRGN region = CreateRectRgn(2, 0, 4, 2);
    SelectClipRgn(clipped.Dc(), region);
    DeleteObject(region);
    SetViewportOrgEx(clipped.Dc(), 1, 0, nullptr);
    DrawIconEx(clipped.Dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(clipped.Art(), ArtRows("..##\n..##\n....\n....\n"));
    DestroyIcon(icon);
    DeleteObject(mask);
}

TEST(IconTest, FlickerFreeBrushFillsTheTransparentParts) {
    HBITMAP mask = MonoBitmapFromArt(ArtRows("#.\n..\n"));
    HICON icon = MakeIcon(mask, nullptr);  // top row AND, bottom row XOR: all black
    Canvas screen(3, 1);
    DrawIconEx(screen.Dc(), 0, 0, icon, 0, 0, 0, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
               DI_NORMAL);
    EXPECT_EQ(screen.Art(), ArtRows("#..\n"));
    DestroyIcon(icon);
    DeleteObject(mask);
}

TEST(IconTest, IconKeepsItsOwnCopiesAndHandsOutNewOnes) {
    Canvas screen(4, 2);
    std::size_t before = vareko::gdi::LiveObjectCount();
    HBITMAP mask = MonoBitmapFromArt(ArtRows("....\n....\n"));
    HBITMAP colour = MonoBitmapFromArt(ArtRows("#..#\n.##.\n"));
    ICONINFO given{TRUE, 7, 7, mask, colour};
    HICON icon = CreateIconIndirect(&given);
    ASSERT_NE(icon, nullptr);
    DeleteObject(mask);
    DeleteObject(colour);

    DrawIconEx(screen.Dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(screen.Art(), ArtRows("#..#\n.##.\n"));

    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 2u);  // icons are centred, whatever was passed
    EXPECT_EQ(info.yHotspot, 1u);
    BITMAP record{};
    ASSERT_EQ(GetObjectW(info.hbmColor, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_EQ(record.bmWidth, 4);
    EXPECT_EQ(record.bmHeight, 2);
    EXPECT_EQ(record.bmBitsPixel, 1);
    EXPECT_TRUE(DeleteObject(info.hbmMask));
    EXPECT_TRUE(DeleteObject(info.hbmColor));

    EXPECT_EQ(GetObjectType(icon), 0u);
    EXPECT_FALSE(DeleteObject(icon));
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DestroyIcon(icon));
    EXPECT_FALSE(DrawIconEx(screen.Dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(vareko::gdi::LiveObjectCount(), before);
}

TEST(IconTest, RefusesUnusableBitmaps) {
    Canvas eightBit(2, 2, 8);
    HBITMAP small = MonoBitmapFromArt(ArtRows("..\n"));
    HBITMAP wide = MonoBitmapFromArt(ArtRows("...\n...\n"));
    EXPECT_EQ(CreateIconIndirect(nullptr), nullptr);
    EXPECT_EQ(MakeIcon(nullptr, nullptr), nullptr);
    EXPECT_EQ(MakeIcon(eightBit.Bitmap(), nullptr), nullptr);  // the mask must be 1-bit
    EXPECT_EQ(MakeIcon(small, nullptr), nullptr);              // no room for two halves
    EXPECT_EQ(MakeIcon(small, wide), nullptr);                 // colour larger than the mask
    HICON icon = MakeIcon(wide, nullptr);
    Canvas screen(2, 2);
    EXPECT_FALSE(DrawIconEx(screen.Dc(), 0, 0, icon, -1, 2, 0, nullptr, DI_NORMAL));
    DestroyIcon(icon);
    DeleteObject(small);
    DeleteObject(wide);
}

}  // namespace
