// Device output against the scripted library: the connection state table
// and its failures, the library reference count, button edges, and page
// expiry and pinning.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "display/device_output.h"
#include "tests/display/link_fixture.h"

namespace {

using namespace vareko;
using vareko::link::LinkResult;
using vareko::testing::LinkEntry;
using vareko::testing::LinkFixture;
using vareko::testing::ScriptedLibrary;
using Calls = std::vector<std::string>;

constexpr DWORD kNeverExpires = 0xFFFFFFFF;

// A page that logs the button notifications it receives and its advances.
class RecordingPage : public PageBase {
public:
    RecordingPage(std::string name, Calls& log) : name_(std::move(name)), log_(log) {}
    void OnButtonDown(DWORD button) override { log_.push_back(name_ + " down " + std::to_string(button)); }
    void OnButtonUp(DWORD button) override { log_.push_back(name_ + " up " + std::to_string(button)); }
    void Advance(DWORD now) override {
        ++advances;
        PageBase::Advance(now);
    }
    int advances = 0;

private:
    std::string name_;
    Calls& log_;
};

class DeviceOutputTest : public LinkFixture {
public:
    platform::TestClock clock{1000};
    Calls events;
    RecordingPage pageA{"A", events};
    RecordingPage pageB{"B", events};
    DeviceOutput output;

    void SetUp() override {
        LinkFixture::SetUp();
        for (RecordingPage* page : {&pageA, &pageB}) {
            page->Initialize();
            page->StartTimer(kNeverExpires);
        }
        output.AddPage(&pageA);
        output.AddPage(&pageB);
        ASSERT_EQ(output.Open(nullptr), S_OK);
        output.UnpinPage();
        output.PinPage(&pageA);
        library.TakeCalls();
    }
    void TearDown() override {
        output.Shutdown();
        LinkFixture::TearDown();
    }

