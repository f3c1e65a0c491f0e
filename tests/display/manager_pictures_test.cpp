// Icon, progress-bar and bitmap operations of the manager page and the
// display manager: the house set-up of new objects, the setters' handle and
// type-tag checks, forwarding without a current page, and ownership.
#include <gtest/gtest.h>

#include <string>

#include "display/display_manager.h"
#include "display/manager_page.h"
#include "testing/support/canvas.h"
#include "testing/support/temp_dir.h"
#include "toolkit/bitmap_object.h"
#include "toolkit/icon_object.h"
#include "toolkit/progress_bar_object.h"
#include "toolkit/text_object.h"
#include "toolkit/threshold_bitmaps.h"

namespace {

using namespace vareko;
using vareko::test::ArtRows;

class NoButtons : public ButtonSink {
  public:
    void OnButtonDown(DWORD) override {}
    void OnButtonUp(DWORD) override {}
};

// Lit pixels of row y of the rendered page.
int LitPixelsInRow(ManagerPage& page, int y) {
    page.Render();
    const DeviceBitmap* frame = page.GetDeviceBitmap();
    int lit = 0;
    for (int x = 0; x < kDisplayWidth; ++x) {
        lit += IsWhitePixel(frame->pixels[y * kDisplayWidth + x]) ? 1 : 0;
    }
    return lit;
}

class PicturePage : public ::testing::Test {
  protected:
    PicturePage() {
        page.Initialize();
        HBITMAP mask = MonoBitmapFromArt(ArtRows("..\n..\n"));
        ICONINFO info{TRUE, 0, 0, mask, picture};
        icon = CreateIconIndirect(&info);
        DeleteObject(mask);
    }
    ~PicturePage() override {
        DestroyIcon(icon);
        DeleteObject(picture);
    }

    template <class T>
    T* Object(ObjectHandle handle) {
        return dynamic_cast<T*>(page.FindObject(handle));
    }

    int LitInRow(int y) { return LitPixelsInRow(page, y); }

    NoButtons sink;
    ManagerPage page{&sink, 160, 43};
    HBITMAP picture = vareko::ThresholdBitmapFromArt(ArtRows("##\n##\n"), kWhiteThreshold);
    HICON icon = nullptr;
};

TEST_F(PicturePage, NewProgressBarIsAPageWideCursorAtZero) {
    ObjectHandle handle = page.CreateProgressBar(0);
    auto* bar = Object<ProgressBarObject>(handle);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetObjectType(), kProgressBarTag);
    EXPECT_EQ(bar->GetWidth(), 160);
    EXPECT_EQ(bar->GetHeight(), 5);
    EXPECT_EQ(bar->GetOrigin()->x, 0);
    EXPECT_EQ(bar->GetOrigin()->y, 0);
    EXPECT_EQ(bar->GetRange()[0], 0);
    EXPECT_EQ(bar->GetRange()[1], 100);
    EXPECT_EQ(bar->GetPosition(), 0.0f);
}

TEST_F(PicturePage, PageStylesMapOntoTheBarStyles) {
    // Lit pixels in the bar's rows 1 and 2 at position 50: a bar fills half
    // the box, a cursor is 5 pixels wide, the trail dots row 2.
    struct Case {
        int pageStyle;
        int row1, row2;
    };
    const Case cases[] = {
        {0, 7, 7},    // cursor
        {1, 81, 81},  // bar
        {2, 7, 45},   // cursor with trail: 39 dots (3 on, 3 off) over columns 0..76
        {7, 81, 81},  // anything else: bar
        {-1, 81, 81},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pageStyle);
        NoButtons owner;
        ManagerPage fresh{&owner, 160, 43};
        fresh.Initialize();
        ObjectHandle bar = fresh.CreateProgressBar(c.pageStyle);
        ASSERT_EQ(fresh.SetProgressPosition(bar, 50.0f), S_OK);
        EXPECT_EQ(LitPixelsInRow(fresh, 1), c.row1);
        EXPECT_EQ(LitPixelsInRow(fresh, 2), c.row2);
    }
}

TEST_F(PicturePage, ProgressSettersNeedAProgressBar) {
    ObjectHandle bar = page.CreateProgressBar(1);
    ObjectHandle text = page.CreateTextObject(TextKind::Static, SizeClass::Small, 0, 40);
    ObjectHandle bitmap = page.CreateBitmapObject();
    ObjectHandle iconObject = page.CreateIconObject(icon, 16, 16);
    ObjectHandle stranger = reinterpret_cast<ObjectHandle>(&sink);

    EXPECT_EQ(page.SetProgressPosition(bar, 150.0f), S_OK);
    EXPECT_EQ(Object<ProgressBarObject>(bar)->GetPosition(), 100.0f);  // clamped
    EXPECT_EQ(page.SetProgressSize(bar, 80, 7), S_OK);
    EXPECT_EQ(Object<ProgressBarObject>(bar)->GetWidth(), 80);
    EXPECT_EQ(Object<ProgressBarObject>(bar)->GetHeight(), 7);

    for (ObjectHandle other : {text, bitmap, iconObject, stranger, ObjectHandle{}}) {
        EXPECT_EQ(page.SetProgressPosition(other, 10.0f), E_FAIL);
        EXPECT_EQ(page.SetProgressSize(other, 10, 10), E_FAIL);
    }
    EXPECT_EQ(Object<TextObject>(text)->GetWidth(), 40);
}

