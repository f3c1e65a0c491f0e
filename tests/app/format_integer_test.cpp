// Figure texts, including the values outside the int range that a plain
// conversion would turn into undefined behaviour.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/format_integer.h"
#include "app/unit_conversion.h"

namespace vareko {
namespace {

std::wstring Text(float v) { return FigureText(v).data(); }

TEST(FigureText, TruncatesTowardZeroAndKeepsTheFirstSixCharacters) {
    const struct {
        float value;
        const wchar_t* text;
    } cases[] = {
        {0.0f, L"0"},          {-0.0f, L"0"},           {0.99f, L"0"},
        {-0.9f, L"0"},         {-1.5f, L"-1"},          {42.7f, L"42"},
        {999999.0f, L"999999"}, {1234567.8f, L"123456"}, {-123456.7f, L"-12345"},
        {-99999.0f, L"-99999"},
        // The int range's ends: exact in single precision.
        {2147483520.0f, L"214748"},   // largest float below 2^31
        {-2147483648.0f, L"-21474"},  // INT_MIN itself
        // Beyond it: the leading digits of the exact integer part.
        {2147483648.0f, L"214748"},  {3.0e9f, L"300000"},   {-3.0e9f, L"-30000"},
        {1.0e38f, L"999999"},        // 99999996802856924650656260769173209088
        {-std::numeric_limits<float>::max(), L"-34028"},
        {std::numeric_limits<float>::infinity(), L"INF"},
        {-std::numeric_limits<float>::infinity(), L"-INF"},
        {std::numeric_limits<float>::quiet_NaN(), L"NaN"},
        {-std::numeric_limits<float>::quiet_NaN(), L"NaN"},
        {std::numeric_limits<float>::denorm_min(), L"0"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.text, Text(c.value)) << c.value;
}

TEST(UnitConversion, TheDisplaysReferenceReadings) {
    EXPECT_EQ(L"360", Text(SpeedFigure(100.0f, true)));
    EXPECT_EQ(L"194", Text(SpeedFigure(100.0f, false)));
    EXPECT_EQ(L"3280", Text(AltitudeFigure(1000.0f, false)));
    EXPECT_EQ(L"180", Text(HeadingFigure(3.14f)));
    EXPECT_EQ(L"57", Text(HeadingFigure(1.0f)));
    // 2*pi radians in degrees with 3.14: a little over 360.
    EXPECT_EQ(L"360", Text(HeadingFigure(6.2831855f)));
    EXPECT_FLOAT_EQ(200.0f, LowFuelThreshold(1000.0f));
}

TEST(UnitConversion, ValuesWhereTheOrderOfFloatAndDoubleArithmeticShows) {
    const struct {
        float figure;
        const wchar_t* text;
        const char* why;
    } cases[] = {
        // float 180 first: 197.82 (float) / 3.14 = 62.99999..., all-double gives 63
        {HeadingFigure(1.099f), L"62", "heading multiplied in double"},
        // with 3.14 as a float constant the quotient would fall below 27
        {HeadingFigure(0.471f), L"27", "heading divided in float"},
        // the double product rounds to 262176 in float, a float product to 262175.97
        {AltitudeFigure(79931.7031f, false), L"262176", "altitude multiplied in float"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.text, Text(c.figure)) << c.why;
}

}  // namespace
}  // namespace vareko