    // One display update, as the display manager runs it.
    Calls Update() {
        output.Advance(GetTickCount());
        output.Render();
        return library.TakeCalls();
    }
    static Calls OpenedAndSent(int connection, int device) {
        std::string c = std::to_string(connection);
        std::string d = std::to_string(device);
        return {"enumerate " + c + " 0", "open " + c, "flag " + d + " 0", "update " + d + " 128",
                "buttons " + d};
    }
    static Calls ConnectedOpenedAndSent(int connection, int device) {
        Calls calls{"connect"};
        Calls rest = OpenedAndSent(connection, device);
        calls.insert(calls.end(), rest.begin(), rest.end());
        return calls;
    }
};

TEST_F(DeviceOutputTest, ConnectionStateTable) {
    struct Row {
        const char* name;
        std::function<void(ScriptedLibrary&)> script;
        std::vector<Calls> updates;  // the library calls of each update in turn
    };
    const Calls sent30{"update 30 128", "buttons 30"};
    const Row rows[] = {
        {"closed to device open", [](ScriptedLibrary&) {}, {ConnectedOpenedAndSent(70, 30), sent30}},
        {"connect fails: stays closed and retries",
         [](ScriptedLibrary& l) { l.Queue(LinkEntry::Connect, {1722, 1722}); },
         {{"connect"}, {"connect"}, ConnectedOpenedAndSent(70, 30)}},
        {"no device yet: connection stays, enumerate retried every update",
         [](ScriptedLibrary& l) { l.Queue(LinkEntry::Enumerate, {259, 259}); },
         {{"connect", "enumerate 70 0"}, {"enumerate 70 0"}, OpenedAndSent(70, 30)}},
        {"enumerate fails otherwise: disconnects",
         [](ScriptedLibrary& l) { l.Queue(LinkEntry::Enumerate, {31}); },
         {{"connect", "enumerate 70 0", "disconnect 70"}, ConnectedOpenedAndSent(71, 30)}},
        {"open fails: connection stays",
         [](ScriptedLibrary& l) { l.Queue(LinkEntry::Open, {1167}); },
         {{"connect", "enumerate 70 0", "open 70"}, OpenedAndSent(70, 30)}},
        {"update 1167: device reopened on the same connection",
         [](ScriptedLibrary& l) { l.Queue(LinkEntry::Update, {0, 1167}); },
         {ConnectedOpenedAndSent(70, 30), {"update 30 128", "close 30"}, OpenedAndSent(70, 31)}},
        {"update fails otherwise: reconnects from connect",
         [](ScriptedLibrary& l) { l.Queue(LinkEntry::Update, {0, 5}); },
         {ConnectedOpenedAndSent(70, 30),
          {"update 30 128", "close 30", "disconnect 70"},
          ConnectedOpenedAndSent(71, 31)}},
        {"button read 1167: device reopened",
         [](ScriptedLibrary& l) { l.Queue(LinkEntry::ReadButtons, {1167}); },
         {{"connect", "enumerate 70 0", "open 70", "flag 30 0", "update 30 128", "buttons 30",
           "close 30"},
          OpenedAndSent(70, 31)}},
        {"button read fails otherwise: reconnects",
         [](ScriptedLibrary& l) { l.Queue(LinkEntry::ReadButtons, {1062}); },
         {{"connect", "enumerate 70 0", "open 70", "flag 30 0", "update 30 128", "buttons 30",
           "close 30", "disconnect 70"},
          ConnectedOpenedAndSent(71, 31)}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        output.Shutdown();
        library.Reset();
        ASSERT_EQ(output.Open(nullptr), S_OK);
        output.UnpinPage();
        output.PinPage(&pageA);
        library.TakeCalls();
        row.script(library);
        for (const Calls& expected : row.updates) {
            EXPECT_EQ(Update(), expected);
        }
        EXPECT_TRUE(output.IsDeviceOpen());
    }
    output.Shutdown();
    EXPECT_EQ(library.TakeCalls(), (Calls{"close 31", "disconnect 71", "deinit"}));
    EXPECT_FALSE(output.IsDeviceOpen());
}

TEST_F(DeviceOutputTest, HandsOverTheRecordsAndTheFlag) {
    static const wchar_t kName[] = L"Title";
    int context = 0;
    link::ConnectionRecord source{kName, 11, 22, nullptr, &context, link::kNoHandle};
    output.Shutdown();
    ASSERT_EQ(output.Open(&source), S_OK);
    output.PinPage(&pageA);
    output.SetDeviceFlag(9);
    library.TakeCalls();
    Update();
    EXPECT_EQ(library.LastAppName(), L"Title");
    EXPECT_EQ(library.LastConnectRecord().connectFlag1, 11u);
    EXPECT_EQ(library.LastConnectRecord().connectFlag2, 22u);
    EXPECT_EQ(library.LastConnectRecord().callbackContext, &context);
    EXPECT_TRUE(library.EnumerateBufferWasZero());
    const link::OpenRecord& open = library.LastOpenRecord();
    EXPECT_EQ(open.connection, 70);
    EXPECT_EQ(open.deviceIndex, 0u);
    EXPECT_EQ(open.callback, 0u);
    EXPECT_EQ(open.callbackContext, 0u);

    output.SetDeviceFlag(4);
    EXPECT_EQ(library.TakeCalls(), Calls{"flag 30 4"});

    // Without a source the defaults apply again.
    output.Shutdown();
    ASSERT_EQ(output.Open(nullptr), S_OK);
    output.PinPage(&pageA);
    library.TakeCalls();
    Calls calls = Update();
    EXPECT_EQ(library.LastAppName(), L"My App");
    EXPECT_EQ(library.LastConnectRecord().connectFlag1, 0u);
    EXPECT_NE(std::find(calls.begin(), calls.end(), "flag 31 4"), calls.end());
}

TEST_F(DeviceOutputTest, LibraryReferencesAreCountedPerOutput) {
    output.Shutdown();
    EXPECT_EQ(library.TakeCalls(), Calls{"deinit"});

    // A shutdown without an open gives back nothing...
    DeviceOutput neverOpened;
    neverOpened.Shutdown();
    // ...so the next open still initialises the library.
    ASSERT_EQ(output.Open(nullptr), S_OK);
    EXPECT_EQ(library.TakeCalls(), (Calls{"getinterface 2", "init"}));

    // Two outputs open, one shuts down: the library stays initialised.
    DeviceOutput second;
    ASSERT_EQ(second.Open(nullptr), S_OK);
    ASSERT_EQ(second.Open(nullptr), S_OK);  // a second open takes no second reference
    second.Shutdown();
    EXPECT_TRUE(library.TakeCalls().empty());

    // Opened twice, shut down once: released.
    ASSERT_EQ(output.Open(nullptr), S_OK);
    output.Shutdown();
    EXPECT_EQ(library.TakeCalls(), Calls{"deinit"});
}

TEST_F(DeviceOutputTest, FailedOpensTakeNoReference) {
    output.Shutdown();
    library.TakeCalls();
    ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, link::kLibraryRegistryKey), ERROR_SUCCESS);
    EXPECT_EQ(output.Open(nullptr), E_FAIL);
    output.Shutdown();
    EXPECT_EQ(Update(), Calls{});  // not initialised: connecting fails before the library

    RegisterLibraryValue(REG_SZ, std::string(VAREKO_SCRIPTED_LIBRARY) + '\0');
    EXPECT_EQ(output.Open(nullptr), S_OK);
    EXPECT_TRUE(IsLibraryLoaded(VAREKO_SCRIPTED_LIBRARY));

    // The library's own init fails: the link stays initialised and refuses again.
    output.Shutdown();
    library.Reset();
    library.Queue(LinkEntry::Init, {1722});
    EXPECT_EQ(output.Open(nullptr), E_FAIL);
    EXPECT_EQ(output.Open(nullptr), E_FAIL);
    EXPECT_EQ(library.TakeCalls(), (Calls{"getinterface 2", "init"}));
}

