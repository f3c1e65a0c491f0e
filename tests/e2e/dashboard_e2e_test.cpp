// The whole system: the display service and the program as real processes,
// telemetry over UDP, frames and buttons through the service. Every expected
// picture is rendered in this process by the toolkit from the page layout.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "app/telemetry_receiver.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/expected_page.h"
#include "testing/harness/shadow_dashboard.h"
#include "testing/support/bad_datagrams.h"
#include "tools/send/datagram_format.h"

namespace vareko::e2e {
namespace {

constexpr int kFlightButton = 0;
constexpr int kEngineButton = 1;
constexpr int kRearmButton = 3;
constexpr std::uint64_t kDatagramsWhileAway = 20;

TelemetrySample BaseSample() {
    TelemetrySample s{};
    s.ias = 100.0f;
    s.vvi = -0.9f;
    s.agl = 1000.0f;
    s.hdg = 3.14f;
    s.tki = 1000.0f;
    s.tke = 500.0f;
    s.rpl = 87.5f;
    s.rpr = 88.25f;
    s.egl = 612.0f;
    s.egr = 618.9f;
    std::strcpy(s.mod, "NAV");
    std::strcpy(s.sub, "CRUISE");
    std::strcpy(s.acs, "ALT-HOLD");
    return s;
}

struct FlightFigures {
    std::wstring speed = L"360", vvi = L"0", altitude = L"1000", heading = L"180";
    std::wstring internalFuel = L"1000", externalFuel = L"500";
    std::wstring mod = L"NAV:", sub = L"CRUISE", acs = L"ALT-HOLD";
};

PageTexts FlightTexts(const FlightFigures& f) {
    PageTexts t = LabelsOnly(kFlightPageRows);
    t[kSpeed] = f.speed;
    t[kVerticalSpeed] = f.vvi;
    t[kAltitude] = f.altitude;
    t[kHeading] = f.heading;
    t[kInternalFuel] = f.internalFuel;
    t[kExternalFuel] = f.externalFuel;
    t[kModText] = f.mod;
    t[kSubText] = f.sub;
    t[kAcsText] = f.acs;
    return t;
}

PageTexts EngineTexts() {
    PageTexts t = LabelsOnly(kEnginePageRows);
    t[kLeftRpm] = L"87";
    t[kRightRpm] = L"88";
    t[kLeftTemp] = L"612";
    t[kRightTemp] = L"618";
    return t;
}

class DashboardEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig.StartService()) << rig.Logs();
        ASSERT_TRUE(rig.StartProgram()) << rig.Logs();
    }

    // Waits until the panel shows `expected`; the warning's box may be left
    // out because its text moves with time.
    ::testing::AssertionResult Shows(std::span<const PageObjectRow> rows, const PageTexts& texts,
                                     bool maskWarning = false,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        Panel expected = RenderExpectedPage(rows, texts);
        if (maskWarning) MaskBox(rows, kLowFuelWarning, expected);
        Panel last;
        const bool shown = Eventually([&] {
            auto actual = panel.Snapshot();
            if (!actual) return false;
            if (maskWarning) MaskBox(rows, kLowFuelWarning, *actual);
            last = *actual;
            return last == expected;
        }, timeout);
        if (shown) return ::testing::AssertionSuccess();
        if (last.empty()) return ::testing::AssertionFailure() << "no snapshot\n" << rig.Logs();
        return ::testing::AssertionFailure() << "boxes differing:" << DifferingBoxes(rows, last, expected) << "\n"
                                             << DescribeDifference(last, expected) << rig.Logs();
    }

    void Click(int button) {
        ASSERT_TRUE(panel.Button(button, true));
        ASSERT_TRUE(panel.Button(button, false));
    }

    DashboardRig rig;
    TelemetryPump pump;
    PanelClient panel;
};

TEST_F(DashboardEndToEnd, BeforeAnyDatagramPageZeroShowsLabelsAndBlankValues) {
    EXPECT_TRUE(Shows(kFlightPageRows, LabelsOnly(kFlightPageRows)));
    EXPECT_TRUE(rig.ProgramRunning());
}

// The program starts while its service cannot answer (stopped), so its one
// update at start finds no reply within the library's wait; no datagram
// ever comes to turn the loop. Its first page still shows soon after the
// service goes on.
class DashboardLateService : public DashboardEndToEnd {
protected:
    void SetUp() override {}
};

TEST_F(DashboardLateService, FirstPageShowsWithoutAnyDatagram) {
    ASSERT_TRUE(rig.StartService()) << rig.Logs();
    ASSERT_TRUE(rig.PauseService(true));
    ASSERT_TRUE(rig.StartProgram()) << rig.Logs();
    // The start line follows the start's update: the library has stopped
    // waiting for the service by then.
    ASSERT_TRUE(Eventually([&] { return rig.ProgramLog().find("listening for telemetry") != std::string::npos; }))
        << rig.Logs();
    ASSERT_TRUE(rig.PauseService(false));
    EXPECT_TRUE(Shows(kFlightPageRows, LabelsOnly(kFlightPageRows), false, std::chrono::seconds(2)));
}

