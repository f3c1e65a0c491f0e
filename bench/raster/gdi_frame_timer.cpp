// Times the dashboard frame on the system's GDI (Windows build, run under
// Wine by bench_raster). Google Benchmark is not available for the cross
// build, so this is a plain loop: a warm-up, then frames until the given
// number of seconds has passed, each timed with the performance counter.
// The text objects are drawn anew by the system's DrawTextExW every frame:
// the toolkit's text-run cache is built into this program too, and with it
// on the timer would measure our cache copying kept pixels back, not GDI
// drawing the frame.
// Prints one line: "frames=<n> median_ns=<wall> cpu_ns=<thread CPU per frame>".
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/raster/dashboard_frame.h"
#include "toolkit/text_run_cache.h"

namespace {

constexpr int kWarmUpFrames = 200;
constexpr std::size_t kMaxFrames = 1'000'000;

double ThreadCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) {
        return 0.0;
    }
    auto ticks = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) * 100e-9;  // FILETIME counts 100 ns units
}

long long Counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 1.0;
    vareko::SetTextRunCaching(false);
    vareko::bench::DashboardFrame frame;
    if (!frame.IsReady() || frame.Render() == nullptr) {
        std::fprintf(stderr, "gdi_frame_timer: the frame could not be set up\n");
        return 1;
    }
    for (int i = 0; i < kWarmUpFrames; ++i) {
        frame.Render();
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const auto budget = static_cast<long long>(seconds * static_cast<double>(frequency.QuadPart));
    std::vector<long long> samples;
    samples.reserve(kMaxFrames);
    const double cpuBefore = ThreadCpuSeconds();
    const long long start = Counter();
    long long now = start;
    while (samples.empty() || (now - start < budget && samples.size() < kMaxFrames)) {
        const long long before = now;
        frame.Render();
        now = Counter();
        samples.push_back(now - before);
    }
    const double cpuSeconds = ThreadCpuSeconds() - cpuBefore;
    const auto middle = samples.begin() + static_cast<std::ptrdiff_t>(samples.size() / 2);
    std::nth_element(samples.begin(), middle, samples.end());
    const double tickNs = 1e9 / static_cast<double>(frequency.QuadPart);
    std::printf("frames=%zu median_ns=%.0f cpu_ns=%.0f\n", samples.size(),
                static_cast<double>(*middle) * tickNs,
                cpuSeconds * 1e9 / static_cast<double>(samples.size()));
    return 0;
}