TEST_F(PicturePage, NewIconObjectHasTheIconsSizeAndTag) {
    ObjectHandle handle = page.CreateIconObject(icon, 16, 16);
    auto* object = Object<IconObject>(handle);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->GetObjectType(), kIconTag);
    EXPECT_EQ(object->GetWidth(), 16);
    EXPECT_EQ(object->GetHeight(), 16);
    EXPECT_EQ(object->GetIcon(), icon);
    EXPECT_EQ(LitInRow(15), 16);  // drawn at 16 x 16 from its 2 x 2 picture
}

TEST_F(PicturePage, BitmapsGoOnlyToBitmapObjects) {
    ObjectHandle bitmap = page.CreateBitmapObject();
    auto* object = Object<BitmapObject>(bitmap);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->GetObjectType(), kOtherObjectTag);
    EXPECT_EQ(object->GetWidth(), 0);  // no operation sizes it, so it shows nothing
    EXPECT_EQ(page.SetObjectBitmap(bitmap, picture), S_OK);
    EXPECT_EQ(object->GetBitmap(), picture);
    EXPECT_EQ(LitInRow(0), 0);

    EXPECT_EQ(page.SetObjectBitmap(bitmap, nullptr), E_FAIL);
    EXPECT_EQ(object->GetBitmap(), picture);
    EXPECT_EQ(page.SetObjectBitmap(reinterpret_cast<ObjectHandle>(&sink), picture), S_OK);

    // Objects of other kinds are refused rather than written through the
    // wrong class.
    ObjectHandle text = page.CreateTextObject(TextKind::Static, SizeClass::Small, 0, 40);
    ObjectHandle streaming = page.CreateTextObject(TextKind::Streaming, SizeClass::Small, 0, 40);
    ObjectHandle bar = page.CreateProgressBar(0);
    ObjectHandle iconObject = page.CreateIconObject(icon, 16, 16);
    for (ObjectHandle other : {text, streaming, bar, iconObject}) {
        EXPECT_EQ(page.SetObjectBitmap(other, picture), E_FAIL);
    }
    EXPECT_STREQ(Object<TextObject>(text)->GetText(), L" ");
}

TEST(ManagerPicturesOwnershipTest, PageDeletesItsObjectsButNotThePictures) {
    HBITMAP picture = vareko::ThresholdBitmapFromArt(ArtRows("#.\n"), kWhiteThreshold);
    HBITMAP mask = MonoBitmapFromArt(ArtRows("..\n"));
    ICONINFO info{TRUE, 0, 0, mask, picture};
    HICON icon = CreateIconIndirect(&info);
    {
        NoButtons sink;
        ManagerPage page{&sink, 160, 43};
        page.Initialize();
        page.SetObjectBitmap(page.CreateBitmapObject(), picture);
        page.CreateIconObject(icon, 2, 1);
        page.CreateProgressBar(2);  // owns its dotted pen
    }
    BITMAP record{};
    EXPECT_EQ(GetObjectW(picture, sizeof record, &record), static_cast<int>(sizeof record));
    ICONINFO still{};
    ASSERT_TRUE(GetIconInfo(icon, &still));
    DeleteObject(still.hbmMask);
    DeleteObject(still.hbmColor);
    EXPECT_TRUE(DestroyIcon(icon));
    DeleteObject(mask);
    DeleteObject(picture);
}

class ManagerPicturesTest : public ::testing::Test {
  protected:
    // An empty registry: the device library is not found, which leaves the
    // manager usable without a device.
    vareko::testing::TempDir registry;
    vareko::testing::ScopedEnv root{"VAREKO_REGISTRY_ROOT", registry.Path().c_str()};
};

TEST_F(ManagerPicturesTest, OperationsGoToTheCurrentPage) {
    DisplayManager manager(L"pictures", 160, 43);
    ObjectHandle bar = manager.CreateProgressBar(1);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(manager.SetProgressPosition(bar, 30.0f), S_OK);
    EXPECT_EQ(manager.SetProgressSize(bar, 50, 5), S_OK);
    ObjectHandle bitmap = manager.CreateBitmapObject();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(manager.SetObjectBitmap(bitmap, nullptr), E_FAIL);
    EXPECT_NE(manager.CreateIconObject(nullptr, 16, 16), nullptr);

    // A handle of page 0 is not found on page 1.
    manager.AddPage();
    ASSERT_EQ(manager.SelectPage(1), 1);
    EXPECT_EQ(manager.SetProgressPosition(bar, 30.0f), E_FAIL);
}

TEST_F(ManagerPicturesTest, WithoutACurrentPageNothingIsCreatedOrSet) {
    DisplayManager manager(L"pictures", 160, 43);
    ObjectHandle bar = manager.CreateProgressBar(0);
    ObjectHandle bitmap = manager.CreateBitmapObject();
    ASSERT_EQ(manager.RemovePage(0), 0);  // no page left, none current
    HBITMAP picture = vareko::ThresholdBitmapFromArt(ArtRows("#\n"), kWhiteThreshold);
    EXPECT_EQ(manager.CreateIconObject(nullptr, 16, 16), nullptr);
    EXPECT_EQ(manager.CreateProgressBar(0), nullptr);
    EXPECT_EQ(manager.CreateBitmapObject(), nullptr);
    EXPECT_EQ(manager.SetProgressPosition(bar, 1.0f), E_FAIL);
    EXPECT_EQ(manager.SetProgressSize(bar, 1, 1), E_FAIL);
    EXPECT_EQ(manager.SetObjectBitmap(bitmap, picture), E_FAIL);
    DeleteObject(picture);
}

}  // namespace
