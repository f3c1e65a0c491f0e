// Derives every telemetry field from the keyframe table. Inputs (throttle,
// speed, climb rate, turn rate) are interpolated linearly; quantities that
// accumulate (altitude, heading, burnt fuel) are exact integrals of those
// inputs, and engine figures follow the throttle through moving averages, so
// RPM lags the throttle by a second or two and temperatures by several.
#include "tools/send/flight_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "tools/send/flight_profile.h"

namespace vareko::send {
namespace {

using Channel = double FlightKeyframe::*;

constexpr double kGravityMps2 = 9.81;
constexpr double kDegToRad = std::numbers::pi / 180.0;
constexpr double kFieldElevationM = 153.0;
constexpr double kParkHeadingDeg = 200.0;
constexpr double kGroundToleranceM = 0.01;
// Fuel flow at idle and its growth with throttle, kilograms per second. The
// flight is time-compressed: a whole sortie takes minutes, so the fuel burns
// much faster than in a real aircraft, and the internal tanks fall below one
// fifth of their start value during the descent.
constexpr double kIdleFlowKgPs = 1.5;
constexpr double kFlowPerThrottleKgPs = 15.0;
// Window lengths of the moving averages that make the engines lag.
constexpr double kRpmLagLeftS = 1.5;
constexpr double kRpmLagRightS = 2.0;
constexpr double kTempLagLeftS = 10.0;
constexpr double kTempLagRightS = 12.0;

// Index of the keyframe that starts the segment holding t (t within the cycle).
std::size_t SegmentAt(std::span<const FlightKeyframe> profile, double t) {
    std::size_t i = 0;
    while (i + 2 < profile.size() && profile[i + 1].timeS <= t) ++i;
    return i;
}

double Lerp(const FlightKeyframe& a, const FlightKeyframe& b, Channel c, double t) {
    const double span = b.timeS - a.timeS;
    const double f = span > 0 ? (t - a.timeS) / span : 0.0;
    return a.*c + (b.*c - a.*c) * f;
}

// The channel's value at t; before the first keyframe it holds the first value.
double ValueAt(Channel c, double t) {
    const auto profile = FlightProfile();
    if (t <= profile.front().timeS) return profile.front().*c;
    if (t >= profile.back().timeS) return profile.back().*c;
    const std::size_t i = SegmentAt(profile, t);
    return Lerp(profile[i], profile[i + 1], c, t);
}

// Integral of the channel from 0 to t, exact for the piecewise-linear channel
// (a trapezoid per segment). Negative t integrates the constant first value.
double IntegralTo(Channel c, double t) {
    const auto profile = FlightProfile();
    if (t <= 0) return profile.front().*c * t;
    double sum = 0;
    for (std::size_t i = 0; i + 1 < profile.size(); ++i) {
        const FlightKeyframe& a = profile[i];
        const FlightKeyframe& b = profile[i + 1];
        if (t <= a.timeS) break;
        const double end = std::min(t, b.timeS);
        sum += (a.*c + Lerp(a, b, c, end)) / 2.0 * (end - a.timeS);
    }
    if (t > profile.back().timeS) sum += profile.back().*c * (t - profile.back().timeS);
    return sum;
}

double AverageOver(Channel c, double t, double windowS) {
    return (IntegralTo(c, t) - IntegralTo(c, t - windowS)) / windowS;
}

const FlightKeyframe& KeyframeAt(double t) {
    const auto profile = FlightProfile();
    return profile[SegmentAt(profile, t)];
}

template <std::size_t N>
void CopyWord(char (&field)[N], const char* word) {
    std::memset(field, 0, N);
    std::strncpy(field, word, N - 1);
}

double WrapRadians(double angle) {
    const double full = 2.0 * std::numbers::pi;
    const double wrapped = std::fmod(angle, full);
    return wrapped < 0 ? wrapped + full : wrapped;
}

}  // namespace

double FlightCycleSeconds() { return FlightProfile().back().timeS; }

void SampleFlight(double seconds, TelemetrySample& s) {
    const double t = std::fmod(std::max(seconds, 0.0), FlightCycleSeconds());

    const double throttle = ValueAt(&FlightKeyframe::throttle, t);
    const double ias = ValueAt(&FlightKeyframe::iasMps, t);
    // The keyframe times are decimal fractions, so the integral of the climb
    // rate after touchdown is zero only to within rounding.
    const double climbM = IntegralTo(&FlightKeyframe::vviMps, t);
    const double agl = climbM > kGroundToleranceM ? climbM : 0.0;
    const bool airborne = agl > 0.0;
    const double vvi = airborne ? ValueAt(&FlightKeyframe::vviMps, t) : 0.0;
    const double turnRad = ValueAt(&FlightKeyframe::turnRateDegPs, t) * kDegToRad;
    const double heading =
        WrapRadians((kParkHeadingDeg + IntegralTo(&FlightKeyframe::turnRateDegPs, t)) * kDegToRad);
    const double bank = airborne ? std::atan(ias * turnRad / kGravityMps2) : 0.0;
    // Angle of attack grows as the speed falls (lift ~ aoa * v^2) and with the
    // load factor of a turn.
    const double aoa = airborne ? 0.05 * (170.0 / ias) * (170.0 / ias) / std::cos(bank) : 0.0;
    const double asl = agl + kFieldElevationM;
    const double tas = ias * (1.0 + asl * 6.5e-5);

    const double burnt = kIdleFlowKgPs * t + kFlowPerThrottleKgPs * IntegralTo(&FlightKeyframe::throttle, t);
    const double external = std::max(0.0, kExternalFuelStartKg - burnt);
    const double internal = std::max(0.0, kInternalFuelStartKg - std::max(0.0, burnt - kExternalFuelStartKg));

    const double rpmLeft = 62.0 + 40.0 * AverageOver(&FlightKeyframe::throttle, t, kRpmLagLeftS);
    const double rpmRight = 62.0 + 40.0 * AverageOver(&FlightKeyframe::throttle, t, kRpmLagRightS) - 0.4;
    const double tempLeft = 380.0 + 320.0 * AverageOver(&FlightKeyframe::throttle, t, kTempLagLeftS);
    const double tempRight = 384.0 + 320.0 * AverageOver(&FlightKeyframe::throttle, t, kTempLagRightS);

    auto f = [](double v) { return static_cast<float>(v); };
    s.asl = f(asl);
    s.agl = f(agl);
    s.mbr = f(asl + 12.0);  // barometric altitude with a slightly off pressure setting
    s.vvi = f(vvi);
    s.aoa = f(aoa);
    s.bal = 0.0f;  // coordinated flight: the slip ball stays centred
    s.pit = f(airborne ? aoa + std::atan2(vvi, ias) : 0.0);
    s.bnk = f(bank);
    s.yaw = f(turnRad);
    s.rpi = 0.0f;
    s.rbk = 0.0f;
    s.mch = f(tas / (340.3 - 0.004 * asl));
    s.ias = f(ias);
    s.tas = f(tas);
    s.ras = f(agl);
    s.glo = f(airborne ? 1.0 / std::cos(bank) : 1.0);
    s.noz = f(1.0 - 0.7 * AverageOver(&FlightKeyframe::throttle, t, kRpmLagLeftS));
    s.tki = f(internal);
    s.tke = f(external);
    s.flw = f(kIdleFlowKgPs + kFlowPerThrottleKgPs * throttle);
    s.rpl = f(rpmLeft);
    s.rpr = f(rpmRight);
    s.egl = f(tempLeft);
    s.egr = f(tempRight);
    s.lnd = f(ValueAt(&FlightKeyframe::gearDown, t));
    s.brk = f(ValueAt(&FlightKeyframe::brake, t));
    s.epu = 0.0f;
    s.oil = f(20.0 + 0.4 * rpmLeft);
    s.chf = 60.0f;
    s.flr = 30.0f;
    s.loc = 0.0f;
    s.gds = 0.0f;
    s.crs = f((kParkHeadingDeg + 90.0) * kDegToRad);  // the runway's course
    s.rmi = s.crs;
    s.dis = 0.0f;
    s.bea = s.crs;
    s.hdg = f(heading);
    s.ded = 0.0f;

    const FlightKeyframe& phase = KeyframeAt(t);
    CopyWord(s.mod, phase.mod);
    CopyWord(s.sub, phase.sub);
    CopyWord(s.acs, phase.acs);
}

}  // namespace vareko::send
