// Every scene drawn into a fresh 160 x 43 threshold DIB and compared, after
// the threshold, with its reference frame in frames/. The references are
// written by the Windows build under Wine (scripts/conformance-frames), so on
// Windows this checks that the system still draws them, and on Linux that
// our raster engine draws exactly what the system draws. Differences that we
// keep on purpose are listed below and in docs/gdi-conformance.md.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/conformance/frame_file.h"
#include "tests/conformance/scenes.h"
#include "tests/conformance/text_scenes.h"

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

// Writes what the system drew when asked to refresh the references, then
// reads the reference.
std::optional<Frame> Reference(const char* name, const Frame& drawn) {
    if (const char* out = std::getenv("VAREKO_CONFORMANCE_OUT")) {
        EXPECT_TRUE(vareko::conformance::WriteFrame(FramePath(out, name), drawn));
    }
    return vareko::conformance::ReadFrame(FramePath(VAREKO_CONFORMANCE_FRAMES, name));
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
    std::optional<Frame> reference = Reference(scene.name, drawn);
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

// Glyphs: exactly the reference on the system itself; within the stated
// tolerance on our engine, whose rasteriser hints and rounds differently.
class TextGlyphTest : public ::testing::TestWithParam<Scene> {};

TEST_P(TextGlyphTest, DrawsTheReferenceGlyphs) {
    const Scene& scene = GetParam();
    Frame drawn = scene.render();
    std::optional<Frame> reference = Reference(scene.name, drawn);
    ASSERT_TRUE(reference.has_value()) << "no reference frame for " << scene.name;
#ifdef _WIN32
    std::string difference = vareko::conformance::DescribeDifference(*reference, drawn);
#else
    std::string difference = vareko::conformance::GlyphDifference(*reference, drawn);
    if (!difference.empty()) {
        difference += "\n" + vareko::conformance::DescribeDifference(*reference, drawn);
    }
#endif
    EXPECT_TRUE(difference.empty()) << scene.name << " differs from the system's glyphs: "
                                    << difference;
}

INSTANTIATE_TEST_SUITE_P(Text, TextGlyphTest,
                         ::testing::ValuesIn(vareko::conformance::TextScenes().begin(),
                                             vareko::conformance::TextScenes().end()),
                         SceneName);

using vareko::conformance::TextMeasure;
using ReferenceLines = std::map<std::string, std::string>;  // key -> line
using DifferingUnits = std::map<std::string, std::set<wchar_t>>;  // font -> code units

// Per font, the code units whose advance the system measures differently.
DifferingUnits DifferingAdvances(const std::vector<TextMeasure>& measured,
                                 const ReferenceLines& reference) {
    DifferingUnits differing;
    for (const TextMeasure& measure : measured) {
        auto found = reference.find(vareko::conformance::MeasureKey(measure.line));
        if (measure.kind != TextMeasure::Kind::Advances || found == reference.end()) {
            continue;
        }
        std::vector<long> system = vareko::conformance::MeasureValues(found->second);
        std::vector<long> ours = vareko::conformance::MeasureValues(measure.line);
        for (std::size_t i = 0; i < measure.text.size(); ++i) {
            if (i >= system.size() || i >= ours.size() || system[i] != ours[i]) {
                differing[measure.font].insert(measure.text[i]);
            }
        }
    }
    return differing;
}

// Why our engine knowingly measures differently from the system, or null
// where the two must agree; each reason is explained in
// docs/gdi-conformance.md.
const char* KnownTextDifference(const TextMeasure& measure, const DifferingUnits& advances) {
#ifdef _WIN32
    (void)measure;
    (void)advances;
    return nullptr;  // the system itself is the reference
#else
    constexpr const char* kAdvance =
        "the system measures with unhinted advances and draws with hinted ones; we do both "
        "with the hinted ones";
    switch (measure.kind) {
    case TextMeasure::Kind::Metrics:
        return measure.line.find("average-width") != std::string::npos
                   ? "average and maximum width come from the face's tables on the system"
                   : nullptr;
    case TextMeasure::Kind::Advances:
        return kAdvance;
    case TextMeasure::Kind::Extent:
    case TextMeasure::Kind::Wrap: {
        auto units = advances.find(measure.font);
        if (units != advances.end()) {
            for (wchar_t unit : measure.text) {
                if (units->second.count(unit) != 0) {
                    return kAdvance;
                }
            }
        }
        if (measure.kind == TextMeasure::Kind::Wrap &&
            vareko::conformance::WidestWord(measure.font, measure.text) > measure.wrapWidth) {
            return "the system does not break a word wider than the line; we do";
        }
        return nullptr;
    }
    }
    return nullptr;
#endif
}

TEST(TextMeasureTest, MeasuresAndBreaksLinesAsTheSystem) {
    const std::vector<TextMeasure> measured = vareko::conformance::TextMeasures();
    Frame lines;
    for (const TextMeasure& measure : measured) {
        lines.push_back(measure.line);
    }
    std::optional<Frame> reference = Reference("text_measures", lines);
    ASSERT_TRUE(reference.has_value()) << "no reference measures";
    ReferenceLines expected;
    for (const std::string& line : *reference) {
        expected[vareko::conformance::MeasureKey(line)] = line;
    }
    const DifferingUnits advances = DifferingAdvances(measured, expected);
    std::string failures;
    std::map<std::string, int> known;
    for (const TextMeasure& measure : measured) {
        auto found = expected.find(vareko::conformance::MeasureKey(measure.line));
        if (found == expected.end()) {
            failures += "not in the reference: " + measure.line + "\n";
            continue;
        }
        if (found->second == measure.line) {
            continue;
        }
        if (const char* reason = KnownTextDifference(measure, advances)) {
            ++known[reason];
        } else {
            failures += "  system " + found->second + "\n  ours   " + measure.line + "\n";
        }
    }
    for (const auto& [reason, count] : known) {
        std::printf("known difference in %d measures: %s\n", count, reason.c_str());
    }
    EXPECT_EQ(measured.size(), reference->size());
    EXPECT_TRUE(failures.empty()) << "measures that differ from the system's:\n" << failures;
}

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
