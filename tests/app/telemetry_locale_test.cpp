// Parsing ignores the process locale: under a locale whose decimal point is
// a comma, "1.5" still reads as 1.5 and "1,5" still stops at the comma.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

#include "app/telemetry_parser.h"
#include "testing/support/telemetry_text.h"

namespace vareko {
namespace {

class DecimalCommaLocaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
            GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (scripts/setup generates it)";
        }
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(DecimalCommaLocaleTest, PointIsTheDecimalPointWhateverTheLocale) {
    float viaLocale = 0.0F;
    ASSERT_EQ(std::sscanf("1,5", "%f", &viaLocale), 1);
    ASSERT_EQ(viaLocale, 1.5F) << "the locale's decimal point is not a comma";

    TelemetrySample sample = testing::PreviousSample();
    ParseTelemetry("src=export.lua;asl=1.5;agl=2.5e1;mbr=1,5;vvi=7", sample);
    EXPECT_EQ(sample.asl, 1.5F);
    EXPECT_EQ(sample.agl, 25.0F);
    EXPECT_EQ(sample.mbr, 1.0F);
    EXPECT_EQ(sample.vvi, testing::PreviousSample().vvi);
}

}  // namespace
}  // namespace vareko
