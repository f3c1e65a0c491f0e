// Property check: random sequences of primitives, in every format and
// orientation, under random clip regions and viewport origins, never change a
// pixel outside the clip region, nor a padding bit or byte of any row. Writes
// outside the pixel memory itself are caught by the sanitizer build.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "platform/gdi/dc_state.h"
#include "platform/win32.h"
#include "testing/support/canvas.h"

namespace {

using vareko::test::Canvas;

constexpr int kFormats[] = {1, 8, 32};
constexpr DWORD kRops[] = {SRCCOPY,  SRCPAINT,  SRCAND,    SRCINVERT, SRCERASE,  NOTSRCCOPY,
                           NOTSRCERASE, MERGECOPY, MERGEPAINT, PATCOPY, PATPAINT, PATINVERT,
                           DSTINVERT, BLACKNESS, WHITENESS, 0x00A000C9 /* pattern AND dest */};
constexpr int kPenStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL};

class Random {
public:
    explicit Random(unsigned seed) : engine_(seed) {}
    int Between(int low, int high) {  // inclusive
        return std::uniform_int_distribution<int>(low, high)(engine_);
    }
    COLORREF Colour() { return static_cast<COLORREF>(Between(0, 0xFFFFFF)); }
    template <class T, std::size_t N>
    T Pick(const T (&items)[N]) {
        return items[static_cast<std::size_t>(Between(0, static_cast<int>(N) - 1))];
    }

private:
    std::mt19937 engine_;
};

struct Scene {
    std::unique_ptr<Canvas> canvas;
    int bits;
    RECT clip;  // device coordinates, as selected
};

