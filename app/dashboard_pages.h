// The layout of the two dashboard pages as data: for every text object its
// kind, alignment, width, position and, for labels, its fixed text. Objects
// are created in table order, so a later row is drawn over an earlier one.
#pragma once

#include <array>
#include <cstddef>

#include "platform/win32.h"

namespace vareko {

// Text kinds of the manager's CreateTextObject.
constexpr int kStreamingText = 0;
constexpr int kStaticText = 1;
constexpr int kAlignLeft = 0;
constexpr int kAlignCentre = 1;

struct PageObjectRow {
    int kind;
    int alignment;
    int width;
    int x;
    int y;
    const WCHAR* label;  // null for an object that shows a value
};

// Rows of the flight page (page 0).
enum FlightRow : std::size_t {
    kSpeedLabel, kSpeed, kVerticalSpeed, kAltitudeLabel, kAltitude, kHeadingLabel, kHeading,
    kFuelLabel, kInternalFuel, kExternalFuel, kLowFuelWarning, kModText, kSubText, kAcsText,
    kFlightRowCount
};

// Rows of the engine page (page 1).
enum EngineRow : std::size_t {
    kEngineTitle, kRpmLabel, kLeftRpm, kRightRpm, kTempLabel, kLeftTemp, kRightTemp,
    kEngineRowCount
};

inline constexpr std::array<PageObjectRow, kFlightRowCount> kFlightPageRows = {{
    {kStaticText, kAlignLeft, 80, 0, 0, L"Vitesse:"},
    {kStaticText, kAlignLeft, 80, 38, 0, nullptr},
    {kStaticText, kAlignLeft, 80, 58, 0, nullptr},
    {kStaticText, kAlignLeft, 80, 0, 16, L"Altitude:"},
    {kStaticText, kAlignLeft, 80, 38, 16, nullptr},
    {kStaticText, kAlignLeft, 80, 0, 32, L"Cap:"},
    {kStaticText, kAlignLeft, 80, 38, 32, nullptr},
    {kStaticText, kAlignLeft, 80, 75, 0, L"Reserve:"},
    {kStaticText, kAlignLeft, 80, 115, 0, nullptr},
    {kStaticText, kAlignLeft, 80, 140, 4, nullptr},
    {kStreamingText, kAlignCentre, 80, 115, 0, nullptr},
    {kStaticText, kAlignLeft, 80, 70, 16, nullptr},
    {kStaticText, kAlignLeft, 50, 100, 16, nullptr},
    {kStaticText, kAlignLeft, 90, 70, 32, nullptr},
}};

inline constexpr std::array<PageObjectRow, kEngineRowCount> kEnginePageRows = {{
    {kStaticText, kAlignLeft, 140, 0, 0, L"Moteur  GAUCHE      DROIT"},
    {kStaticText, kAlignLeft, 80, 0, 16, L"RPM:"},
    {kStaticText, kAlignLeft, 80, 45, 16, nullptr},
    {kStaticText, kAlignLeft, 80, 100, 16, nullptr},
    {kStaticText, kAlignLeft, 80, 0, 32, L"Temp:"},
    {kStaticText, kAlignLeft, 80, 45, 32, nullptr},
    {kStaticText, kAlignLeft, 80, 100, 32, nullptr},
}};

}  // namespace vareko