TEST_F(DashboardEndToEnd, FiguresAppearInTheirBoxes) {
    pump.Set(BaseSample());
    EXPECT_TRUE(Shows(kFlightPageRows, FlightTexts({})));

    TelemetrySample s = BaseSample();
    s.vvi = 1234567.8f;
    s.hdg = 1.0f;
    std::strcpy(s.mod, "TO");
    pump.Set(s);
    FlightFigures f;
    f.vvi = L"123456";
    f.heading = L"57";
    f.mod = L"TO";
    EXPECT_TRUE(Shows(kFlightPageRows, FlightTexts(f)));
}

TEST_F(DashboardEndToEnd, SoftButtonsSwitchPagesAndUnitsOnlyWhenReleased) {
    pump.Set(BaseSample());
    ASSERT_TRUE(Shows(kFlightPageRows, FlightTexts({})));

    // Held down: the loop keeps turning (the new speed shows) but the page stays.
    ASSERT_TRUE(panel.Button(kEngineButton, true));
    TelemetrySample s = BaseSample();
    s.ias = 200.0f;
    pump.Set(s);
    FlightFigures held;
    held.speed = L"720";
    EXPECT_TRUE(Shows(kFlightPageRows, FlightTexts(held)));
    ASSERT_TRUE(panel.Button(kEngineButton, false));
    EXPECT_TRUE(Shows(kEnginePageRows, EngineTexts()));

    // Back to the flight page, now in imperial units.
    Click(kFlightButton);
    FlightFigures imperial;
    imperial.speed = L"388";
    imperial.altitude = L"3280";
    imperial.internalFuel = L"2200";
    imperial.externalFuel = L"1100";
    EXPECT_TRUE(Shows(kFlightPageRows, FlightTexts(imperial)));

    // Again on the flight page: only the units toggle back.
    Click(kFlightButton);
    EXPECT_TRUE(Shows(kFlightPageRows, FlightTexts(held)));
}

TEST_F(DashboardEndToEnd, LowFuelWarningAppearsAndFreezesTheFuelFigures) {
    pump.Set(BaseSample());  // the first datagram arms: threshold 200
    ASSERT_TRUE(Shows(kFlightPageRows, FlightTexts({})));

    TelemetrySample low = BaseSample();
    low.tki = 199.9f;
    low.tke = 744.0f;
    pump.Set(low);
    // The warning is drawn over both fuel figures, so on the panel the freeze
    // shows only as "nothing else changed" (the unit tests check the figures
    // themselves); the warning's own box moves with time and is left out.
    const Panel figures = RenderExpectedPage(kFlightPageRows, FlightTexts({}));
    ASSERT_TRUE(Eventually([&] {
        auto actual = panel.Snapshot();
        return actual && *actual != figures;
    })) << rig.Logs();
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(Shows(kFlightPageRows, FlightTexts({}), true));

    // The warning text moves: two snapshots some updates apart differ.
    const auto first = panel.Snapshot();
    EXPECT_TRUE(Eventually([&] { return panel.Snapshot() != first; }));

    // Re-armed: the threshold follows the next datagram (40 kg), the figures
    // are written again under the warning, which stays; the rest of the page
    // follows a unit toggle as usual.
    Click(kRearmButton);
    Click(kFlightButton);
    FlightFigures imperial;
    imperial.speed = L"194";
    imperial.altitude = L"3280";
    EXPECT_TRUE(Shows(kFlightPageRows, FlightTexts(imperial), true));
    EXPECT_TRUE(rig.ProgramRunning());
}

TEST_F(DashboardEndToEnd, KeepsRunningAcrossServiceRestartsAndUnplugging) {
    pump.Set(BaseSample());
    ASSERT_TRUE(Shows(kFlightPageRows, FlightTexts({})));

    // Datagrams keep coming while the service is away.
    rig.KillService();
    TelemetrySample s = BaseSample();
    s.ias = 50.0f;
    const std::uint64_t sentBefore = pump.Sent();
    pump.Set(s);
    ASSERT_TRUE(Eventually([&] { return pump.Sent() >= sentBefore + kDatagramsWhileAway; }));
    ASSERT_TRUE(rig.ProgramRunning()) << rig.Logs();
    ASSERT_TRUE(rig.StartService()) << rig.Logs();
    FlightFigures restarted;
    restarted.speed = L"180";
    EXPECT_TRUE(Shows(kFlightPageRows, FlightTexts(restarted)));

    // Unplugged until the program has closed its device.
    ASSERT_TRUE(panel.Plug(false));
    s.ias = 25.0f;
    pump.Set(s);
    ASSERT_TRUE(Eventually([&] {
        const auto status = panel.Status();
        return status && status->find("device closed") != std::string::npos;
    })) << panel.Status().value_or("no status") << rig.Logs();
    ASSERT_TRUE(panel.Plug(true));
    FlightFigures replugged;
    replugged.speed = L"90";
    EXPECT_TRUE(Shows(kFlightPageRows, FlightTexts(replugged)));
    EXPECT_TRUE(rig.ProgramRunning());
}

