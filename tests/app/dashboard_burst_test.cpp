// A turn that finds datagrams queued behind its first one: they go into the
// record in arrival order before the one update, and the record, the armed
// threshold and the page texts (but frozen fuel figures) end as turns taken
// one datagram at a time leave them.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/dashboard_app.h"
#include "app/telemetry_parser.h"
#include "tests/app/fake_dashboard_display.h"
#include "testing/support/telemetry_text.h"

namespace vareko {
namespace {

using testing::DatagramText;
using testing::DescribeDifferences;
using testing::FakeDashboardDisplay;
using testing::WellFormedFields;

constexpr int kReceiveFailed = -1;

// Datagram texts waiting in order; an empty optional stands for a datagram
// too long to receive. With `oneAtATime` nothing is ever queued behind the
// datagram that ReceiveInto takes.
class QueueSource final : public TelemetrySource {
public:
    SourceOpenResult Open() override { return {}; }
    int ReceiveInto(TelemetrySample& sample) override { return Take(sample); }
    int ReceiveQueuedInto(TelemetrySample& sample) override {
        if (oneAtATime || waiting.empty()) return kNothingQueued;
        return Take(sample);
    }
    std::deque<std::string> waiting;
    bool oneAtATime = false;
    static inline const std::string kTooLong = "(too long)";

private:
    int Take(TelemetrySample& sample) {
        if (waiting.empty()) return kReceiveFailed;
        const std::string text = waiting.front();
        waiting.pop_front();
        return text == kTooLong ? kReceiveFailed : ParseTelemetry(text.c_str(), sample);
    }
};

struct Dashboard {
    explicit Dashboard(bool oneAtATime) {
        source.oneAtATime = oneAtATime;
        app.Start();
    }
    FakeDashboardDisplay display;
    QueueSource source;
    DashboardApp app{display, source};
};

// A complete datagram whose numbers are all `value` and whose words are given.
std::string Complete(const std::string& value, const std::string& mod, const std::string& sub,
                     const std::string& acs) {
    std::vector<std::string> fields(kTelemetryNumberCount, value);
    fields.insert(fields.end(), {mod, sub, acs});
    return DatagramText(fields);
}

// The first `count` fields of a well-formed datagram, numbers scaled by `scale`.
std::string CutAfter(std::size_t count, int scale) {
    std::vector<std::string> fields = WellFormedFields();
    fields.resize(count);
    for (std::size_t i = 0; i < count && i < kTelemetryNumberCount; ++i) {
        fields[i] = std::to_string(static_cast<int>(i + 1) * scale);
    }
    return DatagramText(fields);
}

// Every object's text but the two fuel figures: while the warning shows they
// keep what the last turn before it wrote, and a burst has fewer turns.
std::vector<std::wstring> TextsBesideTheFuel(FakeDashboardDisplay& display) {
    std::vector<std::wstring> texts;
    for (std::size_t i = 0; i < display.objects.size(); ++i) {
        if (i != kInternalFuel && i != kExternalFuel) texts.push_back(display.Text(i));
    }
    return texts;
}

TEST(DashboardBurstTest, ABurstLeavesWhatTurnsOneDatagramAtATimeLeave) {
    struct Case {
        const char* name;
        std::vector<std::string> datagrams;
    };
    const std::string glued = "src=export.lua;asl=7;agl=8;mod=TO;sub=XX ;acs=YY \n";
    const std::vector<Case> cases = {
        {"complete, then cut ones that reach fewer fields",
         {Complete("1000", "NAV", "CRUISE", "ALT"), CutAfter(30, 2), CutAfter(18, 3), CutAfter(4, 5)}},
        {"cut first, the internal fuel arrives later and arms from there",
         {CutAfter(12, 7), Complete("900", "TO", "CLIMB", "HDG"), Complete("50", "LND", "FINAL", "APP")}},
        {"foreign, too long and glued datagrams among good ones",
         {Complete("300", "NAV", "A", "B"), "hello", QueueSource::kTooLong, glued, "", CutAfter(40, 9)}},
        {"one datagram", {Complete("42", "X", "Y", "Z")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dashboard burst(false);
        Dashboard single(true);
        burst.source.waiting.assign(c.datagrams.begin(), c.datagrams.end());
        single.source.waiting.assign(c.datagrams.begin(), c.datagrams.end());
        const int updatesBefore = burst.display.updates;
        burst.app.Turn();
        while (!single.source.waiting.empty()) single.app.Turn();

        EXPECT_EQ(burst.display.updates, updatesBefore + 1);
        EXPECT_TRUE(burst.source.waiting.empty());
        EXPECT_EQ(DescribeDifferences(burst.app.Sample(), single.app.Sample()), "");
        EXPECT_EQ(burst.app.LowFuelArmed(), single.app.LowFuelArmed());
        EXPECT_EQ(burst.app.LowFuelThreshold(), single.app.LowFuelThreshold());
        EXPECT_EQ(TextsBesideTheFuel(burst.display), TextsBesideTheFuel(single.display));
    }
}

TEST(DashboardBurstTest, ArmsFromTheFirstDatagramOfTheBurstThatCarriesTheInternalFuel) {
    Dashboard d(false);
    d.source.waiting = {CutAfter(17, 1), Complete("1000", "A", "B", "C"), Complete("500", "A", "B", "C")};
    d.app.Turn();
    EXPECT_FALSE(d.app.LowFuelArmed());
    EXPECT_FLOAT_EQ(d.app.LowFuelThreshold(), 200.0f);
    EXPECT_FLOAT_EQ(d.app.Sample().tki, 500.0f);
}

TEST(DashboardBurstTest, ATurnTakesABoundedNumberOfQueuedDatagrams) {
    Dashboard d(false);
    const std::size_t queued = DashboardApp::kMaxQueuedDatagramsPerTurn + 5;
    for (std::size_t i = 0; i <= queued; ++i) d.source.waiting.push_back(CutAfter(2, static_cast<int>(i)));
    d.app.Turn();
    EXPECT_EQ(d.source.waiting.size(), 5U);
    d.app.Turn();
    EXPECT_TRUE(d.source.waiting.empty());
    EXPECT_FLOAT_EQ(d.app.Sample().agl, 2.0f * static_cast<float>(queued));
}

}  // namespace
}  // namespace vareko
