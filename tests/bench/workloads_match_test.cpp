// Our engine and cairo must do the same pixel work in the benchmark, or the
// ratio compares unlike things: the same shapes must light the same pixels on
// an 8-bit DIB and on A8, and on a 1-bit DIB and on A1.
#include <gtest/gtest.h>

#include <string>

#include "bench/raster/cairo_workloads.h"
#include "bench/raster/engine_workloads.h"

namespace vareko::bench {
namespace {

struct DepthCase {
    int bitsPerPixel;
    cairo_format_t format;
};
constexpr DepthCase kDepthCases[] = {{8, CAIRO_FORMAT_A8}, {1, CAIRO_FORMAT_A1}};

class WorkloadsMatch : public ::testing::TestWithParam<DepthCase> {
protected:
    WorkloadsMatch()
        : engine(kTargetWidth, kTargetHeight, GetParam().bitsPerPixel),
          engineSource(kTargetWidth, kTargetHeight, GetParam().bitsPerPixel),
          cairo(GetParam().format, kTargetWidth, kTargetHeight),
          cairoSource(GetParam().format, kTargetWidth, kTargetHeight) {}

    void SetUp() override {
        ASSERT_TRUE(engine.IsValid() && engineSource.IsValid());
        ASSERT_TRUE(cairo.IsValid() && cairoSource.IsValid());
    }

    // Pixels lit on one side only, and the number lit on ours.
    int Differences(int& litOurs) {
        GdiFlush();
        int differences = 0;
        litOurs = 0;
        for (int y = 0; y < kTargetHeight; ++y) {
            for (int x = 0; x < kTargetWidth; ++x) {
                litOurs += engine.Lit(x, y) ? 1 : 0;
                differences += engine.Lit(x, y) != cairo.Lit(x, y) ? 1 : 0;
            }
        }
        return differences;
    }

    DibTarget engine, engineSource;
    CairoTarget cairo, cairoSource;
};

TEST_P(WorkloadsMatch, FillsLightTheSamePixels) {
    FillBoxesWhite(engine.Dc());
    FillBoxesWhite(cairo.Context());
    int lit = 0;
    EXPECT_EQ(Differences(lit), 0);
    EXPECT_GT(lit, 1000);
}

TEST_P(WorkloadsMatch, BlitsCopyTheSamePixels) {
    engineSource.Stripes();
    cairoSource.Stripes();
    cairo_surface_flush(cairoSource.Surface());
    for (const BlitShape& shape : kBlitShapes) {
        engine.Fill(0);
        cairo.Clear();
        CopyBlock(engine.Dc(), engineSource.Dc(), shape);
        CopyBlock(cairo.Context(), cairoSource.Surface(), shape);
        int lit = 0;
        EXPECT_EQ(Differences(lit), 0) << shape.name;
        EXPECT_GT(lit, shape.cx * shape.cy / 4) << shape.name;
    }
}

// Aliased strokes and stepped lines round the odd pixel differently; the
// work (pixels per line) must still agree closely.
TEST_P(WorkloadsMatch, LinesLightNearlyTheSamePixels) {
    DrawLineSegments(engine.Dc());
    DrawLineSegments(cairo.Context());
    int lit = 0;
    const int differences = Differences(lit);
    EXPECT_GT(lit, 1000);
    EXPECT_LT(differences, lit / 10) << differences << " of " << lit;
}

INSTANTIATE_TEST_SUITE_P(Depths, WorkloadsMatch, ::testing::ValuesIn(kDepthCases),
                         [](const auto& depth) { return std::to_string(depth.param.bitsPerPixel) + "bit"; });

}  // namespace
}  // namespace vareko::bench
