// StreamingTextObject under the test clock: a text that fits stands still;
// a longer one waits its start delay, jumps by whole steps of at least the
// minimum, and recycles the segment that left the box to the back of the
// row without a seam. Segments are owned by the object (checked under the
// leak checker in the sanitizer build).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "display/size_class_style.h"
#include "platform/text/house_font.h"
#include "platform/win32/time.h"
#include "tests/toolkit/text_test_frames.h"
#include "toolkit/streaming_text_object.h"

namespace vareko {
namespace {

using platform::TestClock;
using test::TextPage;

constexpr const wchar_t* kWarning = L"WARNING LOW PETROL ";

// The object as the manager page makes it for size class 0, with its box
// set before the text so the first row is built at the real width.
void Configure(StreamingTextObject& object, int width) {
    object.Initialize();
    object.SetOrigin(0, 0);
    object.SetFaceName(text::kHouseFaceName.data());
    object.SetSeparator(L"       ");
    object.SetSpeed(7);
    object.SetMinimumStep(7);
    object.SetStartDelay(2000);
    const SizeClassStyle& style = StyleOf(SizeClass::Small);
    object.SetSize(width, style.lineHeight);
    object.SetPointSize(style.pointSize);
    object.SetOffset(0, style.offsetY);
}

struct Row {
    std::vector<std::wstring> texts;
    std::vector<LONG> offsets;
    std::vector<LONG> widths;
};

Row RowOf(const StreamingTextObject& object) {
    Row row;
    for (int i = 0; i < object.SegmentCount(); ++i) {
        const TextObject* segment = object.Segment(i);
        row.texts.emplace_back(segment->GetText());
        row.offsets.push_back(segment->GetOffset()->x);
        row.widths.push_back(segment->GetTextExtent()->cx);
    }
    return row;
}

// One display update: tick, then draw.
void Update(TextPage& page, TestClock& clock, DWORD advanceMs) {
    clock.Advance(advanceMs);
    page.Advance(clock.Now());
    page.Render();
}

void ExpectContiguous(const Row& row) {
    for (std::size_t i = 1; i < row.offsets.size(); ++i) {
        EXPECT_EQ(row.offsets[i], row.offsets[i - 1] + row.widths[i - 1]) << "segment " << i;
    }
}

// A ticker 40 pixels wide as the manager page makes it, alone on its page
// under the test clock; a test sets what else it needs, then shows a text.
class StreamingTicker : public ::testing::Test {
protected:
    void SetUp() override { Configure(object, 40); }
    // Sets the text after the box, puts the object on the page and builds
    // its row with a first update.
    void Show(const wchar_t* text = kWarning) {
        object.SetText(text);
        page.AddObject(&object);
        Update(0);
    }
    void Update(DWORD advanceMs) { vareko::Update(page, clock, advanceMs); }

