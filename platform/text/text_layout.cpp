// Line breaking and placement for DrawTextEx; see text_layout.h for the rules.
#include "platform/text/text_layout.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/text/characters.h"

namespace vareko::text {
namespace {

LONG Saturate(std::int64_t v) {
    return static_cast<LONG>(std::clamp<std::int64_t>(v, std::numeric_limits<LONG>::min(),
                                                      std::numeric_limits<LONG>::max()));
}

bool IsBlank(wchar_t c) { return c == L' '; }
bool IsLineEnd(wchar_t c) { return c == L'\r' || c == L'\n'; }

// A line as broken, before placement: only start and length are set.
LaidLine Piece(std::size_t start, std::size_t length) { return LaidLine{start, length, 0, 0, 0}; }

// Splits one paragraph [begin, end) into lines no wider than maxWidth. A
// run's width is the sum of its characters' widths, so the width of the
// line so far is carried along and each character is measured once per line
// it is tried on: the pass is linear in the paragraph's length.
void BreakParagraph(std::wstring_view text, std::size_t begin, std::size_t end, LONG maxWidth,
                    const RunMeasure& measure, std::vector<LaidLine>& out) {
    std::size_t start = begin;
    while (start < end) {
        std::size_t breakEnd = 0;   // end of the drawn part at the last break
        std::size_t breakNext = 0;  // first code unit after the blanks there
        bool haveBreak = false;
        std::int64_t width = 0;     // of [start, i)
        std::size_t i = start;
        while (i < end) {
            if (IsBlank(text[i])) {
                // Blanks never push a line over: they hang at a break.
                std::size_t j = i;
                while (j < end && IsBlank(text[j])) ++j;
                if (i > start) {
                    breakEnd = i;
                    breakNext = j;
                    haveBreak = true;
                }
                width += measure.RunWidth(text.substr(i, j - i));
                i = j;
                continue;
            }
            const std::size_t units = CharacterAt(text, i).units;
            const std::int64_t wider = width + measure.RunWidth(text.substr(i, units));
            if (wider > maxWidth) break;
            width = wider;
            i += units;
        }
        if (i >= end) {
            out.push_back(Piece(start, end - start));
            return;
        }
        if (haveBreak) {
            out.push_back(Piece(start, breakEnd - start));
            start = breakNext;
        } else {
            // One word wider than the line: cut it where it stops fitting,
            // after at least one character.
            const std::size_t cut = i > start ? i : start + CharacterAt(text, start).units;
            out.push_back(Piece(start, cut - start));
            start = cut;
        }
    }
}

// Appends the lines of `text` to `pieces`, which the caller has emptied.
void BreakLines(std::wstring_view text, UINT format, LONG maxWidth, const RunMeasure& measure,
                std::vector<LaidLine>& pieces) {
    if (text.empty() || format & DT_SINGLELINE) {
        pieces.push_back(Piece(0, text.size()));
        return;
    }
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = begin;
        while (end < text.size() && !IsLineEnd(text[end])) ++end;
        if (format & DT_WORDBREAK && end > begin) {
            BreakParagraph(text, begin, end, maxWidth, measure, pieces);
        } else {
            pieces.push_back(Piece(begin, end - begin));
        }
        if (end >= text.size()) break;
        // CR LF is one line end.
        begin = end + ((text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ? 2 : 1);
    }
}

}  // namespace

std::wstring StripPrefixes(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A '&' with nothing after it marks nothing and stays.
        if (text[i] == L'&' && i + 1 < text.size()) {
            if (text[i + 1] == L'&') {
                out.push_back(L'&');
                ++i;
            }
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

TextLayout LayoutText(std::wstring_view text, const RECT& rect, UINT format, LONG leftMargin,
                      LONG rightMargin, const RunMeasure& measure) {
    TextLayout layout{};
    LayoutText(text, rect, format, leftMargin, rightMargin, measure, layout);
    return layout;
}

void LayoutText(std::wstring_view text, const RECT& rect, UINT format, LONG leftMargin, LONG rightMargin,
                const RunMeasure& measure, TextLayout& layout) {
    // Positions are worked out in 64 bits and saturated to LONG at the end,
    // so a rectangle or margins near the ends of the LONG range give clamped
    // geometry instead of overflowing.
    using Wide = std::int64_t;
    const Wide boxLeft = Wide{rect.left} + leftMargin;
    const Wide boxRight = Wide{rect.right} - rightMargin;
    const Wide lineHeight = measure.LineHeight();

    // Cleared, not replaced: the line list keeps its storage between calls.
    std::vector<LaidLine>& pieces = layout.lines;
    pieces.clear();
    BreakLines(text, format, Saturate(boxRight - boxLeft), measure, pieces);
    const Wide height = static_cast<Wide>(pieces.size()) * lineHeight;

    Wide top = rect.top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) {
            top = rect.top + (Wide{rect.bottom} - rect.top - height) / 2;
        } else if (format & DT_BOTTOM) {
            top = rect.bottom - height;
        }
    }

    Wide widest = 0;
    Wide y = top;
    for (LaidLine& piece : pieces) {
        const LONG width = measure.RunWidth(text.substr(piece.start, piece.length));
        Wide x = boxLeft;
        if (format & DT_CENTER) {
            x = boxLeft + (boxRight - boxLeft - width) / 2;
        } else if (format & DT_RIGHT) {
            x = boxRight - width;
        }
        piece.x = Saturate(x);
        piece.y = Saturate(y);
        piece.width = width;
        widest = std::max<Wide>(widest, width);
        y += lineHeight;
    }

    layout.bounds = {rect.left, rect.top, Saturate(Wide{rect.left} + leftMargin + widest + rightMargin),
                     Saturate(rect.top + height)};
    const bool placed = (format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM));
    layout.result = static_cast<int>(Saturate(placed && !pieces.empty() ? top + height - rect.top : height));
}

}  // namespace vareko::text
