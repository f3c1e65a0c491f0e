// The dashboard's start-up and its turn, against a recording display and a
// scripted telemetry source: page layout, figures in both unit systems, the
// word fields, the low-fuel warning and its arming, the soft buttons.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "app/dashboard_app.h"
#include "tests/app/fake_dashboard_display.h"

namespace vareko {
namespace {

using testing::FakeDashboardDisplay;

constexpr int kAllFields = 41;
constexpr int kReceiveFailed = -1;
constexpr std::size_t kEngineBase = kFlightRowCount;  // creation index of page 1's first object

// Hands out datagrams that the test scripts: a change to the record and the
// count of fields it set.
class ScriptedSource final : public TelemetrySource {
public:
    SourceOpenResult Open() override {
        opened = true;
        return openResult;
    }
    int ReceiveInto(TelemetrySample& sample) override {
        if (next) next(sample);
        next = nullptr;
        return fieldsSet;
    }
    bool opened = false;
    SourceOpenResult openResult;
    std::function<void(TelemetrySample&)> next;
    int fieldsSet = kAllFields;
};

class DashboardTest : public ::testing::Test {
protected:
    void SetUp() override { app.Start(); }

    // One turn with a datagram that sets every field as `edit` leaves them.
    void TurnWith(std::function<void(TelemetrySample&)> edit, int fieldsSet = kAllFields) {
        source.next = std::move(edit);
        source.fieldsSet = fieldsSet;
        app.Turn();
    }
    std::wstring Flight(FlightRow row) { return display.Text(row); }
    std::wstring Engine(EngineRow row) { return display.Text(kEngineBase + row); }
    // Turns until a release has been acted on: the update of one turn sees
    // it, the next turn acts on it after writing its page.
    void Release(int button) {
        display.ReleaseAtNextUpdate(button);
        TurnWith(nullptr);
        TurnWith(nullptr);
    }