    TestClock clock;
    TextPage page;
    StreamingTextObject object;
};

TEST_F(StreamingTicker, TextThatFitsStandsStillWithItsAlignment) {
    Configure(object, 160);
    object.SetAlignment(DT_RIGHT);
    Show(L"OK");
    ASSERT_EQ(object.SegmentCount(), 1);
    const std::vector<std::string> first = test::FrameArt(page.Current(), 0, 0, 160, 12);
    std::size_t leftmost = std::string::npos;
    for (const std::string& line : first) leftmost = std::min(leftmost, line.find('#'));
    EXPECT_NE(leftmost, std::string::npos);
    EXPECT_GT(leftmost, 140u) << "right aligned";
    for (int i = 0; i < 20; ++i) Update(500);
    EXPECT_EQ(object.GetState(), StreamingTextObject::Streaming);
    EXPECT_EQ(object.SegmentCount(), 1);
    EXPECT_EQ(test::FrameArt(page.Current(), 0, 0, 160, 12), first);
}

TEST_F(StreamingTicker, LongTextWaitsThenStepsByTheMinimum) {
    Show();
    Row row = RowOf(object);
    ASSERT_EQ(row.texts, (std::vector<std::wstring>{kWarning, L"       ", kWarning, L"       "}));
    EXPECT_EQ(row.offsets[0], 0);
    ExpectContiguous(row);
    EXPECT_GT(row.widths[0], 40);

    // The start delay must be exceeded, not only reached.
    Update(2000);
    EXPECT_EQ(object.GetState(), StreamingTextObject::Waiting);
    Update(1);
    EXPECT_EQ(object.GetState(), StreamingTextObject::Streaming);
    EXPECT_EQ(RowOf(object).offsets[0], 0);

    // 7 pixels per second, moved only once 7 whole pixels have gathered.
    const struct {
        DWORD advanceMs;
        LONG offset;
    } steps[] = {{500, 0}, {499, 0}, {1, -7}, {1000, -14}, {250, -14}, {750, -21}, {3000, -42}};
    for (const auto& s : steps) {
        Update(s.advanceMs);
        row = RowOf(object);
        EXPECT_EQ(row.offsets[0], s.offset) << "after +" << s.advanceMs << " ms";
        ExpectContiguous(row);
    }
}

TEST_F(StreamingTicker, HeadThatLeftTheBoxGoesToTheBackSeamlessly) {
    object.SetSpeed(70);
    Show();
    const LONG textWidth = RowOf(object).widths[0];
    Update(2001);

    // Each update moves the picture exactly 7 pixels left, also across the
    // moment the first text leaves and is recycled to the back.
    LONG moved = 0;
    std::vector<std::string> before = test::FrameArt(page.Current(), 0, 0, 40, 12);
    while (moved < textWidth) {
        Update(100);  // 7 pixels at 70 pixels per second
        moved += 7;
        const std::vector<std::string> after = test::FrameArt(page.Current(), 0, 0, 40, 12);
        for (std::size_t y = 0; y < after.size(); ++y) {
            EXPECT_EQ(after[y].substr(0, 33), before[y].substr(7, 33)) << "row " << y << " after " << moved;
        }
        before = after;
    }
    const Row row = RowOf(object);
    ASSERT_EQ(row.texts.size(), 4u);
    EXPECT_EQ(row.texts[0], L"       ");
    EXPECT_EQ(row.texts[3], kWarning);
    EXPECT_EQ(row.offsets[0], textWidth - moved);
    ExpectContiguous(row);
}

TEST_F(StreamingTicker, NewTextRestartsTheSameTextDoesNot) {
    Show();
    Update(2001);
    Update(1000);
    ASSERT_EQ(RowOf(object).offsets[0], -7);
    object.SetText(kWarning);
    EXPECT_EQ(object.GetState(), StreamingTextObject::Streaming);
    EXPECT_EQ(object.SegmentCount(), 4);
    object.SetText(L"FUEL");
    EXPECT_EQ(object.GetState(), StreamingTextObject::Waiting);
    ASSERT_EQ(object.SegmentCount(), 1);
    EXPECT_STREQ(object.Segment(0)->GetText(), L"FUEL");
}

TEST(StreamingText, OriginChangeInBothCoordinatesRestarts) {
    const struct {
        int x, y;
        bool restarts;
    } cases[] = {{115, 0, false}, {0, 7, false}, {10, 10, true}, {0, 0, false}};
    for (const auto& c : cases) {
        TestClock clock;
        TextPage page;
        StreamingTextObject object;
        Configure(object, 40);
        object.SetText(kWarning);
        page.AddObject(&object);
        Update(page, clock, 0);
        Update(page, clock, 2001);
        object.SetOrigin(c.x, c.y);
        EXPECT_EQ(object.GetOrigin()->x, c.x);
        EXPECT_EQ(object.GetOrigin()->y, c.y);
        EXPECT_EQ(object.GetState() == StreamingTextObject::Waiting, c.restarts) << c.x << "," << c.y;
        EXPECT_EQ(object.SegmentCount(), c.restarts ? 1 : 4);
        for (int i = 0; i < object.SegmentCount(); ++i) {
            EXPECT_EQ(object.Segment(i)->GetOrigin()->x, c.x);
            EXPECT_EQ(object.Segment(i)->GetOrigin()->y, c.y);
        }
    }
}

TEST(StreamingText, PointFormOfSetOriginEndsAndStores) {
    StreamingTextObject object;
    object.Initialize();
    DisplayObject& base = object;
    base.SetOrigin(POINT{3, 4});
    EXPECT_EQ(object.GetOrigin()->x, 3);
    EXPECT_EQ(object.GetOrigin()->y, 4);
    base.SetOrigin(5, 6);
    EXPECT_EQ(object.GetOrigin()->x, 5);
}

TEST(StreamingText, SegmentsKeepTheBoxTheyWereMadeWith) {
    StreamingTextObject object;
    object.Initialize();
    object.SetText(L" ");  // before any size, as the manager page does
    ASSERT_EQ(object.SegmentCount(), 1);
    object.SetSize(80, 12);
    object.SetOffset(0, -3);
    EXPECT_EQ(object.Segment(0)->GetWidth(), 0);
    EXPECT_EQ(object.Segment(0)->GetOffset()->y, 0);
    object.SetText(L"A");
    EXPECT_EQ(object.Segment(0)->GetWidth(), 80);
    EXPECT_EQ(object.Segment(0)->GetOffset()->y, -3);
    EXPECT_EQ(object.Segment(0)->GetBackgroundMode(), OPAQUE);
}

TEST_F(StreamingTicker, EmptyTextDrawsOnlyItsBackground) {
    object.SetText(L"x");
    Show(L"");
    EXPECT_EQ(object.SegmentCount(), 1);
    EXPECT_EQ(test::WhiteCount(page.Current()), 0);
}

TEST(StreamingText, SegmentBookkeeping) {
    StreamingTextObject object;
    object.Initialize();
    object.SetSize(40, 12);
    EXPECT_EQ(object.AddSegment(L"a"), 0);
    EXPECT_EQ(object.AddSegment(L"b"), 1);
    EXPECT_EQ(object.AddSegment(L"c"), 2);
    object.RemoveSegment(7);  // past the end: nothing
    EXPECT_EQ(object.SegmentCount(), 3);
    object.RemoveSegment(0);  // the head: the next one takes its place
    ASSERT_EQ(object.SegmentCount(), 2);
    EXPECT_STREQ(object.Segment(0)->GetText(), L"b");
    object.ClearSegments();
    EXPECT_EQ(object.SegmentCount(), 0);
    EXPECT_EQ(object.Segment(0), nullptr);
    // A segment added after clearing becomes the new head.
    object.AddSegment(L"d");
    object.AddSegment(L"e");
    object.RemoveSegment(0);
    EXPECT_STREQ(object.Segment(0)->GetText(), L"e");
}

TEST_F(StreamingTicker, SeparatorChangeWhileRunningRebuildsTheRow) {
    Show();
    object.SetSeparator(L" - ");
    Update(0);
    const Row row = RowOf(object);
    EXPECT_EQ(row.texts, (std::vector<std::wstring>{kWarning, L" - ", kWarning, L" - "}));
    ExpectContiguous(row);
}

TEST_F(StreamingTicker, SettersGivenTheCurrentValueLeaveTheRowBuilt) {
    Show();
    ASSERT_FALSE(object.IsLayoutDirty());
    const HFONT font = object.GetFont();
    const LOGFONTW current = DescribeFont(font);
    object.SetText(kWarning);
    object.SetSeparator(L"       ");
    object.SetFont(current);
    object.SetFaceName(text::kHouseFaceName.data());
    object.SetPointSize(StyleOf(SizeClass::Small).pointSize);
    EXPECT_FALSE(object.IsLayoutDirty());
    EXPECT_EQ(object.GetFont(), font);

    LOGFONTW bold = current;
    bold.lfWeight = FW_BOLD;
    object.SetFont(bold);
    EXPECT_TRUE(object.IsLayoutDirty());
    EXPECT_NE(object.GetFont(), font);
}

// The flight page's warning while another page is shown: the ticker is
// neither ticked nor drawn. Its first frame back must match a ticker that was
// drawn all along, whatever the time away.
TEST(StreamingText, TickerThatWasAwayCatchesUpInItsFirstFrame) {
    const DWORD awayMs[] = {60'000, 600'000, 3'600'000};
    for (DWORD away : awayMs) {
        TestClock clock;
        TextPage flight;
        TextPage stayed;
        TextPage engine;
        StreamingTextObject returning;
        StreamingTextObject reference;
        Configure(returning, 40);
        Configure(reference, 40);
        returning.SetText(kWarning);
        reference.SetText(kWarning);
        flight.AddObject(&returning);
        stayed.AddObject(&reference);
        for (int i = 0; i < 4; ++i) {
            clock.Advance(1000);
            flight.Advance(clock.Now());
            flight.Render();
            stayed.Advance(clock.Now());
            stayed.Render();
        }
        ASSERT_EQ(returning.GetState(), StreamingTextObject::Streaming);
        for (DWORD t = 0; t < away; t += 1000) {
            clock.Advance(1000);
            engine.Advance(clock.Now());
            engine.Render();
            stayed.Advance(clock.Now());
            stayed.Render();
        }
        flight.Advance(clock.Now());
        flight.Render();
        const Row row = RowOf(returning);
        EXPECT_GT(row.offsets[0] + row.widths[0], 0) << "head in the box after " << away << " ms";
        ExpectContiguous(row);
        EXPECT_EQ(test::FrameArt(flight.Current(), 0, 0, 40, 12), test::FrameArt(stayed.Current(), 0, 0, 40, 12))
            << "away " << away << " ms";
        EXPECT_GT(test::WhiteCount(flight.Current(), 0, 0, 40, 12), 0);
    }
}

// Speeds, minimum steps and gaps between frames at the ends of their ranges:
// the row moves (or stands) without overflowing, stays contiguous and keeps
// its head in the box.
TEST(StreamingText, ExtremeSpeedsStepsAndGapsKeepTheRowInItsBox) {
    const struct {
        int speed;
        DWORD minimumStep;
        DWORD gapMs;
        bool moves;
    } cases[] = {
        {0, 7, 1000, false},           {-1, 7, 1000, false},
        {INT_MIN, 0, 1000, false},     {-7, 0, 0xFFFFFFFFu, false},
        {1, 0, 1000, true},            {7, 0, 0, false},
        {INT_MAX, 7, 1000, true},      {INT_MAX, 0, 0xFFFFFFFFu, true},
        {7, 0xFFFFFFFFu, 1000, false}, {INT_MAX, 0xFFFFFFFFu, 0xFFFFFFFFu, true},
        {1000, 2147483648u, 0xFFFFFFFFu, true},
    };
    for (const auto& c : cases) {
        TestClock clock;
        TextPage page;
        StreamingTextObject object;
        Configure(object, 40);
        object.SetSpeed(c.speed);
        object.SetMinimumStep(c.minimumStep);
        object.SetText(kWarning);
        page.AddObject(&object);
        Update(page, clock, 0);
        Update(page, clock, 2001);
        const std::vector<std::string> still = test::FrameArt(page.Current(), 0, 0, 40, 12);
        bool moved = false;
        for (int i = 0; i < 3; ++i) {
            Update(page, clock, c.gapMs);
            const Row row = RowOf(object);
            ASSERT_EQ(row.texts.size(), 4u);
            ExpectContiguous(row);
            EXPECT_GT(row.offsets[0] + row.widths[0], 0) << c.speed << " px/s, gap " << c.gapMs;
            EXPECT_LE(row.offsets[0], 0);
            moved = moved || test::FrameArt(page.Current(), 0, 0, 40, 12) != still;
        }
        EXPECT_EQ(moved, c.moves) << c.speed << " px/s, minimum " << c.minimumStep << ", gap " << c.gapMs;
    }
}

// A child added through the base collection is not the object's to delete
// and is no part of the row (the leak checker and the sanitizer catch a
// double delete).
TEST(StreamingText, ForeignChildIsDroppedNotDeleted) {
    TestClock clock;
    TextPage page;
    TextObject foreign;
    foreign.Initialize();
    {
        StreamingTextObject object;
        Configure(object, 40);
        object.SetText(kWarning);
        page.AddObject(&object);
        Update(page, clock, 0);
        ObjectCollection& collection = object;
        collection.AddObject(&foreign);
        EXPECT_EQ(object.Segment(4), nullptr);
        Update(page, clock, 2001);
        EXPECT_EQ(object.SegmentCount(), 4);
        collection.AddObject(&foreign);
        object.Restart();
        EXPECT_EQ(object.SegmentCount(), 1);
        collection.AddObject(&foreign);
        object.RemoveSegment(1);  // not its own: only leaves the list
        EXPECT_EQ(object.SegmentCount(), 1);
        collection.AddObject(&foreign);
        page.RemoveObject(&object);
    }
    foreign.SetText(L"still here");
    EXPECT_STREQ(foreign.GetText(), L"still here");
}

}  // namespace
}  // namespace vareko
