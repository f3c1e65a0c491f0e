// Line layout of DrawTextEx as pure functions over a run-measuring
// interface: line breaking, alignment, margins, the returned height and the
// rectangle DT_CALCRECT gives back. Knows nothing of DCs or glyphs, so tests
// check geometry without pixels. Depends on platform/text/text_types.h.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/text_types.h"

namespace vareko::text {

class RunMeasure {
public:
    virtual ~RunMeasure() = default;
    // Advance width in pixels of the run drawn as one piece: the sum of the
    // widths of its characters (a surrogate pair is one character).
    virtual LONG RunWidth(std::wstring_view run) const = 0;
    virtual LONG LineHeight() const = 0;
};

struct LaidLine {
    std::size_t start;   // first code unit of the line in the laid-out text
    std::size_t length;  // code units drawn (blanks at a wrap are not)
    LONG x;              // left end of the line after alignment
    LONG y;              // top of the line's cell
    LONG width;
};

struct TextLayout {
    std::vector<LaidLine> lines;
    RECT bounds;  // the rectangle DT_CALCRECT returns
    int result;   // what DrawTextEx returns
};

// The text with mnemonic prefixes resolved: "&&" becomes "&", a single "&"
// is dropped (the underline under the next character is not drawn), except
// at the very end, where it stays.
std::wstring StripPrefixes(std::wstring_view text);

// Lays out `text` in `rect` (logical units) with the DT_ flags of `format`:
// - lines end at CR LF, LF or CR, except with DT_SINGLELINE; a line break
//   at the very end of the text starts no further line;
// - with DT_WORDBREAK a line is broken after a run of blanks; the blanks at
//   the break are neither drawn nor measured, and the next line starts after
//   them; a word wider than the line is broken after the last character that
//   fits (at least one per line; a surrogate pair is never split);
// - the line box is rect narrowed by the margins; lines are placed left,
//   centred (DT_CENTER, remainder to the right) or right (DT_RIGHT) in it and
//   stacked from rect.top one line height apart; DT_SINGLELINE text may be
//   centred vertically (DT_VCENTER) or put at the bottom (DT_BOTTOM);
// - bounds keeps rect's left and top, with right = left + left margin +
//   widest line + right margin, bottom = top + lines x line height;
// - result is the height of the text, or with DT_VCENTER / DT_BOTTOM the
//   distance from rect.top to the bottom of the text. Empty text is one
//   empty line, one line height high.
TextLayout LayoutText(std::wstring_view text, const RECT& rect, UINT format, LONG leftMargin,
                      LONG rightMargin, const RunMeasure& measure);
// The same into `layout`, whose line list keeps its storage: a caller that
// lays out text again and again allocates only when a text has more lines
// than any before it.
void LayoutText(std::wstring_view text, const RECT& rect, UINT format, LONG leftMargin, LONG rightMargin,
                const RunMeasure& measure, TextLayout& layout);

}  // namespace vareko::text
