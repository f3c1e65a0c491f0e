// ScrollingTextObject under the test clock: start delay, steps with their
// fraction carried, end pause, repeat and finish, in both directions; a text
// that fits does not move; an empty text draws nothing.
#include "toolkit/scrolling_text_object.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>

#include "platform/text/house_font.h"
#include "platform/win32/time.h"
#include "tests/toolkit/stage.h"

namespace {

using vareko::ScrollingTextObject;
using vareko::ScrollState;
using vareko::platform::TestClock;
using vareko::test::Stage;

constexpr const wchar_t* kLong = L"A text much wider than its small box";

class ScrollingTextTest : public ::testing::Test {
  protected:
    ScrollingTextTest() : clock_(1000) {}

    void Configure(int width, int height, const wchar_t* text) {
        text_.Initialize();
        text_.SetFaceName(vareko::text::kHouseFaceName.data());
        text_.SetPointSize(7);
        text_.SetSize(width, height);
        text_.SetText(text);
        stage_.Add(text_);
    }

    // One display update after advanceMs: tick, then draw.
    void Update(DWORD advanceMs) {
        clock_.Advance(advanceMs);
        stage_.page.Advance(clock_.Now());
        stage_.page.Render();
    }

    int State() const { return text_.GetState(); }
    LONG OffsetX() const { return text_.GetOffset()->x; }
    LONG OffsetY() const { return text_.GetOffset()->y; }

