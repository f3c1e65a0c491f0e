// BitBlt from monochrome bitmaps, which combines whole words of pixels: random
// bitmaps, boxes, offsets, clips and raster operations, into 1-bit and 8-bit
// destinations, against a pixel-by-pixel model of the operation's truth table.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/win32.h"
#include "testing/support/canvas.h"

namespace {

using vareko::test::Canvas;

struct Bits {
    int width, height;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

Bits Snapshot(const Canvas& canvas) {
    Bits bits{canvas.Width(), canvas.Height(), {}};
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            bits.pixels.push_back(canvas.Pixel(x, y));
        }
    }
    return bits;
}

void Scramble(Canvas& canvas, std::mt19937& random) {
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int i = 0; i < canvas.StrideBytes(); ++i) {
            canvas.Row(y)[i] = static_cast<std::uint8_t>(random());
        }
    }
}

struct Blit {
    int x, y, width, height, sourceX, sourceY;
    BYTE rop3;
    std::uint32_t pattern;  // the brush's bit
    RECT clip;              // destination pixels that may change
};

// The operation's truth table applied bit by bit to pixel values.
std::uint32_t Combine(BYTE rop3, std::uint32_t pattern, std::uint32_t source, std::uint32_t destination) {
    std::uint32_t result = 0;
    for (int bit = 0; bit < 8; ++bit) {
        const unsigned index = ((pattern >> bit) & 1u) << 2 | ((source >> bit) & 1u) << 1 |
                               ((destination >> bit) & 1u);
        result |= ((rop3 >> index) & 1u) << bit;
    }
    return result;
}

// What a source bit and the brush's bit become in the destination.
struct Translation {
    std::uint32_t values[2];  // for a 0 and a 1
    std::uint32_t pixelMask;
};
// A 1-bit destination keeps the bits; in an 8-bit one black and white are the
// first black and the first white entry of the threshold table, 0 and 129.
constexpr Translation kIntoMono{{0, 1}, 1};
constexpr Translation kIntoIndex8{{0, 129}, 0xFF};

// Every destination pixel inside the box, the clip and the destination, whose
// source pixel exists (or that an operation without source reaches), becomes
// f(pattern, source, destination).
Bits Expected(const Bits& destination, const Bits& source, const Blit& b,
              const Translation& into = kIntoMono) {
    const bool usesSource = ((b.rop3 >> 2) & 0x33) != (b.rop3 & 0x33);
    Bits out = destination;
    for (int y = 0; y < destination.height; ++y) {
        for (int x = 0; x < destination.width; ++x) {
            const int sx = x - b.x + b.sourceX;
            const int sy = y - b.y + b.sourceY;
            if (x < b.x || x >= b.x + b.width || y < b.y || y >= b.y + b.height || x < b.clip.left ||
                x >= b.clip.right || y < b.clip.top || y >= b.clip.bottom) {
                continue;
            }
            const bool sourceExists = sx >= 0 && sx < source.width && sy >= 0 && sy < source.height;
            if (usesSource && !sourceExists) {
                continue;
            }
            const std::uint32_t s = into.values[sourceExists ? source.At(sx, sy) : 0];
            out.pixels[static_cast<std::size_t>(y * destination.width + x)] =
                Combine(b.rop3, into.values[b.pattern], s, destination.At(x, y)) & into.pixelMask;
        }
    }
    return out;
}

Blit RandomBlit(std::mt19937& random, int width, int height, int sourceWidth, int sourceHeight) {
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    constexpr BYTE kRops[] = {0xCC, 0xCC, 0xCC, 0x33, 0x88, 0xEE, 0x66, 0x44, 0xBB, 0xC0, 0xB8, 0xE2};
    Blit b{};
    b.x = between(-8, width);
    b.y = between(-2, height);
    b.width = between(1, width + 16);
    b.height = between(1, height + 2);
    b.sourceX = between(-8, sourceWidth);
    b.sourceY = between(-2, sourceHeight);
    b.rop3 = between(0, 3) == 0 ? static_cast<BYTE>(between(0, 255)) : kRops[between(0, 11)];
    b.pattern = static_cast<std::uint32_t>(between(0, 1));
    b.clip = RECT{0, 0, width, height};
    if (between(0, 2) == 0) {
        b.clip.left = between(0, width);
        b.clip.right = between(b.clip.left, width);
    }
    return b;
}

