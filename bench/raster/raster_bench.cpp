// Raster figures: fills, lines and blits on our engine's 8-bit and 1-bit DIB
// sections against cairo's A8 and A1 image surfaces (the same shapes, one
// call per shape), and the dashboard's full frame on our engine with the same
// frame on the system's GDI under Wine in its counters (gdi_wine_cpu_ns,
// gdi_wine_median_ns). scripts/bench reads the JSON and forms the ratios.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/raster/dashboard_frame.h"
#include "bench/raster/engine_workloads.h"
#include "bench/raster/wine_frame.h"
#ifdef VAREKO_HAVE_CAIRO
#include "bench/raster/cairo_workloads.h"
#endif

namespace vareko::bench {
namespace {

constexpr const char* kFrame = "FullFrame/engine";
constexpr double kWineSeconds = 2.0;

struct Depth {
    const char* engine;  // run name suffix for our engine
    const char* cairo;   // and for the matching cairo surface
    int bitsPerPixel;
};
constexpr Depth kDepths[] = {{"engine_8bit", "cairo_A8", 8}, {"engine_1bit", "cairo_A1", 1}};

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
        state.counters["gdi_wine_cpu_ns"] = benchmark::Counter(wine->cpuNs);
        state.counters["gdi_wine_median_ns"] = benchmark::Counter(wine->medianNs);
    } else {
        state.SetLabel("no Wine GDI reference: " + why);
    }
}

}  // namespace
}  // namespace vareko::bench

int main(int argc, char** argv) {
    using namespace vareko::bench;
#ifdef VAREKO_HAVE_CAIRO
    RegisterCairoCases();
#else
    std::printf("bench_raster: built without cairo, so fills, lines and blits have no reference\n");
#endif
    RegisterEngineCases();
    benchmark::RegisterBenchmark(kFrame, FullFrame);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
