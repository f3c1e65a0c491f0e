// Raster figures: fills, lines and blits on our engine's 8-bit and 1-bit DIB
// sections against cairo's A8 and A1 image surfaces (the same shapes, one
// call per shape), and the dashboard's full frame on our engine against the
// same frame on the system's GDI under Wine. Each of our runs carries the
// ratio ours / reference from the same run in its counters.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/raster/dashboard_frame.h"
#include "bench/raster/engine_workloads.h"
#include "bench/raster/ratio_counters.h"
#include "bench/raster/wine_frame.h"
#ifdef VAREKO_HAVE_CAIRO
#include "bench/raster/cairo_workloads.h"
#endif

namespace vareko::bench {
namespace {

constexpr const char* kFrame = "FullFrame/engine";
constexpr const char* kFrameReference = "FullFrame/gdi_wine";
constexpr double kFrameTargetRatio = 0.15;  // ours at least 6.7 times as fast
constexpr double kWineSeconds = 2.0;

struct Depth {
    const char* engine;  // run name suffix for our engine
    const char* cairo;   // and for the matching cairo surface
    int bitsPerPixel;
};
constexpr Depth kDepths[] = {{"engine_8bit", "cairo_A8", 8}, {"engine_1bit", "cairo_A1", 1}};

RatioCounters& Ratios() {
    static RatioCounters ratios = [] {
        std::vector<RatioCounters::Pair> pairs{{kFrame, kFrameReference}};
        for (const char* group : {"Fills", "Lines"}) {
            for (const Depth& depth : kDepths) {
                pairs.push_back({std::string(group) + "/" + depth.engine,
                                 std::string(group) + "/" + depth.cairo});
            }
        }
        for (const BlitShape& shape : kBlitShapes) {
            for (const Depth& depth : kDepths) {
                const std::string group = std::string("Blit") + shape.name + "/";
                pairs.push_back({group + depth.engine, group + depth.cairo});
            }
        }
        return RatioCounters(pairs);
    }();
    return ratios;
}

// Our engine: `draw` once per iteration on a fresh DIB of the given depth.
template <class Draw>
void RunEngine(benchmark::State& state, int bitsPerPixel, std::size_t itemsPerIteration, Draw draw) {
    DibTarget target(kTargetWidth, kTargetHeight, bitsPerPixel);
    DibTarget source(kTargetWidth, kTargetHeight, bitsPerPixel);
    if (!target.IsValid() || !source.IsValid()) {
        state.SkipWithError("could not create the DIB sections");
        return;
    }
    source.Stripes();
    for (auto _ : state) {
        draw(target.Dc(), source.Dc());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * itemsPerIteration));
}

void RegisterEngineCases() {
    for (const Depth& depth : kDepths) {
        const int bits = depth.bitsPerPixel;
        benchmark::RegisterBenchmark((std::string("Fills/") + depth.engine).c_str(),
                                     [bits](benchmark::State& state) {
                                         RunEngine(state, bits, FillBoxes().size(),
                                                   [](HDC dc, HDC) { FillBoxesWhite(dc); });
                                     });
        benchmark::RegisterBenchmark((std::string("Lines/") + depth.engine).c_str(),
                                     [bits](benchmark::State& state) {
                                         RunEngine(state, bits, LineSegments().size(),
                                                   [](HDC dc, HDC) { DrawLineSegments(dc); });
                                     });
        for (const BlitShape& shape : kBlitShapes) {
            benchmark::RegisterBenchmark(
                (std::string("Blit") + shape.name + "/" + depth.engine).c_str(),
                [bits, &shape](benchmark::State& state) {
                    RunEngine(state, bits, 1,
                              [&shape](HDC dc, HDC source) { CopyBlock(dc, source, shape); });
                });
        }
    }
}

#ifdef VAREKO_HAVE_CAIRO
cairo_format_t CairoFormat(int bitsPerPixel) {
    return bitsPerPixel == 8 ? CAIRO_FORMAT_A8 : CAIRO_FORMAT_A1;
}

template <class Draw>
void RunCairo(benchmark::State& state, int bitsPerPixel, std::size_t itemsPerIteration, Draw draw) {
    CairoTarget target(CairoFormat(bitsPerPixel), kTargetWidth, kTargetHeight);
    CairoTarget source(CairoFormat(bitsPerPixel), kTargetWidth, kTargetHeight);
    if (!target.IsValid() || !source.IsValid()) {
        state.SkipWithError("could not create the cairo surfaces");
        return;
    }
    source.Stripes();
    cairo_surface_flush(source.Surface());
    for (auto _ : state) {
        draw(target.Context(), source.Surface());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * itemsPerIteration));
}