void RunBlit(Canvas& destination, const Canvas& source, const Blit& b) {
    SelectObject(destination.Dc(), GetStockObject(b.pattern != 0 ? WHITE_BRUSH : BLACK_BRUSH));
    HRGN clip = CreateRectRgn(b.clip.left, b.clip.top, b.clip.right, b.clip.bottom);
    SelectClipRgn(destination.Dc(), clip);
    DeleteObject(clip);
    const DWORD rop = static_cast<DWORD>(b.rop3) << 16;
    ASSERT_TRUE(BitBlt(destination.Dc(), b.x, b.y, b.width, b.height, source.Dc(), b.sourceX,
                       b.sourceY, rop));
    SelectClipRgn(destination.Dc(), nullptr);
}

std::string Describe(const Blit& b, int width, int sourceWidth) {
    return "box " + std::to_string(b.x) + "," + std::to_string(b.y) + " " + std::to_string(b.width) +
           "x" + std::to_string(b.height) + " from " + std::to_string(b.sourceX) + "," +
           std::to_string(b.sourceY) + " rop3 " + std::to_string(b.rop3) + " clip x " +
           std::to_string(b.clip.left) + ".." + std::to_string(b.clip.right) + " widths " +
           std::to_string(width) + "/" + std::to_string(sourceWidth);
}

TEST(GdiMonoBlitTest, BetweenTwoBitmapsMatchesThePixelModel) {
    std::mt19937 random(160043);
    for (int trial = 0; trial < 3000 && !HasFailure(); ++trial) {
        const int width = std::uniform_int_distribution<int>(1, 200)(random);
        const int sourceWidth = std::uniform_int_distribution<int>(1, 200)(random);
        const int height = std::uniform_int_distribution<int>(1, 4)(random);
        const bool topDown = (trial & 1) != 0;
        Canvas destination(width, height, 1, topDown);
        Canvas source(sourceWidth, 3, 1, !topDown);
        Scramble(destination, random);
        Scramble(source, random);
        const Blit b = RandomBlit(random, width, height, sourceWidth, 3);
        const Bits expected = Expected(Snapshot(destination), Snapshot(source), b);
        RunBlit(destination, source, b);
        EXPECT_EQ(Snapshot(destination).pixels, expected.pixels) << Describe(b, width, sourceWidth);
    }
}

TEST(GdiMonoBlitTest, IntoEightBitsMatchesThePixelModel) {
    std::mt19937 random(2026);
    for (int trial = 0; trial < 2000 && !HasFailure(); ++trial) {
        const int width = std::uniform_int_distribution<int>(1, 100)(random);
        const int sourceWidth = std::uniform_int_distribution<int>(1, 200)(random);
        Canvas destination(width, 3, 8);
        Canvas source(sourceWidth, 3, 1, (trial & 1) != 0);
        Scramble(destination, random);
        Scramble(source, random);
        const Blit b = RandomBlit(random, width, 3, sourceWidth, 3);
        const Bits expected = Expected(Snapshot(destination), Snapshot(source), b, kIntoIndex8);
        RunBlit(destination, source, b);
        EXPECT_EQ(Snapshot(destination).pixels, expected.pixels) << Describe(b, width, sourceWidth);
    }
}

TEST(GdiMonoBlitTest, WithinOneBitmapReadsEverySourcePixelBeforeItIsOverwritten) {
    std::mt19937 random(6880);
    for (int trial = 0; trial < 1000 && !HasFailure(); ++trial) {
        const int width = std::uniform_int_distribution<int>(1, 150)(random);
        Canvas canvas(width, 4, 1);
        Scramble(canvas, random);
        Blit b = RandomBlit(random, width, 4, width, 4);
        b.rop3 = 0xCC;  // SRCCOPY: the source must be read as it was before the copy
        const Bits before = Snapshot(canvas);
        const Bits expected = Expected(before, before, b);
        RunBlit(canvas, canvas, b);
        EXPECT_EQ(Snapshot(canvas).pixels, expected.pixels) << Describe(b, width, width);
    }
}

}  // namespace
