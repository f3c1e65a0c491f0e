// A dashboard turn in steady state makes no heap allocation: the figures and
// words written, the page composed into its surface and its DeviceBitmap
// taken. This binary links the counting operator new of the test helpers,
// so it is a test executable of its own. The display is the manager's page
// type driven directly (advance, render, take the frame), as the device
// output does once a device is open.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "app/dashboard_app.h"
#include "display/manager_page.h"
#include "platform/win32.h"
#include "tests/support/counting_allocator.h"

namespace vareko {
namespace {

class NoButtons final : public ButtonSink {
public:
    void OnButtonDown(DWORD) override {}
    void OnButtonUp(DWORD) override {}
};

// The dashboard's display as manager pages that render the shown page on
// every Update and take its frame; no buttons are ever released.
class PageDisplay final : public DashboardDisplay {
public:
    HRESULT Initialize(const WCHAR*, DWORD, DWORD, void*, int pageWidth, int pageHeight) override {
        width = pageWidth;
        height = pageHeight;
        AddPage();
        return S_OK;
    }
    int AddPage() override {
        pages.push_back(std::make_unique<ManagerPage>(&sink, width, height));
        pages.back()->Initialize();
        return static_cast<int>(pages.size());
    }
    int SelectPage(int index) override {
        current = static_cast<std::size_t>(index);
        return 1;
    }
    int ShowPage(int index) override {
        shown = current = static_cast<std::size_t>(index);
        return 1;
    }
    Handle CreateTextObject(int kind, int sizeClass, int alignment, int boxWidth) override {
        return pages[current]->CreateTextObject(static_cast<TextKind>(kind), static_cast<SizeClass>(sizeClass),
                                                static_cast<UINT>(alignment), boxWidth, 1);
    }
    HRESULT SetObjectOrigin(Handle object, int x, int y) override {
        return pages[current]->SetObjectOrigin(static_cast<ObjectHandle>(object), x, y);
    }
    HRESULT SetObjectText(Handle object, const WCHAR* text) override {
        return pages[current]->SetObjectText(static_cast<ObjectHandle>(object), text);
    }
    int IsButtonReleased(int) override { return 0; }
    void Update() override {
        ManagerPage& page = *pages[shown];
        page.Advance(GetTickCount());
        page.Render();
        frame = page.GetDeviceBitmap();
    }

    const DeviceBitmap* frame = nullptr;

private:
    NoButtons sink;
    std::vector<std::unique_ptr<ManagerPage>> pages;
    std::size_t current = 0;
    std::size_t shown = 0;
    int width = 0;
    int height = 0;
};

struct SampleValues {
    float ias, vvi, agl, hdg, tki, tke;
    const char* mod;
    const char* sub;
    const char* acs;
};

// Hands out the scripted samples in a cycle; every one sets all fields.
class ScriptedSource final : public TelemetrySource {
public:
    explicit ScriptedSource(std::vector<SampleValues> valuesIn) : values(std::move(valuesIn)) {}
    void Open() override {}
    int ReceiveInto(TelemetrySample& sample) override {
        const SampleValues& v = values[next];
        next = (next + 1) % values.size();
        sample.ias = v.ias;
        sample.vvi = v.vvi;
        sample.agl = v.agl;
        sample.hdg = v.hdg;
        sample.tki = v.tki;
        sample.tke = v.tke;
        std::strncpy(sample.mod, v.mod, sizeof sample.mod);
        std::strncpy(sample.sub, v.sub, sizeof sample.sub);
        std::strncpy(sample.acs, v.acs, sizeof sample.acs);
        return static_cast<int>(kTelemetryKeys.size());
    }

private:
    std::vector<SampleValues> values;
    std::size_t next = 0;
};

TEST(SteadyTurnAllocationTest, ATurnAfterWarmUpAllocatesNothing) {
    struct Case {
        const char* name;
        std::vector<SampleValues> samples;
        DWORD msPerTurn;
    };
    const Case cases[] = {
        {"unchanged values", {{69.4f, -1.2f, 1000.0f, 1.57f, 800.0f, 400.0f, "NAV", "ILS", "AP HOLD"}}, 1},
        {"changing figures and words",
         {{69.4f, -1.2f, 1000.0f, 1.57f, 800.0f, 400.0f, "NAV", "ILS", "AP HOLD"},
          {312.5f, 1234567.8f, 7.0f, 6.2f, 799.0f, 0.0f, "AT", "LOCALIZER", "AUTOPILOT ENGAGED"},
          {0.0f, -45.5f, 12345.0f, 0.0f, 798.5f, 12.0f, "LANDING", "", "X"}},
         16},
        // The first sample sets the threshold at 200 kg; from the second on
        // the warning streams over the fuel figures for minutes.
        {"low-fuel warning streaming",
         {{69.4f, -1.2f, 1000.0f, 1.57f, 1000.0f, 400.0f, "NAV", "ILS", "AP HOLD"},
          {69.4f, -1.2f, 1000.0f, 1.57f, 100.0f, 400.0f, "NAV", "ILS", "AP HOLD"},
          {70.1f, -1.1f, 1001.0f, 1.58f, 99.0f, 399.0f, "NAV", "ILS", "AP HOLD"}},
         40},
    };
    for (const Case& c : cases) {
        platform::TestClock clock;
        PageDisplay display;
        ScriptedSource source(c.samples);
        DashboardApp app(display, source);
        app.Start();
        // Warm-up: every text reaches its longest form and the streaming
        // warning turns its row over at least once.
        for (int i = 0; i < 3000; ++i) {
            app.Turn();
            clock.Advance(c.msPerTurn);
        }
        const std::uint64_t before = testing::AllocationCount();
        for (int i = 0; i < 1000; ++i) {
            app.Turn();
            clock.Advance(c.msPerTurn);
        }
        const std::uint64_t made = testing::AllocationCount() - before;
        EXPECT_EQ(made, 0u) << c.name;
        EXPECT_NE(display.frame, nullptr) << c.name;
    }
}

}  // namespace
}  // namespace vareko
