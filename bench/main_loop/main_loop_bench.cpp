// Times one turn of the dashboard's main loop: parse a datagram, write the
// flight page's figures and words, poll the buttons, and Update (advance,
// render, hand the frame to a library that discards it). A test clock is
// installed so the turn's one-millisecond yield costs nothing and each turn
// advances time by exactly 1 ms. Heap allocations are counted per turn.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "app/dashboard_app.h"
#include "app/device_dashboard_display.h"
#include "app/telemetry_parser.h"
#include "testing/support/counting_allocator.h"
#include "bench/support/scratch_registry.h"
#include "platform/win32/time.h"
#include "tools/send/counter_pattern.h"
#include "tools/send/datagram_format.h"
#include "tools/send/flight_model.h"

namespace {

using namespace vareko;

// Datagram texts from the sender's synthetic flight, `step` seconds apart.
std::vector<std::string> FlightDatagrams(int count, double startSeconds, double stepSeconds) {
    std::vector<std::string> texts;
    TelemetrySample sample{};
    for (int i = 0; i < count; ++i) {
        send::SampleFlight(startSeconds + stepSeconds * i, sample);
        texts.push_back(send::FormatDatagram(sample));
    }
    return texts;
}

// The end-to-end run's counter pattern: every datagram changes nine of the
// flight page's fourteen texts.
std::vector<std::string> CounterDatagrams(int count) {
    std::vector<std::string> texts;
    TelemetrySample sample{};
    for (int i = 0; i < count; ++i) {
        send::SampleCounter(static_cast<std::uint64_t>(i), sample);
        texts.push_back(send::FormatDatagram(sample));
    }
    return texts;
}

// Hands out the prepared texts in a cycle, parsed as the receiver parses.
class ReplaySource final : public TelemetrySource {
public:
    explicit ReplaySource(std::vector<std::string> textsIn) : texts(std::move(textsIn)) {}
    SourceOpenResult Open() override { return {}; }
    int ReceiveInto(TelemetrySample& sample) override {
        const std::string& text = texts[next];
        next = (next + 1) % texts.size();
        return ParseTelemetry(text.c_str(), sample);
    }

private:
    std::vector<std::string> texts;
    std::size_t next = 0;
};

// Runs `app`'s turn as the benchmark loop after a warm-up, and reports heap
// allocations per turn measured over the timed turns only.
void RunTurns(benchmark::State& state, DashboardApp& app) {
    for (int i = 0; i < 1000; ++i) app.Turn();
    const std::uint64_t before = testing::AllocationCount();
    for (auto _ : state) app.Turn();
    const std::uint64_t after = testing::AllocationCount();
    state.counters["allocs_per_turn"] =
        benchmark::Counter(static_cast<double>(after - before) / static_cast<double>(state.iterations()));
}

void TurnWith(benchmark::State& state, std::vector<std::string> texts) {
    bench::ScratchRegistry registry;
    platform::TestClock clock;
    DeviceDashboardDisplay display;
    ReplaySource source(std::move(texts));
    DashboardApp app(display, source);
    app.Start();
    if (!registry.Ok() || !display.IsDeviceOpen()) {
        state.SkipWithError("the discarding display library did not open");
        return;
    }
    RunTurns(state, app);
}

// The same datagram every turn: no figure changes, the steady state of a
// parked aircraft.
void BM_TurnUnchangedValues(benchmark::State& state) { TurnWith(state, FlightDatagrams(1, 5.0, 0.0)); }

// A flight sampled at 60 Hz: every turn changes several figures.
void BM_TurnFlight60Hz(benchmark::State& state) { TurnWith(state, FlightDatagrams(600, 30.0, 1.0 / 60.0)); }

// The end-to-end tool's datagrams: most figures and all three words change
// every turn.
void BM_TurnCounterPattern(benchmark::State& state) { TurnWith(state, CounterDatagrams(600)); }

// The parse alone, for the breakdown of a turn.
void BM_ParseDatagram(benchmark::State& state) {
    const std::vector<std::string> texts = FlightDatagrams(64, 30.0, 1.0 / 60.0);
    TelemetrySample sample{};
    std::size_t i = 0;
    const std::uint64_t before = testing::AllocationCount();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseTelemetry(texts[i].c_str(), sample));
        i = (i + 1) % texts.size();
    }
    state.counters["allocs_per_parse"] = benchmark::Counter(
        static_cast<double>(testing::AllocationCount() - before) / static_cast<double>(state.iterations()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * texts[0].size()));
}

BENCHMARK(BM_TurnUnchangedValues);
BENCHMARK(BM_TurnFlight60Hz);
BENCHMARK(BM_TurnCounterPattern);
BENCHMARK(BM_ParseDatagram);

}  // namespace

BENCHMARK_MAIN();
