// Text conformance: what the text calls measure and where they break lines
// for a face that both platforms render through FreeType, and the glyphs
// they draw. Measures are compared exactly, glyph frames with a tolerance.
// Test code only.
#pragma once

#include <span>
#include <string_view>
#include <string>
#include <vector>

#include "tests/conformance/scenes.h"

namespace vareko::conformance {

// The installed face every text case uses (fonts-dejavu-core).
inline constexpr wchar_t kSharedFace[] = L"DejaVu Sans";

// One measurement: its line, "<font> | <text> | <what> = <value>", and what
// was measured, so that a difference can be traced to its cause.
struct TextMeasure {
    enum class Kind { Metrics, Advances, Extent, Wrap };
    Kind kind;
    std::string font;  // the font's label
    std::wstring text;  // the code units measured (a row of the alphabet for Advances)
    int wrapWidth;      // the line box of a Wrap measure, margins taken off
    std::string line;
};

// Metrics and advances of each font, then for each text its extent, its
// DT_CALCRECT rectangles and the line count of every prefix when wrapped,
// in a fixed order.
std::vector<TextMeasure> TextMeasures();

// The numbers after " = ".
std::vector<long> MeasureValues(const std::string& line);

// Widest run of non-blank code units of text in the font, measured on this
// platform: the words that a wrapped line cannot hold.
long WidestWord(const std::string& font, std::wstring_view text);

// The key of a measure line: everything before " = ".
std::string MeasureKey(const std::string& line);

// Glyph frames: the dashboard's strings and harder ones drawn in the shared
// face at its sizes.
std::span<const Scene> TextScenes();

// How far two glyph frames may differ: each differing pixel must have a lit
// pixel of the other frame within one pixel (the same glyph, moved or
// thickened by a pixel), and the differing pixels must be at most
// kGlyphTolerancePercent of the lit pixels of the reference.
inline constexpr int kGlyphTolerancePercent = 10;

// Empty when `drawn` is within the tolerance of `reference`, else why not.
std::string GlyphDifference(const Frame& reference, const Frame& drawn);

}  // namespace vareko::conformance