Scene MakeScene(Random& random) {
    Scene scene;
    scene.bits = random.Pick(kFormats);
    scene.canvas = std::make_unique<Canvas>(random.Between(1, 37), random.Between(1, 13), scene.bits,
                                            random.Between(0, 1) == 1);
    Canvas& c = *scene.canvas;
    for (int i = 0; i < c.StrideBytes() * c.Height(); ++i) {
        c.Memory()[i] = static_cast<std::uint8_t>(random.Between(0, 255));
    }
    int l = random.Between(-5, c.Width() + 5), r = random.Between(-5, c.Width() + 5);
    int t = random.Between(-5, c.Height() + 5), b = random.Between(-5, c.Height() + 5);
    scene.clip = RECT{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
    HRGN region = CreateRectRgn(scene.clip.left, scene.clip.top, scene.clip.right, scene.clip.bottom);
    SelectClipRgn(c.Dc(), region);
    DeleteObject(region);
    SetViewportOrgEx(c.Dc(), random.Between(-20, 20), random.Between(-10, 10), nullptr);
    SetBkMode(c.Dc(), random.Between(0, 1) ? OPAQUE : TRANSPARENT);
    SetBkColor(c.Dc(), random.Colour());
    SetTextColor(c.Dc(), random.Colour());
    return scene;
}

void RandomPrimitive(Random& random, Scene& scene, Canvas& other) {
    HDC dc = scene.canvas->Dc();
    auto coordinate = [&] { return random.Between(-45, 45); };
    RECT rect{coordinate(), coordinate(), coordinate(), coordinate()};
    switch (random.Between(0, 8)) {
        case 0: {
            HBRUSH brush = CreateSolidBrush(random.Colour());
            FillRect(dc, &rect, brush);
            DeleteObject(brush);
            break;
        }
        case 1: {
            HBRUSH brush = CreateSolidBrush(random.Colour());
            FrameRect(dc, &rect, brush);
            DeleteObject(brush);
            break;
        }
        case 2:
            InvertRect(dc, &rect);
            break;
        case 3:
            SetPixel(dc, coordinate(), coordinate(), random.Colour());
            break;
        case 4: {
            HPEN pen = CreatePen(random.Pick(kPenStyles), 1, random.Colour());
            HGDIOBJ old = SelectObject(dc, pen);
            MoveToEx(dc, coordinate(), coordinate(), nullptr);
            for (int i = random.Between(1, 4); i > 0; --i) {
                LineTo(dc, coordinate(), coordinate());
            }
            SelectObject(dc, old);
            DeleteObject(pen);
            break;
        }
        case 5: {
            HBRUSH brush = CreateSolidBrush(random.Colour());
            HGDIOBJ old = SelectObject(dc, brush);
            PatBlt(dc, rect.left, rect.top, rect.right, rect.bottom, random.Pick(kRops) & 0xFF00FF);
            SelectObject(dc, old);
            DeleteObject(brush);
            break;
        }
        case 6: {
            HDC source = random.Between(0, 3) == 0 ? dc : other.Dc();
            BitBlt(dc, rect.left, rect.top, random.Between(-2, 40), random.Between(-2, 20), source,
                   coordinate(), coordinate(), random.Pick(kRops));
            break;
        }
        case 7: {
            std::uint8_t bits[3 * 20];
            for (std::uint8_t& b : bits) {
                b = static_cast<std::uint8_t>(random.Between(0, 255));
            }
            vareko::gdi::GlyphMask mask{bits, random.Between(0, 24), random.Between(0, 20), 3};
            vareko::gdi::PaintMask(*vareko::gdi::LookupDc(dc), coordinate(), coordinate(), mask,
                                   random.Colour());
            break;
        }
        default:
            vareko::gdi::FillLogicalRect(*vareko::gdi::LookupDc(dc), rect, random.Colour());
            break;
    }
}

// Every bit of the pixel memory that does not belong to a pixel inside the
// clip must be as it was.
void ExpectOnlyClipChanged(const Scene& scene, const std::vector<std::uint8_t>& before,
                           int iteration) {
    const Canvas& c = *scene.canvas;
    std::vector<std::uint8_t> allowed(before.size(), 0);  // bits that may change
    for (int y = std::max(0, static_cast<int>(scene.clip.top));
         y < std::min(c.Height(), static_cast<int>(scene.clip.bottom)); ++y) {
        std::ptrdiff_t rowOffset = c.Row(y) - c.Memory();
        for (int x = std::max(0, static_cast<int>(scene.clip.left));
             x < std::min(c.Width(), static_cast<int>(scene.clip.right)); ++x) {
            if (scene.bits == 1) {
                allowed[static_cast<std::size_t>(rowOffset + x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
            } else {
                int bytes = scene.bits / 8;
                for (int k = 0; k < bytes; ++k) {
                    allowed[static_cast<std::size_t>(rowOffset + x * bytes + k)] = 0xFF;
                }
            }
        }
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        std::uint8_t changed = static_cast<std::uint8_t>(before[i] ^ c.Memory()[i]);
        ASSERT_EQ(changed & ~allowed[i], 0)
            << "iteration " << iteration << ": byte " << i << " of a " << c.Width() << " x "
            << c.Height() << " " << scene.bits << "-bit bitmap, clip " << scene.clip.left << ","
            << scene.clip.top << "-" << scene.clip.right << "," << scene.clip.bottom;
    }
}

TEST(GdiContainmentTest, RandomPrimitivesStayInsideTheClipAndTheBitmap) {
    Random random(20261208);
    for (int iteration = 0; iteration < 10000; ++iteration) {
        Scene scene = MakeScene(random);
        Canvas other(random.Between(1, 30), random.Between(1, 12), random.Pick(kFormats),
                     random.Between(0, 1) == 1);
        SetViewportOrgEx(other.Dc(), random.Between(-5, 5), random.Between(-5, 5), nullptr);
        const Canvas& c = *scene.canvas;
        std::size_t bytes = static_cast<std::size_t>(c.StrideBytes()) * c.Height();
        for (int step = 0; step < 4; ++step) {
            std::vector<std::uint8_t> before(c.Memory(), c.Memory() + bytes);
            RandomPrimitive(random, scene, other);
            ExpectOnlyClipChanged(scene, before, iteration);
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}

}  // namespace
