// PageBase: initialisation, rendering without a surface, the display timer
// and repeated initialisation; DisplayObject defaults and routing.
#include <gtest/gtest.h>

#include "platform/gdi/handle_table.h"
#include "tests/toolkit/toolkit_test_objects.h"
#include "toolkit/page_base.h"

namespace {

using vareko::PageBase;
using vareko::platform::TestClock;
using vareko::test::PaintingObject;

TEST(DisplayObjectTest, DefaultsAndRoutingThroughTheVirtualForms) {
    PaintingObject object;
    EXPECT_EQ(object.GetSize()->cx, 0);
    EXPECT_EQ(object.GetOrigin()->x, 0);
    EXPECT_TRUE(object.IsVisible());
    EXPECT_EQ(object.GetBackgroundMode(), TRANSPARENT);
    EXPECT_EQ(object.GetObjectType(), 4);
    EXPECT_EQ(object.Initialize(), S_OK);

    object.SetSize(10, 20);
    EXPECT_EQ(object.GetExtent()->cx, 10);
    EXPECT_EQ(object.GetExtent()->cy, 20);
    object.SetExtent(50, 20);
    EXPECT_EQ(object.GetWidth(), 10);
    object.SetSize(12, 20);
    EXPECT_EQ(object.GetExtent()->cx, 12);
    object.SetOffset(0, -3);
    EXPECT_EQ(object.GetOrigin()->y, 0);
    EXPECT_EQ(object.GetOffset()->y, -3);

    // A subclass that overrides the structure forms sees the integer forms.
    struct Watching : PaintingObject {
        using PaintingObject::SetOrigin;
        using PaintingObject::SetSize;
        using PaintingObject::SetExtent;
        void SetOrigin(POINT p) override {
            ++originCalls;
            PaintingObject::SetOrigin(p);
        }
        void SetExtent(const SIZE& e) override {
            ++extentCalls;
            PaintingObject::SetExtent(e);
        }
        const SIZE* GetSize() const override { return &fixed; }
        int originCalls = 0;
        int extentCalls = 0;
        SIZE fixed{7, 9};
    } watching;
    watching.SetOrigin(1, 2);
    watching.SetSize(3, 4);
    EXPECT_EQ(watching.originCalls, 1);
    EXPECT_EQ(watching.extentCalls, 1);
    EXPECT_EQ(watching.GetWidth(), 7);
    EXPECT_EQ(watching.GetHeight(), 9);
}

TEST(PageBaseTest, InitializeGivesTheWholeDisplayWhateverWasSetBefore) {
    PageBase page;
    EXPECT_EQ(page.Render(), E_FAIL);
    EXPECT_EQ(page.GetDeviceBitmap(), nullptr);
    page.SetOrigin(5, 5);
    page.SetSize(20, 20);
    ASSERT_EQ(page.Initialize(), S_OK);
    EXPECT_EQ(page.GetOrigin()->x, 0);
    EXPECT_EQ(page.GetWidth(), 160);
    EXPECT_EQ(page.GetHeight(), 43);
    EXPECT_EQ(page.GetExtent()->cx, 160);
    EXPECT_EQ(page.Render(), S_OK);
    page.Shutdown();
    EXPECT_EQ(page.Render(), E_FAIL);
}

TEST(PageBaseTest, RepeatedInitializeLeaksNothing) {
    std::size_t before = vareko::gdi::LiveObjectCount();
    {
        PageBase page;
        for (int i = 0; i < 100; ++i) {
            ASSERT_EQ(page.Initialize(), S_OK);
            ASSERT_EQ(page.Render(), S_OK);
        }
        EXPECT_EQ(vareko::gdi::LiveObjectCount(), before + 2);  // one DC, one DIB section
    }
    EXPECT_EQ(vareko::gdi::LiveObjectCount(), before);
}

// A page whose box the surface cannot hold, and whose own Shutdown must not
// run from inside the failed initialisation.
struct OversizedPage : PageBase {
    const SIZE* GetSize() const override { return &tooWide; }
    void Shutdown() override {
        ++shutdowns;
        PageBase::Shutdown();
    }
    SIZE tooWide{161, 43};
    int shutdowns = 0;
};

TEST(PageBaseTest, FailedInitializeReleasesOnlyThePageSurface) {
    std::size_t before = vareko::gdi::LiveObjectCount();
    OversizedPage page;
    EXPECT_EQ(page.Initialize(), E_FAIL);
    EXPECT_EQ(page.shutdowns, 0);
    EXPECT_EQ(page.Render(), E_FAIL);
    EXPECT_EQ(vareko::gdi::LiveObjectCount(), before);
}

TEST(PageBaseTest, DisplayTimer) {
    TestClock clock(5000);
    PageBase page;
    EXPECT_TRUE(page.IsExpired());  // never started
    page.Advance(999999);
    EXPECT_TRUE(page.IsExpired());

    page.StartTimer(1000);
    EXPECT_FALSE(page.IsExpired());
    page.Advance(6000);
    EXPECT_FALSE(page.IsExpired());  // exactly the duration is still due
    page.Advance(6001);
    EXPECT_TRUE(page.IsExpired());

    page.StartTimer(0xFFFFFFFF);
    page.Advance(5000 + 0xFFFFFFFE);
    EXPECT_FALSE(page.IsExpired());
    page.Advance(4999);  // wrapped all the way round
    EXPECT_FALSE(page.IsExpired());
}

TEST(PageBaseTest, TimerStartedAtTickZeroStillCountsAsStarted) {
    TestClock clock(0);
    PageBase page;
    page.StartTimer(100);
    EXPECT_FALSE(page.IsExpired());
    page.Advance(50);
    EXPECT_FALSE(page.IsExpired());
    page.Advance(102);
    EXPECT_TRUE(page.IsExpired());
}

TEST(PageBaseTest, TimerWorksAcrossTheWrapOfTheTickCount) {
    TestClock clock(0xFFFFFF00u);
    PageBase page;
    page.StartTimer(0x200);
    page.Advance(0x50);  // 0x150 ms after the start
    EXPECT_FALSE(page.IsExpired());
    page.Advance(0x101);
    EXPECT_TRUE(page.IsExpired());
}

TEST(PageBaseTest, AdvanceTicksChildrenAndButtonsDoNothing) {
    PageBase page;
    PaintingObject child;
    page.AddObject(&child);
    page.Advance(77);
    page.OnButtonDown(1);
    page.OnButtonUp(8);
    EXPECT_EQ(child.ticks, 1);
    EXPECT_EQ(child.lastTick, 77u);
}

}  // namespace