void RegisterCairoCases() {
    for (const Depth& depth : kDepths) {
        const int bits = depth.bitsPerPixel;
        benchmark::RegisterBenchmark(
            (std::string("Fills/") + depth.cairo).c_str(), [bits](benchmark::State& state) {
                RunCairo(state, bits, FillBoxes().size(),
                         [](cairo_t* context, cairo_surface_t*) { FillBoxesWhite(context); });
            });
        benchmark::RegisterBenchmark(
            (std::string("Lines/") + depth.cairo).c_str(), [bits](benchmark::State& state) {
                RunCairo(state, bits, LineSegments().size(),
                         [](cairo_t* context, cairo_surface_t*) { DrawLineSegments(context); });
            });
        for (const BlitShape& shape : kBlitShapes) {
            benchmark::RegisterBenchmark(
                (std::string("Blit") + shape.name + "/" + depth.cairo).c_str(),
                [bits, &shape](benchmark::State& state) {
                    RunCairo(state, bits, 1, [&shape](cairo_t* context, cairo_surface_t* source) {
                        CopyBlock(context, source, shape);
                    });
                });
        }
    }
}
#endif

// The Wine figures, measured once, before our frame's first timing run.
const std::optional<GdiFrameFigures>& WineFrame(std::string& why) {
    static std::string reason;
    static const std::optional<GdiFrameFigures> figures =
        TimeFrameUnderWine(VAREKO_GDI_FRAME_TIMER, kWineSeconds, reason);
    why = reason;
    return figures;
}

void FullFrame(benchmark::State& state) {
    std::string why;
    const std::optional<GdiFrameFigures>& wine = WineFrame(why);
    DashboardFrame frame;
    if (!frame.IsReady()) {
        state.SkipWithError("could not build the dashboard frame");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(frame.Render());
    }
    if (wine) {
        Ratios().SetExternalReference(kFrame, wine->cpuNs);
        state.counters["gdi_wine_median_ns"] = benchmark::Counter(wine->medianNs);
        state.counters["target_ratio"] = benchmark::Counter(kFrameTargetRatio);
    } else {
        state.SetLabel("no Wine GDI reference: " + why);
    }
}

void PrintSummary() {
    std::printf("\nratio ours / reference (CPU time per iteration; below 1: ours is faster)\n");
    std::string why;
    for (const char* group : {"Fills", "Lines", "Blit16x16", "Blit48x24", "Blit160x43"}) {
        for (const Depth& depth : kDepths) {
            double ours = 0, reference = 0;
            const std::string name = std::string(group) + "/" + depth.engine;
            if (Ratios().Figures(name, ours, reference)) {
                std::printf("  %-24s %9.0f ns vs %-9s %9.0f ns  ratio %.2f\n", name.c_str(), ours,
                            depth.cairo, reference, ours / reference);
            }
        }
    }
    double ours = 0, reference = 0;
    if (Ratios().Figures(kFrame, ours, reference)) {
        const double ratio = ours / reference;
        std::printf("  %-24s %9.0f ns vs GDI/Wine  %9.0f ns  ratio %.2f (target <= %.2f: %s)\n",
                    kFrame, ours, reference, ratio, kFrameTargetRatio,
                    ratio <= kFrameTargetRatio ? "met" : "missed");
    } else if (!WineFrame(why) && !why.empty()) {
        std::printf("  %-24s no Wine GDI reference: %s\n", kFrame, why.c_str());
    }
}

bool WritesJsonFile(int argc, char** argv) {
    bool out = false, json = true;
    for (int i = 1; i < argc; ++i) {
        out = out || std::strncmp(argv[i], "--benchmark_out=", 16) == 0;
        if (std::strncmp(argv[i], "--benchmark_out_format=", 23) == 0) {
            json = std::strcmp(argv[i] + 23, "json") == 0;
        }
    }
    return out && json;
}

}  // namespace
}  // namespace vareko::bench

int main(int argc, char** argv) {
    using namespace vareko::bench;
#ifdef VAREKO_HAVE_CAIRO
    RegisterCairoCases();  // references first: their figures must be known when ours arrive
#else
    std::printf("bench_raster: built without cairo, so fills, lines and blits have no reference\n");
#endif
    RegisterEngineCases();
    benchmark::RegisterBenchmark(kFrame, FullFrame);
    const bool jsonFile = WritesJsonFile(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    // Counters differ between runs, so one "name=value" list per run reads
    // better than a table whose columns change.
    RatioReporter<benchmark::ConsoleReporter> console(
        Ratios(), isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Color
                                        : benchmark::ConsoleReporter::OO_None);
    RatioReporter<benchmark::JSONReporter> file(Ratios());
    benchmark::RunSpecifiedBenchmarks(&console, jsonFile ? &file : nullptr);
    PrintSummary();
    benchmark::Shutdown();
    return 0;
}