    platform::TestClock clock;
    FakeDashboardDisplay display;
    ScriptedSource source;
    DashboardApp app{display, source};
};

TEST(DashboardStartTest, ASourceThatCannotBeOpenedStopsTheStartBeforeTheDisplay) {
    FakeDashboardDisplay display;
    ScriptedSource source;
    source.openResult = {SourceFailure::Bind, 10048};
    DashboardApp app{display, source};
    const SourceOpenResult result = app.Start();
    EXPECT_EQ(result.failure, SourceFailure::Bind);
    EXPECT_EQ(result.systemError, 10048);
    EXPECT_TRUE(display.calls.empty());
}

TEST_F(DashboardTest, StartUpBuildsBothPagesInOrderOpensTheSourceAndShowsPageZero) {
    EXPECT_EQ(L"VAREKO v1.2   Rin_Tavosh", display.title);
    EXPECT_EQ((std::vector<int>{0, 0, 0, 160, 43}), display.initArgs);
    EXPECT_TRUE(source.opened);
    ASSERT_EQ(std::size_t{kFlightRowCount} + kEngineRowCount, display.objects.size());

    // Calls: Initialize, SelectPage 0, page 0's objects, AddPage, SelectPage 1,
    // page 1's objects, SelectPage 0, Update.
    const auto& c = display.calls;
    EXPECT_EQ("Initialize", c.front());
    EXPECT_EQ("SelectPage 0", c[1]);
    const auto addPage = std::find(c.begin(), c.end(), "AddPage");
    ASSERT_NE(c.end(), addPage);
    EXPECT_EQ("SelectPage 1", *(addPage + 1));
    EXPECT_EQ((std::vector<std::string>{"SelectPage 0", "Update"}), std::vector<std::string>(c.end() - 2, c.end()));
    EXPECT_EQ(0, display.shownPage);

    const struct {
        std::size_t index;
        int page, kind, alignment, width, x, y;
        const wchar_t* text;
    } expected[] = {
        {0, 0, 1, 0, 80, 0, 0, L"Vitesse:"},   {1, 0, 1, 0, 80, 38, 0, L" "},
        {2, 0, 1, 0, 80, 58, 0, L" "},         {3, 0, 1, 0, 80, 0, 16, L"Altitude:"},
        {4, 0, 1, 0, 80, 38, 16, L" "},        {5, 0, 1, 0, 80, 0, 32, L"Cap:"},
        {6, 0, 1, 0, 80, 38, 32, L" "},        {7, 0, 1, 0, 80, 75, 0, L"Reserve:"},
        {8, 0, 1, 0, 80, 115, 0, L" "},        {9, 0, 1, 0, 80, 140, 4, L" "},
        {10, 0, 0, 1, 80, 115, 0, L" "},       {11, 0, 1, 0, 80, 70, 16, L" "},
        {12, 0, 1, 0, 50, 100, 16, L" "},      {13, 0, 1, 0, 90, 70, 32, L" "},
        {14, 1, 1, 0, 140, 0, 0, L"Moteur  GAUCHE      DROIT"},
        {15, 1, 1, 0, 80, 0, 16, L"RPM:"},     {16, 1, 1, 0, 80, 45, 16, L" "},
        {17, 1, 1, 0, 80, 100, 16, L" "},      {18, 1, 1, 0, 80, 0, 32, L"Temp:"},
        {19, 1, 1, 0, 80, 45, 32, L" "},       {20, 1, 1, 0, 80, 100, 32, L" "},
    };
    for (const auto& e : expected) {
        const auto& o = display.At(e.index);
        SCOPED_TRACE(e.index);
        EXPECT_EQ(e.page, o.page);
        EXPECT_EQ(e.kind, o.kind);
        EXPECT_EQ(0, o.sizeClass);
        EXPECT_EQ(e.alignment, o.alignment);
        EXPECT_EQ(e.width, o.width);
        EXPECT_EQ(e.x, o.x);
        EXPECT_EQ(e.y, o.y);
        EXPECT_EQ(e.text, o.text);
    }
}

TEST_F(DashboardTest, FiguresInBothUnitSystems) {
    const struct {
        float TelemetrySample::*field;
        float value;
        FlightRow row;
        const wchar_t* metric;
        const wchar_t* imperial;
    } cases[] = {
        {&TelemetrySample::ias, 100.0f, kSpeed, L"360", L"194"},
        {&TelemetrySample::ias, -12.5f, kSpeed, L"-45", L"-24"},
        {&TelemetrySample::agl, 1000.0f, kAltitude, L"1000", L"3280"},
        {&TelemetrySample::agl, 1524.9f, kAltitude, L"1524", L"5001"},
        {&TelemetrySample::hdg, 3.14f, kHeading, L"180", L"180"},
        {&TelemetrySample::hdg, 1.0f, kHeading, L"57", L"57"},
        {&TelemetrySample::vvi, -0.9f, kVerticalSpeed, L"0", L"0"},
        {&TelemetrySample::vvi, 1234567.8f, kVerticalSpeed, L"123456", L"123456"},
        {&TelemetrySample::vvi, -123456.7f, kVerticalSpeed, L"-12345", L"-12345"},
        {&TelemetrySample::tki, 1000.0f, kInternalFuel, L"1000", L"2200"},
        {&TelemetrySample::tke, 450.5f, kExternalFuel, L"450", L"991"},
    };
    for (bool metric : {true, false}) {
        if (app.MetricUnits() != metric) Release(0);
        ASSERT_EQ(metric, app.MetricUnits());
        for (const auto& c : cases) {
            TurnWith([&](TelemetrySample& s) { s.*c.field = c.value; });
            EXPECT_EQ(metric ? c.metric : c.imperial, Flight(c.row)) << c.value << (metric ? " metric" : " imperial");
        }
    }
}

TEST_F(DashboardTest, WordsAreWidenedCutAndNeverShowLeftovers) {
    TurnWith([](TelemetrySample& s) {
        std::strcpy(s.mod, "NAV");
        std::strcpy(s.sub, "CRUISE");
        std::strcpy(s.acs, "ABCDEFGHIJKLMNOPQRS");  // 19 characters, 17 shown
    });
    EXPECT_EQ(L"NAV:", Flight(kModText));
    EXPECT_EQ(L"CRUISE", Flight(kSubText));
    EXPECT_EQ(L"ABCDEFGHIJKLMNOPQ", Flight(kAcsText));

    TurnWith([](TelemetrySample& s) {
        std::strcpy(s.mod, "TO");  // shorter than three: no colon
        std::strcpy(s.sub, "A");   // short word after the longer mod and acs texts
        std::strcpy(s.acs, "");
    });
    EXPECT_EQ(L"TO", Flight(kModText));
    EXPECT_EQ(L"A", Flight(kSubText));
    EXPECT_EQ(L"", Flight(kAcsText));

    TurnWith([](TelemetrySample& s) {
        std::strcpy(s.mod, "\xE9t\xE9");  // 8-bit characters become units 0..255
        std::memcpy(s.sub, "1234567", 8);
    });
    EXPECT_EQ(L"\u00e9t\u00e9:", Flight(kModText));
    EXPECT_EQ(L"1234567", Flight(kSubText));
}

TEST_F(DashboardTest, LowFuelWarningBelowOneFifthOfTheFirstQuantityFreezesTheFuelFigures) {
    TurnWith([](TelemetrySample& s) {
        s.tki = 1000.0f;
        s.tke = 300.0f;
    });
    EXPECT_FLOAT_EQ(200.0f, app.LowFuelThreshold());
    EXPECT_FALSE(app.LowFuelArmed());
    EXPECT_EQ(L" ", Flight(kLowFuelWarning));

    TurnWith([](TelemetrySample& s) { s.tki = 200.0f; s.tke = 250.0f; });
    EXPECT_EQ(L"200", Flight(kInternalFuel));
    EXPECT_EQ(L"250", Flight(kExternalFuel));
    EXPECT_EQ(L" ", Flight(kLowFuelWarning));

    TurnWith([](TelemetrySample& s) { s.tki = 199.9f; s.tke = 100.0f; });
    EXPECT_EQ(L"WARNING LOW PETROL ", Flight(kLowFuelWarning));
    EXPECT_EQ(L"200", Flight(kInternalFuel));  // frozen
    EXPECT_EQ(L"250", Flight(kExternalFuel));

    // A value that is not a number also counts as low.
    TurnWith([](TelemetrySample& s) { s.tki = std::numeric_limits<float>::quiet_NaN(); });
    EXPECT_EQ(L"200", Flight(kInternalFuel));

    // Re-armed: the threshold follows the next datagram; the warning text
    // stays, the figures are written again.
    Release(3);
    EXPECT_TRUE(app.LowFuelArmed());
    TurnWith([](TelemetrySample& s) { s.tki = 150.0f; s.tke = 0.0f; });
    EXPECT_FLOAT_EQ(30.0f, app.LowFuelThreshold());
    EXPECT_EQ(L"150", Flight(kInternalFuel));
    EXPECT_EQ(L"0", Flight(kExternalFuel));
    EXPECT_EQ(L"WARNING LOW PETROL ", Flight(kLowFuelWarning));
}

TEST_F(DashboardTest, ArmingWaitsForADatagramThatCarriesTheInternalFuel) {
    TurnWith([](TelemetrySample& s) { s.tki = 5000.0f; }, kReceiveFailed);
    EXPECT_TRUE(app.LowFuelArmed());
    TurnWith([](TelemetrySample& s) { s.asl = 1.0f; }, 0);  // stray datagram, no prefix
    TurnWith([](TelemetrySample& s) { s.asl = 2.0f; }, 17);  // cut short before tki
    EXPECT_TRUE(app.LowFuelArmed());
    EXPECT_EQ(0.0f, app.LowFuelThreshold());

    TurnWith([](TelemetrySample& s) { s.tki = 1000.0f; }, 18);  // tki is field 18
    EXPECT_FALSE(app.LowFuelArmed());
    EXPECT_FLOAT_EQ(200.0f, app.LowFuelThreshold());
}

TEST_F(DashboardTest, SoftButtonsSwitchPagesToggleUnitsAndOnlyTheActivePageIsWritten) {
    TurnWith([](TelemetrySample& s) { s.ias = 100.0f; s.rpl = 87.5f; s.rpr = 88.0f; s.egl = 612.0f; s.egr = 618.9f; });
    EXPECT_EQ(L" ", Engine(kLeftRpm));

    Release(1);
    EXPECT_EQ(1, display.shownPage);
    EXPECT_FALSE(app.FlightPageActive());
    EXPECT_TRUE(app.MetricUnits());
    EXPECT_EQ(L" ", Engine(kLeftRpm));  // the page is written from the next turn on
    TurnWith(nullptr);
    EXPECT_EQ(L"87", Engine(kLeftRpm));
    EXPECT_EQ(L"88", Engine(kRightRpm));
    EXPECT_EQ(L"612", Engine(kLeftTemp));
    EXPECT_EQ(L"618", Engine(kRightTemp));

    const int speedWrites = display.At(kSpeed).writes;
    TurnWith([](TelemetrySample& s) { s.ias = 50.0f; });
    EXPECT_EQ(speedWrites, display.At(kSpeed).writes);  // the flight page is left alone
    EXPECT_EQ(L"360", Flight(kSpeed));

    Release(0);  // back to the flight page, and the units toggle
    EXPECT_EQ(0, display.shownPage);
    EXPECT_TRUE(app.FlightPageActive());
    EXPECT_FALSE(app.MetricUnits());
    TurnWith(nullptr);
    EXPECT_EQ(L"97", Flight(kSpeed));  // 50 m/s in knots

    Release(0);  // on the flight page: only the units toggle back
    EXPECT_TRUE(app.MetricUnits());
    TurnWith(nullptr);
    EXPECT_EQ(L"180", Flight(kSpeed));

    Release(2);  // no function
    EXPECT_TRUE(app.FlightPageActive());
    EXPECT_TRUE(app.MetricUnits());
}

TEST_F(DashboardTest, EachTurnUpdatesOnceAndYieldsOneMillisecond) {
    const int updates = display.updates;
    const DWORD before = clock.Now();
    TurnWith(nullptr);
    TurnWith(nullptr, kReceiveFailed);  // a failed receive still turns the loop
    EXPECT_EQ(updates + 2, display.updates);
    EXPECT_EQ(before + 2, clock.Now());
}

}  // namespace
}  // namespace vareko
