// Display manager: set-up once only, page indices, the update cycle with
// its first open, the connection record, and button edges as the
// application polls them.
#include <gtest/gtest.h>

#include "display/display_manager.h"
#include "tests/display/link_fixture.h"

namespace {

using namespace vareko;
using vareko::testing::LinkEntry;
using vareko::testing::LinkFixture;
using Calls = std::vector<std::string>;

constexpr const wchar_t* kTitle = L"VAREKO test";

class DisplayManagerTest : public LinkFixture {
public:
    platform::TestClock clock{5000};

    ObjectHandle AddText(DisplayManager& manager) {
        return manager.CreateTextObject(TextKind::Static, SizeClass::Medium, 0, 40);
    }
};

TEST_F(DisplayManagerTest, InitialisesOnceOnly) {
    DisplayManager manager;
    ASSERT_EQ(manager.Initialize(kTitle, 0, 0, nullptr, 160, 43), S_OK);
    EXPECT_EQ(manager.GetPageCount(), 1);
    ObjectHandle text = AddText(manager);
    ASSERT_NE(text, nullptr);

    EXPECT_EQ(manager.Initialize(kTitle, 0, 0, nullptr, 160, 43), E_FAIL);
    EXPECT_EQ(manager.GetPageCount(), 1);
    EXPECT_EQ(manager.SetObjectText(text, L"kept"), S_OK);

    // Also with every page removed.
    EXPECT_EQ(manager.RemovePage(0), 0);
    EXPECT_EQ(manager.Initialize(kTitle, 0, 0, nullptr, 160, 43), E_FAIL);
    EXPECT_EQ(manager.GetPageCount(), 0);
    EXPECT_EQ(library.TakeCalls(), (Calls{"getinterface 2", "init"}));
}

TEST_F(DisplayManagerTest, PagesByIndex) {
    DisplayManager manager(kTitle, 160, 43);
    ObjectHandle onPage0 = AddText(manager);
    EXPECT_EQ(manager.SelectPage(1), 0);
    EXPECT_EQ(manager.SelectPage(-1), 0);
    EXPECT_EQ(manager.ShowPage(1), 0);
    EXPECT_EQ(manager.SetObjectText(onPage0, L"still page 0"), S_OK);

    EXPECT_EQ(manager.AddPages(2), 3);
    EXPECT_EQ(manager.SetObjectText(onPage0, L"adding keeps the current page"), S_OK);
    EXPECT_EQ(manager.SelectPage(1), 1);
    EXPECT_EQ(manager.SetObjectText(onPage0, L"x"), E_FAIL);  // a handle of another page
    ObjectHandle onPage1 = AddText(manager);
    ASSERT_NE(onPage1, nullptr);

    EXPECT_EQ(manager.RemovePage(3), -1);
    EXPECT_EQ(manager.RemovePage(-1), -1);
    EXPECT_EQ(manager.RemovePage(0), 2);  // the former page 1 is now first and current
    EXPECT_EQ(manager.SetObjectText(onPage1, L"y"), S_OK);
    EXPECT_EQ(manager.RemovePage(1), 1);
    EXPECT_EQ(manager.RemovePage(0), 0);

    EXPECT_EQ(manager.SetObjectText(onPage1, L"z"), E_FAIL);
    EXPECT_EQ(manager.SetObjectOrigin(onPage1, 1, 1), E_FAIL);
    EXPECT_EQ(manager.SetObjectVisible(onPage1, FALSE), E_FAIL);
    EXPECT_EQ(AddText(manager), nullptr);
    EXPECT_EQ(manager.SelectPage(0), 0);
}

TEST_F(DisplayManagerTest, FirstUpdateOpensAndHandsOverTheConnectionRecord) {
    int context = 0;
    auto callback = [](void*) {};
    CallbackRecord callbacks{callback, &context};
    DisplayManager manager;
    ASSERT_EQ(manager.Initialize(kTitle, 2, 1, &callbacks, 160, 43), S_OK);
    EXPECT_EQ(library.TakeCalls(), (Calls{"getinterface 2", "init"}));
    EXPECT_FALSE(manager.IsDeviceOpen());

    manager.Update();
    EXPECT_EQ(library.TakeCalls(), (Calls{"connect", "enumerate 70 0", "open 70", "flag 30 0",
                                          "update 30 128", "buttons 30"}));
    EXPECT_TRUE(manager.IsDeviceOpen());
    EXPECT_EQ(library.LastAppName(), kTitle);
    // The second and third arguments of Initialize arrive swapped.
    EXPECT_EQ(library.LastConnectRecord().connectFlag1, 1u);
    EXPECT_EQ(library.LastConnectRecord().connectFlag2, 2u);
    EXPECT_EQ(library.LastConnectRecord().callback, static_cast<link::LinkCallback>(callback));
    EXPECT_EQ(library.LastConnectRecord().callbackContext, &context);

    EXPECT_EQ(manager.SetPriority(77), S_OK);
    EXPECT_EQ(manager.SetDeviceFlag(3), S_OK);
    manager.Update();
    EXPECT_EQ(library.TakeCalls(), (Calls{"flag 30 3", "update 30 77", "buttons 30"}));
}

TEST_F(DisplayManagerTest, DestructionClosesAndReleasesTheLibrary) {
    {
        DisplayManager manager(kTitle, 160, 43);
        manager.Update();
        library.TakeCalls();
    }
    EXPECT_EQ(library.TakeCalls(), (Calls{"close 30", "disconnect 70", "deinit"}));
    EXPECT_FALSE(IsLibraryLoaded(VAREKO_SCRIPTED_LIBRARY));

    // A manager that never ran Initialize took no reference and gives none back.
    { DisplayManager unused; }
    DisplayManager manager(kTitle, 160, 43);
    EXPECT_EQ(library.TakeCalls(), (Calls{"getinterface 2", "init"}));
}

TEST_F(DisplayManagerTest, AFailedOpenInInitializeIsRetriedByTheFirstUpdate) {
    ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, link::kLibraryRegistryKey), ERROR_SUCCESS);
    DisplayManager manager;
    EXPECT_EQ(manager.Initialize(kTitle, 0, 0, nullptr, 160, 43), E_FAIL);
    RegisterLibraryValue(REG_SZ, std::string(VAREKO_SCRIPTED_LIBRARY) + '\0');
    manager.Update();
    EXPECT_TRUE(manager.IsDeviceOpen());
}

