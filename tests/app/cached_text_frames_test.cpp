// Text objects redraw an unchanged text from the pixels they kept. These
// tests run the dashboard's two pages and the gallery page twice side by
// side, once with that cache and once with every text laid out and painted
// anew, and require the same frame, byte for byte, at every step.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "app/dashboard_app.h"
#include "app/telemetry_parser.h"
#include "platform/win32/time.h"
#include "tools/gallery/gallery_scene.h"
#include "tools/gallery/toolkit_extras.h"
#include "testing/harness/page_display.h"
#include "tools/send/datagram_format.h"
#include "tools/send/flight_model.h"
#include "toolkit/text_run_cache.h"

namespace vareko {
namespace {

// The buttons that the dashboard sees released, by turn: the engine page,
// back to the flight page (which toggles the units), and the low-fuel rearm.
struct ButtonPress {
    int turn;
    int button;
};
constexpr std::array<ButtonPress, 5> kPresses = {
    {{150, 1}, {300, 0}, {450, 3}, {500, 0}, {650, 1}}};

class ScriptedButtons final : public DashboardDisplay {
public:
    HRESULT Initialize(const WCHAR* title, DWORD flag2, DWORD flag1, void* record, int width,
                       int height) override {
        return pages.Initialize(title, flag2, flag1, record, width, height);
    }
    int AddPage() override { return pages.AddPage(); }
    int SelectPage(int index) override { return pages.SelectPage(index); }
    int ShowPage(int index) override { return pages.ShowPage(index); }
    Handle CreateTextObject(int kind, int sizeClass, int alignment, int width) override {
        return pages.CreateTextObject(kind, sizeClass, alignment, width);
    }
    HRESULT SetObjectOrigin(Handle object, int x, int y) override {
        return pages.SetObjectOrigin(object, x, y);
    }
    HRESULT SetObjectText(Handle object, const WCHAR* text) override {
        return pages.SetObjectText(object, text);
    }
    int IsButtonReleased(int button) override {
        for (const ButtonPress& press : kPresses) {
            if (press.turn == turn && press.button == button) return 1;
        }
        return 0;
    }
    void Update() override {
        pages.Update();
        ++turn;
    }

    const DeviceBitmap* Frame() const { return pages.Frame(); }

private:
    harness::PageDisplay pages;
    int turn = 0;
};

class ReplayedDatagram final : public TelemetrySource {
public:
    SourceOpenResult Open() override { return {}; }
    int ReceiveInto(TelemetrySample& sample) override { return ParseTelemetry(text.c_str(), sample); }
    std::string text;
};

struct Dashboard {
    ScriptedButtons display;
    ReplayedDatagram source;
    DashboardApp app{display, source};
};

bool SameFrame(const DeviceBitmap* a, const DeviceBitmap* b) {
    return a != nullptr && b != nullptr && std::memcmp(a->pixels, b->pixels, kDevicePixelBytes) == 0;
}

// A 60 Hz flight whose internal fuel runs below the low-fuel threshold for a
// while, so the streaming warning shows and moves.
std::vector<std::string> Datagrams(int count) {
    std::vector<std::string> texts;
    TelemetrySample sample{};
    for (int i = 0; i < count; ++i) {
        send::SampleFlight(30.0 + i / 60.0, sample);
        if (i >= 470 && i < 560) sample.tki = 10.0f;
        texts.push_back(send::FormatDatagram(sample));
    }
    return texts;
}

TEST(CachedTextFramesTest, DashboardPagesMatchFramesDrawnAnew) {
    platform::TestClock clock;
    Dashboard cached;
    Dashboard anew;
    const DWORD start = clock.Now();
    cached.app.Start();
    clock.Set(start);
    anew.app.Start();
    int turn = 0;
    for (const std::string& datagram : Datagrams(800)) {
        // Both turns see the same time; each advances the clock by its 1 ms yield.
        const DWORD now = clock.Now();
        cached.source.text = datagram;
        cached.app.Turn();
        clock.Set(now);
        anew.source.text = datagram;
        SetTextRunCaching(false);
        anew.app.Turn();
        SetTextRunCaching(true);
        ASSERT_TRUE(SameFrame(cached.display.Frame(), anew.display.Frame())) << "turn " << turn;
        ++turn;
    }
    EXPECT_FALSE(cached.app.FlightPageActive()) << "the script ends on the engine page";
}

class NoButtons final : public ButtonSink {
public:
    void OnButtonDown(DWORD) override {}
    void OnButtonUp(DWORD) override {}
};

struct Gallery {
    explicit Gallery(const gallery::GalleryPictures& pictures) {
        ready = page.Initialize() == S_OK;
        handles = gallery::BuildScene(page, pictures);
        gallery::AddToolkitExtras(page, handles, pictures);
    }
    // The moving objects read the tick count themselves: the test clock
    // gives both pages the same time.
    const DeviceBitmap* Frame(platform::TestClock& clock, DWORD startMs, DWORD elapsedMs) {
        clock.Set(startMs + elapsedMs);
        gallery::AnimateScene(page, handles, elapsedMs);
        page.Advance(clock.Now());
        page.Render();
        return page.GetDeviceBitmap();
    }
    NoButtons sink;
    ManagerPage page{&sink, 160, 43};
    gallery::SceneHandles handles;
    bool ready = false;
};

TEST(CachedTextFramesTest, GalleryMatchesFramesDrawnAnew) {
    platform::TestClock clock;
    const DWORD start = clock.Now();
    const gallery::GalleryPictures pictures;
    ASSERT_TRUE(pictures.Complete());
    Gallery cached(pictures);
    Gallery anew(pictures);
    ASSERT_TRUE(cached.ready && anew.ready);
    // Frames 16 ms apart, every sixth at the time of the one before, so
    // unchanged texts meet moving ones and a clock that changes now and then.
    for (DWORD i = 0; i < 400; ++i) {
        const DWORD elapsed = (i - i / 6) * 16;
        const DeviceBitmap* frame = cached.Frame(clock, start, elapsed);
        SetTextRunCaching(false);
        const DeviceBitmap* reference = anew.Frame(clock, start, elapsed);
        SetTextRunCaching(true);
        ASSERT_TRUE(SameFrame(frame, reference)) << "at " << elapsed << " ms";
    }
}

}  // namespace
}  // namespace vareko
