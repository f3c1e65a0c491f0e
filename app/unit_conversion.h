// The dashboard's unit conversions with their exact arithmetic: a 32-bit
// float field times a double constant, rounded back to a float, which is then
// truncated for display. The constants are the display's own, not the exact
// unit factors (3.28, not 3.28084; 3.14, not pi), so the figures match the
// device's established readings.
#pragma once

namespace vareko {

constexpr double kMpsToKmh = 3.6;
constexpr double kMpsToKnots = 1.94;
constexpr double kMetresToFeet = 3.28;
constexpr double kKgToPounds = 2.2;
constexpr double kPi = 3.14;
constexpr double kLowFuelShare = 0.2;

constexpr float Scaled(float value, double factor) {
    return static_cast<float>(static_cast<double>(value) * factor);
}

constexpr float SpeedFigure(float iasMps, bool metric) {
    return Scaled(iasMps, metric ? kMpsToKmh : kMpsToKnots);
}

constexpr float AltitudeFigure(float aglM, bool metric) { return metric ? aglM : Scaled(aglM, kMetresToFeet); }

constexpr float FuelFigure(float kg, bool metric) { return metric ? kg : Scaled(kg, kKgToPounds); }

// Radians to degrees: 180 is a float and multiplies first, in float; the
// division by the double 3.14 follows.
constexpr float HeadingFigure(float hdgRad) {
    return static_cast<float>(static_cast<double>(hdgRad * 180.0f) / kPi);
}

constexpr float LowFuelThreshold(float tkiKg) { return Scaled(tkiKg, kLowFuelShare); }

}  // namespace vareko
