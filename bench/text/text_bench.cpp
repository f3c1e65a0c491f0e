// Text layout: DrawTextExW with word wrap over the strings the dashboard
// shows (its labels and typical figures and words, each in its object's box
// and the dashboard's small face), drawing and measuring (DT_CALCRECT); and
// a TextObject redrawn with the same text every frame, whose two measuring
// passes are skipped, against one whose text changes every frame, all in the
// same run.
// A 20,000-character text measured and drawn in a 10,000-pixel box shows
// that layout time grows with the length of a line, not its square.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/dashboard_pages.h"
#include "display/size_class_style.h"
#include "testing/support/counting_allocator.h"
#include "platform/win32.h"
#include "display/devicelink/device_bitmap.h"
#include "toolkit/graphics_surface.h"
#include "toolkit/text_object.h"

namespace {

using namespace vareko;

// The dashboard's small size class in the house face, one line per object.
constexpr const wchar_t* kFaceName = text::kHouseFaceName.data();
constexpr int kPointSize = StyleOf(SizeClass::Small).pointSize;
constexpr int kLineHeight = StyleOf(SizeClass::Small).lineHeight;

struct BoxedText {
    const wchar_t* text;
    int width;
};

// Every label of both pages in its own box, then figures and words as a
// flight shows them, in the boxes of the objects that show them.
std::vector<BoxedText> DashboardStrings() {
    std::vector<BoxedText> strings;
    for (const PageObjectRow& row : kFlightPageRows) {
        if (row.label != nullptr) strings.push_back({row.label, row.width});
    }
    for (const PageObjectRow& row : kEnginePageRows) {
        if (row.label != nullptr) strings.push_back({row.label, row.width});
    }
    const BoxedText values[] = {
        {L"360", 80}, {L"-12", 80}, {L"1000", 80}, {L"57", 80}, {L"2400", 80}, {L"800", 80},
        {L"NAV:", 80}, {L"LOCALIZE", 50}, {L"AUTOPILOT ENGAGED", 90}, {L"WARNING LOW PETROL ", 80},
    };
    strings.insert(strings.end(), std::begin(values), std::end(values));
    return strings;
}

// A surface in its drawing state with a text object configured as the
// manager page configures a small static text.
struct Stage {
    GraphicsSurface surface;
    TextObject object;

    Stage() {
        surface.Create(kDisplayWidth, kDisplayHeight);
        surface.BeginDraw();
        object.Initialize();
        object.SetFaceName(kFaceName);
        object.SetBackgroundMode(OPAQUE);
        object.SetSize(80, kLineHeight);
        object.SetPointSize(kPointSize);
    }
    ~Stage() { surface.EndDraw(); }
};

void CountAllocations(benchmark::State& state, std::uint64_t before, std::int64_t perIteration) {
    const double made = static_cast<double>(testing::AllocationCount() - before);
    state.counters["allocs_per_call"] =
        benchmark::Counter(made / static_cast<double>(state.iterations() * perIteration));
}

void LayOutDashboardStrings(benchmark::State& state, UINT extraFormat) {
    Stage stage;
    HDC dc = stage.surface.GetMemoryDC();
    const HGDIOBJ previousFont = SelectObject(dc, stage.object.GetFont());
    const std::vector<BoxedText> strings = DashboardStrings();
    const std::uint64_t before = testing::AllocationCount();
    for (auto _ : state) {
        for (const BoxedText& s : strings) {
            RECT box{0, 0, s.width, kLineHeight};
            DrawTextExW(dc, const_cast<LPWSTR>(s.text), -1, &box, DT_WORDBREAK | DT_NOPREFIX | extraFormat, nullptr);
            benchmark::DoNotOptimize(box);
        }
    }
    const auto perIteration = static_cast<std::int64_t>(strings.size());
    CountAllocations(state, before, perIteration);
    state.SetItemsProcessed(state.iterations() * perIteration);
    SelectObject(dc, previousFont);
}

void BM_DrawTextWordWrap(benchmark::State& state) { LayOutDashboardStrings(state, 0); }
void BM_MeasureTextWordWrap(benchmark::State& state) { LayOutDashboardStrings(state, DT_CALCRECT); }

// The dashboard's warning repeated to 20,000 characters, word-wrapped in a
// 10,000-pixel box: measured (DT_CALCRECT), then drawn.
void BM_LongTextMeasureAndDraw(benchmark::State& state) {
    Stage stage;
    HDC dc = stage.surface.GetMemoryDC();
    const HGDIOBJ previousFont = SelectObject(dc, stage.object.GetFont());
    std::wstring text;
    while (text.size() < 20000) text += L"WARNING LOW PETROL ";
    text.resize(20000);
    for (auto _ : state) {
        RECT box{0, 0, 10000, kLineHeight};
        DrawTextExW(dc, text.data(), static_cast<int>(text.size()), &box, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT,
                    nullptr);
        DrawTextExW(dc, text.data(), static_cast<int>(text.size()), &box, DT_WORDBREAK | DT_NOPREFIX, nullptr);
        benchmark::DoNotOptimize(box);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    SelectObject(dc, previousFont);
}

// One redraw as a page does it each frame, after SetText with the figure of
// the turn: the same text every time, or one of two texts in turn.
void RedrawTextObject(benchmark::State& state, bool changing) {
    Stage stage;
    const wchar_t* texts[] = {L"2400", L"2399"};
    std::size_t next = 0;
    stage.object.SetText(texts[0]);
    stage.object.Draw(stage.surface);
    const std::uint64_t before = testing::AllocationCount();
    for (auto _ : state) {
        stage.object.SetText(texts[next]);
        stage.object.Draw(stage.surface);
        if (changing) next ^= 1;
    }
    CountAllocations(state, before, 1);
}

void BM_TextObjectUnchanged(benchmark::State& state) { RedrawTextObject(state, false); }
void BM_TextObjectChanging(benchmark::State& state) { RedrawTextObject(state, true); }

BENCHMARK(BM_DrawTextWordWrap);
BENCHMARK(BM_MeasureTextWordWrap);
BENCHMARK(BM_LongTextMeasureAndDraw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextObjectUnchanged);
BENCHMARK(BM_TextObjectChanging);

}  // namespace

BENCHMARK_MAIN();
