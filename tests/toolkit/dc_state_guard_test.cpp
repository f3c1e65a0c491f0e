// DcStateGuard: everything a draw changes comes back when the guard ends,
// whatever the order of the changes, and a change the DC refuses is
// reported and leaves nothing to put back. Plain Win32 calls, so the
// Windows build runs it too.
#include "toolkit/dc_state_guard.h"

#include <gtest/gtest.h>

#include <array>

namespace vareko {
namespace {

// A memory DC on a 16 x 16 bitmap holding known stock objects: the fixed
// font and the black pen; the probes are the GUI font and the white pen.
class GuardedDc : public ::testing::Test {
protected:
    void SetUp() override {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateBitmap(16, 16, 1, 1, nullptr);
        ASSERT_NE(SelectObject(dc, bitmap), nullptr);
        ASSERT_NE(SelectObject(dc, fonts[0]), nullptr);
        ASSERT_NE(SelectObject(dc, pens[0]), nullptr);
        SetBkMode(dc, OPAQUE);
        SetTextColor(dc, RGB(1, 2, 3));
    }
    void TearDown() override {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }

    // The object of that kind the DC holds, found by selecting another.
    HGDIOBJ Held(HGDIOBJ probe) {
        HGDIOBJ held = SelectObject(dc, probe);
        SelectObject(dc, held);
        return held;
    }
    void ExpectUntouched() {
        EXPECT_EQ(Held(fonts[1]), fonts[0]);
        EXPECT_EQ(Held(pens[1]), pens[0]);
        EXPECT_EQ(GetBkMode(dc), OPAQUE);
        EXPECT_EQ(GetMapMode(dc), MM_TEXT);
        EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
        POINT origin{-1, -1};
        GetViewportOrgEx(dc, &origin);
        EXPECT_EQ(origin.x, 0);
        EXPECT_EQ(origin.y, 0);
        RECT clip{};
        EXPECT_EQ(GetClipBox(dc, &clip), SIMPLEREGION);
        EXPECT_EQ(clip.right - clip.left, 16);
        EXPECT_EQ(clip.bottom - clip.top, 16);
    }

    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    const std::array<HGDIOBJ, 2> fonts{GetStockObject(SYSTEM_FIXED_FONT), GetStockObject(DEFAULT_GUI_FONT)};
    const std::array<HGDIOBJ, 2> pens{GetStockObject(BLACK_PEN), GetStockObject(WHITE_PEN)};
};

TEST_F(GuardedDc, EveryChangeComesBackWhenTheGuardEnds) {
    HRGN region = CreateRectRgn(2, 2, 5, 5);
    {
        DcStateGuard state(dc);
        EXPECT_EQ(state.Select(fonts[1]), S_OK);
        EXPECT_EQ(state.Select(pens[1]), S_OK);
        EXPECT_EQ(state.Select(pens[0]), S_OK);  // a second pen: the first one still comes back
        EXPECT_EQ(state.Select(GetStockObject(WHITE_BRUSH)), S_OK);
        EXPECT_EQ(state.SetBackgroundMode(TRANSPARENT), S_OK);
        EXPECT_EQ(state.SetBackgroundMode(OPAQUE), S_OK);
        EXPECT_EQ(state.SetTextColour(RGB(255, 255, 255)), S_OK);
        EXPECT_EQ(state.SetClip(region), S_OK);
        EXPECT_EQ(state.SetViewportOrigin(3, 4), S_OK);
        EXPECT_EQ(state.OffsetViewportOrigin(1, 1), S_OK);
        EXPECT_EQ(Held(fonts[0]), fonts[1]);
        POINT origin{};
        GetViewportOrgEx(dc, &origin);
        EXPECT_EQ(origin.x, 4);
        EXPECT_EQ(origin.y, 5);
    }
    ExpectUntouched();
    DeleteObject(region);
}

TEST_F(GuardedDc, RefusedChangesAreReportedAndLeaveNothingToPutBack) {
    HDC other = CreateCompatibleDC(nullptr);
    HBITMAP taken = CreateBitmap(4, 4, 1, 1, nullptr);
    const HGDIOBJ otherPrevious = SelectObject(other, taken);
    HRGN region = CreateRectRgn(0, 0, 1, 1);
    {
        DcStateGuard state(dc);
        EXPECT_EQ(state.Select(nullptr), E_FAIL);
        EXPECT_EQ(state.Select(taken), E_FAIL);  // another DC holds it
        EXPECT_EQ(state.Select(region), E_INVALIDARG);
        EXPECT_EQ(state.SetBackgroundMode(99), E_FAIL);
        EXPECT_EQ(state.SetMapMode(0), E_FAIL);
        for (std::size_t i = 0; i < DcStateGuard::kMaxSelections; ++i) {
            EXPECT_EQ(state.Select(fonts[i % 2]), S_OK);
        }
        EXPECT_EQ(state.Select(pens[1]), E_OUTOFMEMORY);
        EXPECT_EQ(Held(pens[0]), pens[0]);  // the refused pen was never selected
    }
    ExpectUntouched();
    SelectObject(other, otherPrevious);
    DeleteDC(other);
    DeleteObject(taken);
    DeleteObject(region);
}

}  // namespace
}  // namespace vareko
