// Every scene drawn into a fresh 160 x 43 threshold DIB and compared, after
// the threshold, with its reference frame in frames/. The references are
// written by the Windows build under Wine (scripts/conformance-frames), so on
// Windows this checks that the system still draws them, and on Linux that
// our raster engine draws exactly what the system draws. Differences that we
// keep on purpose are listed below and in docs/gdi-conformance.md.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <string_view>

#include "tests/conformance/frame_file.h"
#include "tests/conformance/scenes.h"

namespace {

using vareko::conformance::Frame;
using vareko::conformance::Scene;

struct KnownDifference {
    const char* scene;
    const char* reason;
};

// Scenes where our engine knowingly differs from the system's GDI; each is
// explained in docs/gdi-conformance.md.
[[maybe_unused]] constexpr KnownDifference kKnownDifferences[] = {
    {"negative_extents", "rectangles given the wrong way round are not drawn"},
    {"icons_shrunk", "shrinking picks rows and columns instead of combining them"},
};

const char* KnownDifferenceReason(std::string_view scene) {
#ifdef _WIN32
    (void)scene;
    return nullptr;  // the system itself is the reference
#else
    for (const KnownDifference& known : kKnownDifferences) {
        if (scene == known.scene) {
            return known.reason;
        }
    }
    return nullptr;
#endif
}

std::string FramePath(const char* directory, const char* scene) {
    return std::string(directory) + "/" + scene + ".txt";
}

class ConformanceTest : public ::testing::TestWithParam<Scene> {};

}  // namespace

namespace vareko::conformance {

// Names the scene in test output instead of dumping its bytes.
void PrintTo(const Scene& scene, std::ostream* out) { *out << scene.name; }

}  // namespace vareko::conformance

namespace {

TEST_P(ConformanceTest, DrawsTheReferenceFrame) {
    const Scene& scene = GetParam();
    Frame drawn = scene.render();

    // The Windows build writes what the system drew, to refresh the references.
    if (const char* out = std::getenv("VAREKO_CONFORMANCE_OUT")) {
        ASSERT_TRUE(vareko::conformance::WriteFrame(FramePath(out, scene.name), drawn));
    }
    std::optional<Frame> reference =
        vareko::conformance::ReadFrame(FramePath(VAREKO_CONFORMANCE_FRAMES, scene.name));
    ASSERT_TRUE(reference.has_value())
        << "no reference frame for " << scene.name << "; scripts/conformance-frames writes them";
    std::string difference = vareko::conformance::DescribeDifference(*reference, drawn);
    if (const char* reason = KnownDifferenceReason(scene.name)) {
        if (!difference.empty()) {
            GTEST_SKIP() << "known difference: " << reason << "\n" << difference;
        }
    }
    EXPECT_TRUE(difference.empty()) << scene.name << " differs from the system's GDI:\n"
                                    << difference;
}

std::string SceneName(const ::testing::TestParamInfo<Scene>& param) {
    return std::string(param.param.name);
}

INSTANTIATE_TEST_SUITE_P(Raster, ConformanceTest,
                         ::testing::ValuesIn(vareko::conformance::RasterScenes().begin(),
                                             vareko::conformance::RasterScenes().end()),
                         SceneName);
INSTANTIATE_TEST_SUITE_P(Toolkit, ConformanceTest,
                         ::testing::ValuesIn(vareko::conformance::ToolkitScenes().begin(),
                                             vareko::conformance::ToolkitScenes().end()),
                         SceneName);

TEST(FrameDifferenceTest, PointsAtTheDifferingColumnsOfEachDifferingRow) {
    Frame expected = {"..##", "....", "#..."};
    EXPECT_EQ(vareko::conformance::DescribeDifference(expected, expected), "");
    std::string text =
        vareko::conformance::DescribeDifference(expected, Frame{"..##", ".#..", "...#"});
    EXPECT_NE(text.find("row 1\n  expected ....\n  drawn    .#..\n            ^  \n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("row 2"), std::string::npos);
    EXPECT_EQ(text.find("row 0"), std::string::npos);
    EXPECT_NE(vareko::conformance::DescribeDifference(expected, Frame{"..##"}).find("row count"),
              std::string::npos);
}

}  // namespace