    TestClock clock_;
    ScrollingTextObject text_;
    Stage stage_;
};

constexpr int kWaiting = static_cast<int>(ScrollState::Waiting);
constexpr int kScrolling = static_cast<int>(ScrollState::Scrolling);
constexpr int kPausing = static_cast<int>(ScrollState::Pausing);
constexpr int kFinished = static_cast<int>(ScrollState::Finished);

TEST_F(ScrollingTextTest, WaitsScrollsPausesAndStartsAgain) {
    Configure(40, 12, kLong);
    Update(0);
    int maxScroll = text_.GetMaxScroll();
    ASSERT_GT(maxScroll, 10);
    EXPECT_EQ(maxScroll, text_.GetTextExtent()->cx - 40);
    EXPECT_EQ(text_.GetExtent()->cx, text_.GetTextExtent()->cx);

    Update(1000);  // exactly the start delay: still waiting
    EXPECT_EQ(State(), kWaiting);
    Update(1);
    EXPECT_EQ(State(), kScrolling);
    EXPECT_EQ(OffsetX(), 0);

    // 20 pixels per second, the fraction carried from step to step.
    const struct {
        DWORD advanceMs;
        LONG offset;
    } steps[] = {{100, -2}, {50, -3}, {25, -3}, {25, -4}, {1000, -24}};
    for (const auto& step : steps) {
        Update(step.advanceMs);
        EXPECT_EQ(OffsetX(), step.offset) << step.advanceMs;
    }

    Update(60000);  // far beyond the end: stops there
    EXPECT_EQ(OffsetX(), -maxScroll);
    EXPECT_EQ(State(), kPausing);
    Update(1000);
    EXPECT_EQ(State(), kPausing);
    Update(1);  // the end pause is over: back to the start
    EXPECT_EQ(State(), kWaiting);
    EXPECT_EQ(OffsetX(), 0);
    EXPECT_EQ(text_.GetMaxScroll(), -1);
    Update(0);  // measured again at the next draw
    EXPECT_EQ(text_.GetMaxScroll(), maxScroll);
}

TEST_F(ScrollingTextTest, WithoutRepeatItFinishesAtTheEndUntilRestarted) {
    Configure(40, 12, kLong);
    text_.SetRepeat(FALSE);
    text_.SetEndDelay(200);
    Update(0);
    Update(1001);
    Update(60000);
    Update(201);
    EXPECT_EQ(State(), kFinished);
    EXPECT_TRUE(text_.IsFinished());
    Update(60000);
    EXPECT_EQ(OffsetX(), -text_.GetMaxScroll());

    text_.SetText(kLong);  // the same text changes nothing
    EXPECT_TRUE(text_.IsFinished());
    text_.SetText(L"Another text, also wider than the box");
    EXPECT_EQ(State(), kWaiting);
    EXPECT_EQ(OffsetX(), 0);
    EXPECT_EQ(text_.GetMaxScroll(), -1);
}

TEST_F(ScrollingTextTest, VerticalTextWrapsAndScrollsUp) {
    Configure(40, 12, kLong);
    text_.SetOffset(3, 0);
    text_.SetDirection(1);  // restarts: the offset goes back to (0, 0)
    EXPECT_EQ(OffsetX(), 0);
    text_.SetStartDelay(0);
    text_.SetSpeed(10);
    Update(0);
    int maxScroll = text_.GetMaxScroll();
    ASSERT_GT(maxScroll, 0);
    EXPECT_EQ(maxScroll, text_.GetWrappedExtent()->cy - 12);
    Update(1);
    EXPECT_EQ(State(), kScrolling);
    Update(300);
    EXPECT_EQ(OffsetY(), -3);
    EXPECT_EQ(OffsetX(), 0);
    Update(60000);
    EXPECT_EQ(OffsetY(), -maxScroll);
    EXPECT_EQ(State(), kPausing);
}

TEST_F(ScrollingTextTest, TextThatFitsGoesStraightToItsPause) {
    Configure(150, 12, L"Short");
    Update(0);
    EXPECT_EQ(text_.GetMaxScroll(), 0);
    Update(1001);
    Update(500);
    EXPECT_EQ(State(), kPausing);
    EXPECT_EQ(OffsetX(), 0);
    EXPECT_EQ(text_.GetExtent()->cx, 150);  // the box, as it is wider than the text
}

TEST_F(ScrollingTextTest, StartDelayIsMeasuredAcrossTheTickCountWrap) {
    clock_.Set(0xFFFFFC00u);  // 1024 ms before the wrap
    Configure(40, 12, kLong);
    Update(0);
    Update(1100);
    EXPECT_LT(clock_.Now(), 1000u);
    EXPECT_EQ(State(), kScrolling);
}

TEST_F(ScrollingTextTest, EmptyTextDrawsNothingAndStaysWaiting) {
    Configure(40, 12, L"");
    Update(5000);
    EXPECT_EQ(State(), kWaiting);
    EXPECT_EQ(text_.GetMaxScroll(), -1);
    std::vector<std::string> rows = stage_.Render(0, 0, 40, 12);
    EXPECT_EQ(rows, std::vector<std::string>(12, std::string(40, '.')));
}

TEST_F(ScrollingTextTest, UnknownDirectionsAreRefusedAndNegativeSpeedsStandStill) {
    Configure(40, 12, kLong);
    const struct {
        int given, kept;
    } directions[] = {{1, 1}, {2, 1}, {-1, 1}, {0, 0}, {INT_MAX, 0}};
    for (const auto& c : directions) {
        text_.SetDirection(c.given);
        EXPECT_EQ(text_.GetDirection(), c.kept) << c.given;
    }
    text_.SetStartDelay(0);
    text_.SetSpeed(-20);
    Update(0);
    Update(1);
    EXPECT_EQ(State(), kScrolling);
    Update(5000);
    EXPECT_EQ(OffsetX(), 0);
}

// Boxes and speeds at the ends of the range: the scroll range saturates
// instead of overflowing, and the text stays between its start and its end.
TEST(ScrollingTextExtremes, RangeSaturatesAndTheOffsetStaysInIt) {
    const int sides[] = {0, 1, -1, INT_MIN, INT_MAX};
    const int speeds[] = {20, 0, -1, INT_MIN, INT_MAX};
    for (int direction : {0, 1}) {
        for (int side : sides) {
            for (int speed : speeds) {
                TestClock clock(1000);
                Stage stage;
                ScrollingTextObject text;
                text.Initialize();
                text.SetFaceName(vareko::text::kHouseFaceName.data());
                text.SetPointSize(7);
                text.SetDirection(direction);
                text.SetSpeed(speed);
                if (direction == 0) {
                    text.SetSize(side, 12);
                } else {
                    text.SetSize(60, side);
                }
                text.SetText(kLong);
                stage.Add(text);
                stage.page.Render();
                const LONG length = direction == 0 ? text.GetTextExtent()->cx : text.GetWrappedExtent()->cy;
                const std::int64_t range =
                    std::min<std::int64_t>(std::max<std::int64_t>(0, std::int64_t{length} - side), INT_MAX);
                EXPECT_EQ(text.GetMaxScroll(), range)
                    << "direction " << direction << ", side " << side;
                for (DWORD gap : {1001u, 500u, 0xFFFFFFFFu, 3000u}) {
                    clock.Advance(gap);
                    stage.page.Advance(clock.Now());
                    stage.page.Render();
                    const LONG offset = direction == 0 ? text.GetOffset()->x : text.GetOffset()->y;
                    EXPECT_LE(offset, 0);
                    EXPECT_GE(offset, -range)
                        << "direction " << direction << ", side " << side << ", speed " << speed;
                }
            }
        }
    }
}

}  // namespace
