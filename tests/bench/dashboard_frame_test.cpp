// The benchmark's dashboard frame: it must draw what it claims to time, on
// our engine and on the system's GDI alike (the Windows build runs this too).
#include "bench/raster/dashboard_frame.h"

#include <gtest/gtest.h>

#include <string>

#include "app/dashboard_pages.h"
#include "display/devicelink/device_bitmap.h"

namespace vareko::bench {
namespace {

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(frame.IsReady());
        bitmap = frame.Render();
        ASSERT_NE(bitmap, nullptr);
    }
    // Pixels outside the panel count as dark: a label's probe box near the
    // bottom edge reaches below the last row.
    bool Lit(int x, int y) const {
        if (x < 0 || x >= 160 || y < 0 || y >= 43) return false;
        return bitmap->pixels[y * 160 + x] >= 129;
    }
    int LitIn(const RECT& r) const {
        int count = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) count += Lit(x, y) ? 1 : 0;
        }
        return count;
    }
    std::string Art(const RECT& r) const {
        std::string art;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) art += Lit(x, y) ? '#' : '.';
            art += '\n';
        }
        return art;
    }

    DashboardFrame frame;
    const DeviceBitmap* bitmap = nullptr;
};

TEST_F(FrameTest, EveryLabelShowsText) {
    EXPECT_EQ(bitmap->format, 1u);
    for (const PageObjectRow& row : kFlightPageRows) {
        if (row.label == nullptr) continue;
        const RECT start{row.x, row.y, row.x + 8, row.y + 12};
        EXPECT_GT(LitIn(start), 0) << "no text at " << row.x << "," << row.y << "\n"
                                   << Art(RECT{0, 0, 160, 43});
    }
}

TEST_F(FrameTest, BarIsFilledUpToItsPosition) {
    // 62 of 0..100 over 160 columns: columns 0..98 filled, then the frame.
    const int middle = (DashboardFrame::kBarBox.top + DashboardFrame::kBarBox.bottom) / 2;
    EXPECT_TRUE(Lit(98, middle));
    EXPECT_FALSE(Lit(100, middle));
    EXPECT_TRUE(Lit(159, middle));
    EXPECT_TRUE(Lit(130, DashboardFrame::kBarBox.top));
}

TEST_F(FrameTest, IconAndBitmapArePainted) {
    const RECT& icon = DashboardFrame::kIconBox;
    const std::string art = Art(icon);
    EXPECT_TRUE(Lit(icon.left + 1, icon.top + 1)) << art;    // the icon's frame
    EXPECT_TRUE(Lit(icon.left + 7, icon.top + 4)) << art;    // the cross
    EXPECT_FALSE(Lit(icon.left + 3, icon.top + 4)) << art;   // between them
    EXPECT_FALSE(Lit(icon.left, icon.top + 4)) << art;       // the transparent border
    // Stripes with two set bits per byte; set bits of a monochrome source
    // become black, so three quarters of the bitmap's box are white.
    const RECT& box = DashboardFrame::kBitmapBox;
    EXPECT_EQ(LitIn(box), (box.right - box.left) * (box.bottom - box.top) * 3 / 4) << Art(box);
}

}  // namespace
}  // namespace vareko::bench
