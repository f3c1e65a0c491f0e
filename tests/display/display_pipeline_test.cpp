// The whole display path: pages built through the display manager, the
// library found through a registry made by the test, the exact frame and
// priority arriving at the library, and soft buttons coming back as edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "display/display_manager.h"
#include "tests/display/link_fixture.h"
#include "testing/support/frame_art.h"

namespace {

using namespace vareko;
using vareko::testing::LinkFixture;

class NoButtons : public ButtonSink {
public:
    void OnButtonDown(DWORD) override {}
    void OnButtonUp(DWORD) override {}
};

// A page built the same way outside any manager, as the expected frame.
struct ReferencePage {
    NoButtons sink;
    ManagerPage page{&sink, 160, 43};

    ReferencePage() { page.Initialize(); }
    void AddText(TextKind kind, SizeClass sizeClass, int width, int x, int y, const wchar_t* text) {
        ObjectHandle handle = page.CreateTextObject(kind, sizeClass, 0, width);
        page.SetObjectOrigin(handle, x, y);
        page.SetObjectText(handle, text);
    }
    DeviceBitmap Frame() {
        page.Advance(GetTickCount());
        page.Render();
        return *page.GetDeviceBitmap();
    }
};

bool SameFrame(const DeviceBitmap& a, const DeviceBitmap& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class DisplayPipelineTest : public LinkFixture {
public:
    platform::TestClock clock{10000};

    // Page 1 with one medium text "RPM 97" at (10, 15); page 0 selected again.
    // Returns the text's handle, null when the page could not be added.
    static ObjectHandle AddEnginePage(DisplayManager& manager) {
        if (manager.AddPage() != 2 || manager.SelectPage(1) != 1) return nullptr;
        ObjectHandle rpm = manager.CreateTextObject(TextKind::Static, SizeClass::Medium, 0, 100);
        manager.SetObjectOrigin(rpm, 10, 15);
        manager.SetObjectText(rpm, L"RPM 97");
        return manager.SelectPage(0) == 1 ? rpm : nullptr;
    }
};

TEST_F(DisplayPipelineTest, FramesAndButtonsTravelThroughTheLibrary) {
    DisplayManager manager(L"VAREKO v1.2   Rin_Tavosh", 160, 43);
    ObjectHandle speed = manager.CreateTextObject(TextKind::Static, SizeClass::Large, 0, 80);
    manager.SetObjectOrigin(speed, 4, 2);
    manager.SetObjectText(speed, L"412");
    ObjectHandle unit = manager.CreateTextObject(TextKind::Static, SizeClass::Small, 0, 40);
    manager.SetObjectOrigin(unit, 100, 30);
    manager.SetObjectText(unit, L"km/h");
    ObjectHandle rpm = AddEnginePage(manager);
    ASSERT_NE(rpm, nullptr);

    ReferencePage flight;
    flight.AddText(TextKind::Static, SizeClass::Large, 80, 4, 2, L"412");
    flight.AddText(TextKind::Static, SizeClass::Small, 40, 100, 30, L"km/h");
    ReferencePage engine;
    engine.AddText(TextKind::Static, SizeClass::Medium, 100, 10, 15, L"RPM 97");
    DeviceBitmap flightFrame = flight.Frame();
    DeviceBitmap engineFrame = engine.Frame();
    ASSERT_GT(test::WhiteCount(flightFrame), 0);
    ASSERT_FALSE(SameFrame(flightFrame, engineFrame));

    manager.Update();
    EXPECT_EQ(library.Calls().back(), "buttons 30");
    EXPECT_EQ(library.LastBitmap().format, kDeviceBitmapFormat);
    EXPECT_TRUE(SameFrame(library.LastBitmap(), flightFrame));
    EXPECT_NE(std::find(library.Calls().begin(), library.Calls().end(), "update 30 128"),
              library.Calls().end());

    // Another priority and the other page.
    manager.SetPriority(200);
    ASSERT_EQ(manager.ShowPage(1), 1);
    library.TakeCalls();
    manager.Update();
    EXPECT_EQ(library.TakeCalls(), (std::vector<std::string>{"update 30 200", "buttons 30"}));
    EXPECT_TRUE(SameFrame(library.LastBitmap(), engineFrame));

    // A text change on the shown page reaches the next frame.
    ASSERT_EQ(manager.SetObjectText(rpm, L"RPM 98"), S_OK);
    manager.Update();
    EXPECT_FALSE(SameFrame(library.LastBitmap(), engineFrame));

    // Soft button 3 (bit 4) pressed and let go, as the dashboard polls it.
    library.SetButtons(0x4);
    manager.Update();
    EXPECT_EQ(manager.IsButtonPressed(2), 1);
    EXPECT_EQ(manager.IsButtonReleased(2), 0);
    manager.Update();
    EXPECT_EQ(manager.IsButtonPressed(2), 0);
    library.SetButtons(0x0);
    manager.Update();
    EXPECT_EQ(manager.IsButtonReleased(2), 1);
    manager.Update();
    EXPECT_EQ(manager.IsButtonReleased(2), 0);
}

// Only the shown page is advanced. A low-fuel warning on the flight page must
// be back in its box in the first frame after the engine page was shown for
// ten minutes, pixel for pixel as a flight page that was shown all along.
TEST_F(DisplayPipelineTest, StreamingWarningIsInItsBoxInTheFirstFrameBack) {
    constexpr const wchar_t* kWarning = L"WARNING LOW PETROL ";
    DisplayManager manager(L"VAREKO v1.2   Rin_Tavosh", 160, 43);
    ObjectHandle warning = manager.CreateTextObject(TextKind::Streaming, SizeClass::Small, 0, 80);
    manager.SetObjectOrigin(warning, 80, 30);
    manager.SetObjectText(warning, kWarning);
    ASSERT_NE(AddEnginePage(manager), nullptr);
    ReferencePage flight;
    flight.AddText(TextKind::Streaming, SizeClass::Small, 80, 80, 30, kWarning);

    DeviceBitmap shownAllAlong{};
    auto second = [&] {
        clock.Advance(1000);
        manager.Update();
        shownAllAlong = flight.Frame();
    };
    for (int i = 0; i < 5; ++i) second();
    ASSERT_TRUE(SameFrame(library.LastBitmap(), shownAllAlong)) << "the warning streams in step";

    ASSERT_EQ(manager.ShowPage(1), 1);
    for (int i = 0; i < 600; ++i) second();
    ASSERT_FALSE(SameFrame(library.LastBitmap(), shownAllAlong));
    ASSERT_EQ(manager.ShowPage(0), 1);
    manager.Update();
    EXPECT_TRUE(SameFrame(library.LastBitmap(), shownAllAlong));
    EXPECT_GT(test::WhiteCount(library.LastBitmap()), 0);
}

}  // namespace