TEST_F(DeviceOutputTest, ButtonChangesAreNotifiedInBitOrder) {
    struct Step {
        DWORD word;
        Calls events;
    };
    const Step steps[] = {
        {0x5, {"A down 1", "A down 4"}},
        {0x5, {}},
        {0xA, {"A up 1", "A down 2", "A up 4", "A down 8"}},
        {0x1A, {}},  // a bit outside the four buttons is no button
        {0x10, {"A up 2", "A up 8"}},
        {0x0, {}},
    };
    for (const Step& step : steps) {
        library.SetButtons(step.word);
        Update();
        EXPECT_EQ(events, step.events) << "word " << step.word;
        events.clear();
    }
}

TEST_F(DeviceOutputTest, HeldButtonsAreReleasedWhenAFailureClosesTheDevice) {
    struct Row {
        const char* name;
        LinkEntry failing;
        LinkResult result;
    };
    const Row rows[] = {
        {"update, device gone", LinkEntry::Update, 1167},
        {"update, other failure", LinkEntry::Update, 5},
        {"button read, device gone", LinkEntry::ReadButtons, 1167},
        {"button read, other failure", LinkEntry::ReadButtons, 1062},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        library.SetButtons(0xD);
        Update();
        events.clear();
        library.Queue(row.failing, {row.result});
        Update();
        EXPECT_EQ(events, (Calls{"A up 1", "A up 4", "A up 8"}));
        EXPECT_FALSE(output.IsDeviceOpen());
        events.clear();
        // Still held after the reopen: reported going down at the first poll.
        Update();
        EXPECT_EQ(events, (Calls{"A down 1", "A down 4", "A down 8"}));
        library.SetButtons(0);
        Update();
        events.clear();
    }
}

TEST_F(DeviceOutputTest, ShutdownReportsNoButtons) {
    library.SetButtons(0x1);
    Update();
    events.clear();
    output.Shutdown();
    EXPECT_TRUE(events.empty());
}

TEST_F(DeviceOutputTest, NothingIsSentWithoutACurrentPageOrAtPriorityZero) {
    Update();
    output.UnpinPage();
    EXPECT_EQ(Update(), Calls{});

    output.PinPage(&pageB);
    output.SetPriority(0);
    EXPECT_EQ(library.TakeCalls(), Calls{"update 30 0"});  // the blank frame, once
    EXPECT_EQ(library.LastBitmap().format, kDeviceBitmapFormat);
    EXPECT_TRUE(std::all_of(std::begin(library.LastBitmap().pixels), std::end(library.LastBitmap().pixels),
                            [](std::uint8_t p) { return p == 0; }));
    EXPECT_EQ(Update(), Calls{});
    EXPECT_EQ(pageB.advances, 1);  // still advanced and rendered, only not sent

    output.SetPriority(200);
    EXPECT_EQ(Update(), (Calls{"update 30 200", "buttons 30"}));
}

TEST_F(DeviceOutputTest, WithoutADeviceThePageIsStillRenderedButNotSent) {
    library.SetDefault(LinkEntry::Enumerate, 259);
    EXPECT_EQ(Update(), (Calls{"connect", "enumerate 70 0"}));
    EXPECT_EQ(Update(), Calls{"enumerate 70 0"});
    EXPECT_EQ(pageA.advances, 2);
    output.SetPriority(0);  // no device: no blank frame either
    EXPECT_TRUE(library.Calls().empty());
}

TEST_F(DeviceOutputTest, ExpiredPinnedPageIsReplacedByTheFirstDuePage) {
    RecordingPage pageC{"C", events};
    pageC.Initialize();
    pageA.StartTimer(500);
    pageB.StartTimer(kNeverExpires);
    output.AddPage(&pageC);
    Update();
    EXPECT_EQ(output.GetCurrentPage(), &pageA);
    EXPECT_TRUE(output.IsPagePinned());

    clock.Advance(501);
    Update();
    EXPECT_EQ(output.GetCurrentPage(), &pageB);  // pageA expired; pageC never started
    EXPECT_FALSE(output.IsPagePinned());
    output.SetCurrentPage(&pageA);
    EXPECT_EQ(output.GetCurrentPage(), &pageA);  // not pinned, so it can be replaced
}

TEST_F(DeviceOutputTest, OnlyTheCurrentPageIsAdvanced) {
    pageA.StartTimer(kNeverExpires);
    pageB.StartTimer(100);
    Update();
    clock.Advance(1000);
    Update();
    EXPECT_EQ(pageA.advances, 2);
    EXPECT_EQ(pageB.advances, 0);
    // pageB's stored elapsed time is still 0, so it counts as due.
    EXPECT_FALSE(pageB.IsExpired());
}

TEST_F(DeviceOutputTest, WhenNoPageIsDueTheBlankFrameIsSentOnce) {
    Update();
    pageA.StartTimer(100);
    pageB.StartTimer(100);
    pageB.Advance(GetTickCount() + 200);  // judged by its stored elapsed time: expired
    clock.Advance(101);
    EXPECT_EQ(Update(), Calls{"update 30 0"});
    EXPECT_EQ(output.GetCurrentPage(), nullptr);
    EXPECT_EQ(Update(), Calls{});

    output.SetCurrentPage(&pageB);
    pageB.StartTimer(kNeverExpires);
    EXPECT_EQ(Update(), (Calls{"update 30 128", "buttons 30"}));
}

}  // namespace