TEST_F(DisplayManagerTest, AFailedFirstUpdateLeavesTheManagerIdleForGood) {
    library.Queue(LinkEntry::Init, {5});  // the link stays initialised, every open fails
    DisplayManager manager;
    EXPECT_EQ(manager.Initialize(kTitle, 0, 0, nullptr, 160, 43), E_FAIL);
    for (int i = 0; i < 3; ++i) {
        manager.Update();
    }
    // An update that advanced would try to connect through the initialised link.
    EXPECT_EQ(library.TakeCalls(), (Calls{"getinterface 2", "init"}));
    EXPECT_FALSE(manager.IsDeviceOpen());
}

TEST_F(DisplayManagerTest, ButtonEdgesFollowTheUpdates) {
    struct Step {
        std::uint32_t word;
        int pressed[4];
        int released[4];
        int down[4];
    };
    const Step steps[] = {
        {0x1, {1, 0, 0, 0}, {0, 0, 0, 0}, {1, 0, 0, 0}},
        {0x1, {0, 0, 0, 0}, {0, 0, 0, 0}, {1, 0, 0, 0}},  // held: pressed once only
        {0x0, {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 0}},
        {0x0, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},  // released once only
        {0x6, {0, 1, 1, 0}, {0, 0, 0, 0}, {0, 1, 1, 0}},
        {0xC, {0, 0, 0, 1}, {0, 1, 0, 0}, {0, 0, 1, 1}},
        {0x30, {0, 0, 0, 0}, {0, 0, 1, 1}, {0, 0, 0, 0}},  // no buttons among these bits
    };
    DisplayManager manager(kTitle, 160, 43);
    for (const Step& step : steps) {
        library.SetButtons(step.word);
        manager.Update();
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(manager.IsButtonPressed(i), step.pressed[i]) << "word " << step.word << " button " << i;
            EXPECT_EQ(manager.IsButtonReleased(i), step.released[i]) << "word " << step.word << " button " << i;
            EXPECT_EQ(manager.IsButtonDown(i), step.down[i]) << "word " << step.word << " button " << i;
        }
    }
}

TEST_F(DisplayManagerTest, ButtonQueriesOutsideTheFourButtonsAnswerZero) {
    DisplayManager manager(kTitle, 160, 43);
    library.SetButtons(0xF);
    manager.Update();
    for (int index : {-1, 4, 1000}) {
        EXPECT_EQ(manager.IsButtonPressed(index), 0) << index;
        EXPECT_EQ(manager.IsButtonReleased(index), 0) << index;
        EXPECT_EQ(manager.IsButtonDown(index), 0) << index;
    }
    // Combined or unknown bits change no button.
    library.SetButtons(0);
    manager.Update();
    manager.OnButtonDown(3);
    manager.OnButtonDown(16);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(manager.IsButtonDown(i), 0);
    }
    manager.OnButtonDown(8);
    EXPECT_EQ(manager.IsButtonDown(3), 1);
}

TEST_F(DisplayManagerTest, AButtonHeldWhenTheDeviceFailsComesBackReleased) {
    DisplayManager manager(kTitle, 160, 43);
    library.SetButtons(0x2);
    manager.Update();
    ASSERT_EQ(manager.IsButtonPressed(1), 1);
    library.Queue(LinkEntry::Update, {1167});
    manager.Update();
    EXPECT_EQ(manager.IsButtonReleased(1), 1);
    manager.Update();  // reopened; the button is still held
    EXPECT_EQ(manager.IsButtonPressed(1), 1);
}

TEST_F(DisplayManagerTest, ButtonsKeepTheirStateWhileNothingIsSent) {
    DisplayManager manager(kTitle, 160, 43);
    library.SetButtons(0x1);
    manager.Update();
    manager.SetPriority(0);
    library.SetButtons(0x0);
    manager.Update();
    EXPECT_EQ(manager.IsButtonDown(0), 1);
    EXPECT_EQ(manager.IsButtonPressed(0), 0);
    EXPECT_EQ(manager.IsButtonReleased(0), 0);
}

TEST_F(DisplayManagerTest, ARemovedPageLivesOnWhileTheDeviceShowsIt) {
    DisplayManager manager(kTitle, 160, 43);
    manager.AddPage();
    manager.CreateTextObject(TextKind::Streaming, SizeClass::Large, 0, 80);
    manager.Update();
    EXPECT_EQ(manager.RemovePage(0), 1);
    // Page 0 is still pinned on the device output: it must still be there to render.
    manager.Update();
    manager.Update();
    EXPECT_EQ(library.TakeCalls().back(), "buttons 30");
}

TEST_F(DisplayManagerTest, ALongTitleIsCut) {
    std::wstring longTitle(300, L'T');
    DisplayManager manager(longTitle.c_str(), 160, 43);
    manager.Update();
    EXPECT_EQ(library.LastAppName(), std::wstring(259, L'T'));
}

}  // namespace
