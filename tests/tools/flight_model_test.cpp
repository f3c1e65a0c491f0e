// The synthetic flight: it must stay physically consistent and exercise every
// field that the dashboard shows, including the low-fuel warning.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <set>
#include <string>

#include "tools/send/flight_model.h"
#include "tools/send/flight_profile.h"

namespace vareko::send {
namespace {

constexpr double kStepS = 0.05;

TelemetrySample At(double t) {
    TelemetrySample s{};
    SampleFlight(t, s);
    return s;
}

TEST(FlightModel, IsAPureFunctionOfTime) {
    TelemetrySample a = At(123.45);
    SampleFlight(10.0, a);  // overwrite with something else, then recompute
    SampleFlight(123.45, a);
    const TelemetrySample b = At(123.45);
    EXPECT_EQ(0, std::memcmp(&a, &b, sizeof a));
}

TEST(FlightModel, AltitudeStartsAndEndsOnTheGroundAndNeverGoesBelow) {
    const double cycle = FlightCycleSeconds();
    float highest = 0;
    for (double t = 0; t < cycle; t += kStepS) {
        const TelemetrySample s = At(t);
        ASSERT_GE(s.agl, 0.0f) << t;
        highest = std::max(highest, s.agl);
    }
    EXPECT_GT(highest, 1000.0f);
    // The climb and descent rates balance, so the aircraft touches down
    // instead of hovering or sinking below the runway.
    EXPECT_LT(At(cycle - 1.0).agl, 1.0f);
    EXPECT_EQ(0.0f, At(0).agl);
}

TEST(FlightModel, VerticalSpeedIsTheSlopeOfTheAltitude) {
    for (double t = 40; t < FlightCycleSeconds() - 40; t += 7.3) {
        const double slope = (At(t + 0.01).agl - At(t - 0.01).agl) / 0.02;
        EXPECT_NEAR(slope, At(t).vvi, 0.6) << t;
    }
}

TEST(FlightModel, HeadingPassesThroughEveryDirectionAndStaysInRange) {
    std::set<int> sectors;  // 10-degree sectors visited
    for (double t = 0; t < FlightCycleSeconds(); t += kStepS) {
        const float hdg = At(t).hdg;
        ASSERT_GE(hdg, 0.0f);
        ASSERT_LT(hdg, static_cast<float>(2 * std::numbers::pi));
        sectors.insert(static_cast<int>(hdg * 180 / std::numbers::pi) / 10);
    }
    EXPECT_EQ(36u, sectors.size());
}

TEST(FlightModel, InternalFuelFallsBelowOneFifthOfItsStartValue) {
    const float start = At(0).tki;
    EXPECT_FLOAT_EQ(kInternalFuelStartKg, start);
    float previous = start;
    double crossing = -1;
    for (double t = 0; t < FlightCycleSeconds(); t += kStepS) {
        const TelemetrySample s = At(t);
        ASSERT_LE(s.tki, previous) << t;  // fuel only ever burns
        previous = s.tki;
        if (crossing < 0 && s.tki < start * 0.2f) crossing = t;
    }
    ASSERT_GT(crossing, 0);
    // While still airborne, so the demo shows the warning during the flight.
    EXPECT_GT(At(crossing).agl, 0.0f);
    // The external tanks are used up first.
    EXPECT_EQ(0.0f, At(crossing).tke);
    // The next flight starts refuelled.
    EXPECT_FLOAT_EQ(kInternalFuelStartKg, At(FlightCycleSeconds() + 0.01).tki);
}

TEST(FlightModel, EnginesFollowTheThrottleWithLag) {
    const auto profile = FlightProfile();
    // Find the step to full power on the runway.
    double fullPowerS = 0;
    for (std::size_t i = 1; i < profile.size(); ++i) {
        if (profile[i].throttle == 1.0 && profile[i - 1].throttle < 0.5) fullPowerS = profile[i].timeS;
    }
    ASSERT_GT(fullPowerS, 0);
    const TelemetrySample idle = At(2.0);
    const TelemetrySample soon = At(fullPowerS + 0.5);
    const TelemetrySample later = At(fullPowerS + 12.0);
    EXPECT_LT(idle.rpl, 70.0f);
    EXPECT_GT(later.rpl, 100.0f);
    EXPECT_GT(later.rpr, 100.0f);
    // RPM spools up faster than the temperature rises.
    const double rpmShare = (soon.rpl - idle.rpl) / (later.rpl - idle.rpl);
    const double tempShare = (soon.egl - idle.egl) / (later.egl - idle.egl);
    EXPECT_GT(rpmShare, tempShare);
    EXPECT_GT(later.egl, idle.egl + 200.0f);
    // The two engines show different figures, so a swapped column is visible.
    EXPECT_NE(later.rpl, later.rpr);
    EXPECT_NE(later.egl, later.egr);
}

TEST(FlightModel, WordsFitTheirFieldsHaveNoBlanksAndChange) {
    std::set<std::string> mods, subs, acss;
    bool shortMod = false;
    for (const FlightKeyframe& k : FlightProfile()) {
        for (const auto& [word, room] : {std::pair{k.mod, 3u}, {k.sub, 7u}, {k.acs, 19u}}) {
            EXPECT_LE(std::strlen(word), room) << word;
            EXPECT_GT(std::strlen(word), 0u);
            EXPECT_EQ(nullptr, std::strpbrk(word, " \t\n\v\f\r;")) << word;
        }
        shortMod = shortMod || std::strlen(k.mod) < 3;
        mods.insert(k.mod);
        subs.insert(k.sub);
        acss.insert(k.acs);
    }
    EXPECT_GE(mods.size(), 3u);
    EXPECT_GE(subs.size(), 5u);
    EXPECT_GE(acss.size(), 4u);
    EXPECT_TRUE(shortMod) << "a word shorter than 3 shows the display's no-colon case";
}

TEST(FlightModel, KeyframesAreInTimeOrder) {
    const auto profile = FlightProfile();
    for (std::size_t i = 1; i < profile.size(); ++i) EXPECT_LT(profile[i - 1].timeS, profile[i].timeS);
}

TEST(FlightModel, SpeedsStayPlausible) {
    for (double t = 0; t < FlightCycleSeconds(); t += 0.5) {
        const TelemetrySample s = At(t);
        ASSERT_GE(s.ias, 0.0f);
        ASSERT_LT(s.ias, 250.0f);
        ASSERT_LT(std::fabs(s.vvi), 30.0f);
        if (s.agl == 0.0f) {
            EXPECT_EQ(0.0f, s.bnk) << t;
        } else {
            EXPECT_GT(s.ias, 60.0f) << "airborne below stall speed at " << t;
        }
    }
}

}  // namespace
}  // namespace vareko::send