TEST_F(DashboardEndToEnd, BadDatagramsNeverCrashItNorTouchFieldsTheyDoNotReach) {
    const std::string base = send::FormatDatagram(BaseSample());
    pump.Set(BaseSample());
    ASSERT_TRUE(Shows(kFlightPageRows, FlightTexts({})));
    pump.Pause();

    std::mt19937 random(6060);
    std::vector<std::string> bad;
    for (const testing::BadDatagram& row : testing::BadDatagramsThatChangeNothingShown()) bad.push_back(row.bytes);
    // Oversized: a valid text with a new speed, dropped whole by the receiver.
    TelemetrySample changed = BaseSample();
    changed.ias = 999.0f;
    bad.push_back(send::FormatDatagram(changed) + std::string(2000, ' '));
    for (int i = 0; i < 60; ++i) {
        std::string noise(1 + random() % 1500, '\0');
        for (char& c : noise) c = static_cast<char>(random());
        bad.push_back(i % 2 ? "src=export.lua;" + noise.substr(15) : noise);
    }
    for (const std::string& d : bad) {
        ASSERT_TRUE(pump.SendOnce(d));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(rig.ProgramRunning()) << rig.Logs();

    // A word with ';' straight behind it swallows the separator: sub and acs
    // keep their values. Then a datagram cut after vvi: only asl..vvi change.
    std::string glued = base.substr(0, base.find("mod=")) + "mod=TO;sub=XX ;acs=YY \n";
    pump.SendOnce(glued);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    pump.SetRaw("src=export.lua;asl=1;agl=2;mbr=3;vvi=77");
    FlightFigures f;
    f.altitude = L"2";
    f.vvi = L"77";
    f.mod = L"TO;:";
    EXPECT_TRUE(Shows(kFlightPageRows, FlightTexts(f)));
    EXPECT_TRUE(rig.ProgramRunning()) << rig.Logs();
}

// Datagrams that queue up while the program cannot turn are taken together:
// the panel then shows what the same datagrams taken one per turn leave in
// the record, computed here by the dashboard's own code.
TEST_F(DashboardEndToEnd, ABurstLeavesTheRecordThatOneDatagramPerTurnLeaves) {
    const TelemetrySample base = BaseSample();
    pump.Set(base);
    ASSERT_TRUE(Shows(kFlightPageRows, FlightTexts({})));
    pump.Pause();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the last pumped datagram is taken

    TelemetrySample faster = base;
    faster.ias = 150.0f;
    faster.hdg = 1.0f;
    faster.tki = 900.0f;
    std::strcpy(faster.mod, "TO");
    TelemetrySample climbing = base;
    climbing.vvi = 12.0f;
    climbing.agl = 1500.0f;
    climbing.tke = 444.0f;
    std::strcpy(climbing.sub, "CLIMB");
    const std::string climbingText = send::FormatDatagram(climbing);
    const std::vector<std::string> burst = {
        send::FormatDatagram(faster),
        climbingText.substr(0, climbingText.find("tas=")),  // cut short: up to ias
        "src=export.lua;asl=1;agl=2345",
        "not telemetry",
        send::FormatDatagram(climbing) + std::string(2000, ' '),  // too long: dropped whole
        climbingText.substr(0, climbingText.find("mod=")) + "mod=NAV;sub=XX ;acs=YY \n",  // glued word
    };

    soak::ShadowDashboard shadow;
    shadow.Start();
    shadow.Turn(send::FormatDatagram(base));
    // The shadow parses whatever it is handed; the receiver refuses a
    // datagram too long for its buffer, so the shadow never sees that one.
    for (const std::string& d : burst) {
        if (d.size() < TelemetryReceiver::kReceiveBufferBytes) shadow.Turn(d);
    }
    const Panel expected = ToPanel(shadow.Pixels());

    ASSERT_TRUE(rig.PauseProgram(true));
    for (const std::string& d : burst) ASSERT_TRUE(pump.SendOnce(d));
    ASSERT_TRUE(rig.PauseProgram(false));
    Panel last;
    const bool shown = Eventually([&] {
        auto actual = panel.Snapshot();
        if (actual) last = *actual;
        return actual == expected;
    });
    EXPECT_TRUE(shown) << DescribeDifference(last, expected) << rig.Logs();
    EXPECT_TRUE(rig.ProgramRunning());
}

}  // namespace
}  // namespace vareko::e2e
