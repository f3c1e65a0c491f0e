// Tick count, test clock, atomics and MulDiv of the Win32-style layer.
#include <gtest/gtest.h>

#include "platform/win32.h"

namespace {

TEST(MulDivTest, RoundsToNearestAndGuardsDivisionByZero) {
    struct Case {
        int number, numerator, denominator, expected;
    };
    const Case cases[] = {
        {7, 96, 72, 9},     {8, 96, 72, 11},  {12, 96, 72, 16}, {1, 1, 2, 1},
        {-1, 1, 2, -1},     {3, 1, 2, 2},     {-3, 1, 2, -2},   {10, 1, 0, -1},
        {5, -1, 2, -3},     {0x40000000, 4, 2, -1},  // result does not fit an int
        {2000000000, 3, 3, 2000000000},               // 64-bit intermediate
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected)
            << c.number << " * " << c.numerator << " / " << c.denominator;
    }
}

TEST(TickCountTest, TestClockReplacesTheClockAndSleepAdvancesIt) {
    vareko::platform::TestClock clock(0xFFFFFFF0u);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    Sleep(0x20);
    EXPECT_EQ(GetTickCount(), 0x10u);  // wrapped like the platform counter
    EXPECT_EQ(GetTickCount() - 0xFFFFFFF0u, 0x20u);
    clock.Set(5);
    EXPECT_EQ(GetTickCount(), 5u);
}

TEST(TickCountTest, RealClockIsMonotonicAcrossASleep) {
    // The system's counter moves in timer ticks of up to 16 ms, so the
    // lower bound allows for one tick short at either end.
    DWORD before = GetTickCount();
    Sleep(40);
    DWORD elapsed = GetTickCount() - before;
    EXPECT_GE(elapsed, 20u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(InterlockedTest, ReturnsTheNewValue) {
    volatile LONG counter = 0;
    EXPECT_EQ(InterlockedIncrement(&counter), 1);
    EXPECT_EQ(InterlockedIncrement(&counter), 2);
    EXPECT_EQ(InterlockedDecrement(&counter), 1);
    EXPECT_EQ(InterlockedDecrement(&counter), 0);
    EXPECT_EQ(InterlockedDecrement(&counter), -1);
}

}  // namespace
