// A dashboard turn in steady state makes no heap allocation: the figures and
// words written, the page composed into its surface and its DeviceBitmap
// taken. This binary links the counting operator new of the test helpers,
// so it is a test executable of its own. The display is the manager's page
// type driven directly (advance, render, take the frame), as the device
// output does once a device is open: the harness's PageDisplay.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "app/dashboard_app.h"
#include "platform/win32.h"
#include "testing/support/counting_allocator.h"
#include "testing/harness/page_display.h"

namespace vareko {
namespace {

struct SampleValues {
    float ias, vvi, agl, hdg, tki, tke;
    const char* mod;
    const char* sub;
    const char* acs;
};

// Copies a word into a record field, cut to fit, always terminated.
template <std::size_t N>
void CopyWord(char (&field)[N], const char* word) {
    std::size_t length = 0;
    for (; length + 1 < N && word[length] != '\0'; ++length) field[length] = word[length];
    field[length] = '\0';
}

// Hands out the scripted samples in a cycle; every one sets all fields.
class ScriptedSource final : public TelemetrySource {
public:
    explicit ScriptedSource(std::vector<SampleValues> valuesIn) : values(std::move(valuesIn)) {}
    SourceOpenResult Open() override { return {}; }
    int ReceiveInto(TelemetrySample& sample) override {
        const SampleValues& v = values[next];
        next = (next + 1) % values.size();
        sample.ias = v.ias;
        sample.vvi = v.vvi;
        sample.agl = v.agl;
        sample.hdg = v.hdg;
        sample.tki = v.tki;
        sample.tke = v.tke;
        CopyWord(sample.mod, v.mod);
        CopyWord(sample.sub, v.sub);
        CopyWord(sample.acs, v.acs);
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
        harness::PageDisplay display;
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
        EXPECT_NE(display.Frame(), nullptr) << c.name;
    }
}

}  // namespace
}  // namespace vareko
